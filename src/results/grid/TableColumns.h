// The names and column vectors of a table, checked: a table received from a
// socket may be malformed, and a malformed one reads as fewer (or no) columns.
#pragma once

#include "kdb/k.h"

#include <algorithm>

struct TableColumns {
    K names = nullptr;   // symbol vector
    K columns = nullptr; // general list
    long long count = 0;

    explicit TableColumns(K table)
    {
        if (!table || table->t != XT || !table->k)
            return;
        K dict = table->k;
        if (dict->t != XD || dict->n != 2 || !kK(dict)[0] || !kK(dict)[1])
            return;
        K n = kK(dict)[0], c = kK(dict)[1];
        if (n->t != KS || c->t != 0)
            return;
        names = n;
        columns = c;
        count = std::min(n->n, c->n);
    }

    K column(long long i) const { return i >= 0 && i < count ? kK(columns)[i] : nullptr; }

    // A splayed table's reference: names with a symbol atom for the values.
    static bool isSplayedReference(K table)
    {
        if (!table || table->t != XT || !table->k)
            return false;
        K dict = table->k;
        return dict->t == XD && dict->n == 2 && kK(dict)[0] && kK(dict)[1] && kK(dict)[0]->t == KS
            && kK(dict)[1]->t == -KS;
    }

    // Items of a list column; other kinds of value stand for one row.
    static long long length(K column)
    {
        if (!column)
            return 0;
        return column->t >= 0 && column->t < XT ? column->n : 1;
    }
};

// The updates a scripted tickerplant publishes: (`upd; `table; data), where
// data is a table of `rows` rows: n (long) the update's sequence number,
// sym (symbol) `s(n mod 10), price (float) 100 + (n mod 100) / 100.
#pragma once

#include "kdb/KPtr.h"

#include <QString>

struct UpdateStream {
    QString table;
    int perSecond = 10;   // 0: as fast as the connection takes them
    long long count = -1; // updates before it stops; -1: until the client goes
    int rows = 1;

    // The update numbered sequence.
    static KPtr update(const QString& table, long long sequence, int rows);
    // The table's schema: its columns, no rows.
    static KPtr schema();
};

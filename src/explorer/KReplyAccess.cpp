#include "explorer/KReplyAccess.h"

#include <QStringList>

#include <cstring>

namespace KReplyAccess {

bool isDictionary(K x) { return x && (x->t == XD || x->t == SD) && x->n == 2; }

K keys(K x) { return isDictionary(x) ? kK(x)[0] : nullptr; }

K values(K x) { return isDictionary(x) ? kK(x)[1] : nullptr; }

K keyedPart(K x, bool wantKeys)
{
    if (!isDictionary(x))
        return nullptr;
    K part = wantKeys ? keys(x) : values(x);
    return part && part->t == XT ? part : nullptr;
}

K column(K table, const char* name)
{
    K dict = table && table->t == XT ? table->k : table;
    K names = keys(dict);
    K columns = values(dict);
    if (!names || names->t != KS || !columns || columns->t != 0 || columns->n != names->n)
        return nullptr;
    for (J i = 0; i < names->n; ++i)
        if (kS(names)[i] && std::strcmp(kS(names)[i], name) == 0)
            return kK(columns)[i];
    return nullptr;
}

QString itemText(K list, J i)
{
    if (!list || i < 0 || list->t < 0 || i >= list->n)
        return {};
    switch (list->t) {
    case KS: return QString::fromUtf8(kS(list)[i]);
    case KC: return QString(QLatin1Char(kC(list)[i]));
    case 0: return text(kK(list)[i]).value_or(QString());
    default: return {};
    }
}

std::optional<QString> text(K x)
{
    if (!x)
        return std::nullopt;
    if (x->t == -KS)
        return QString::fromUtf8(x->s);
    if (x->t == KC)
        return QString::fromUtf8(kC(x), qsizetype(x->n));
    if (x->t == -KC)
        return QString(QLatin1Char(static_cast<char>(x->g)));
    return std::nullopt;
}

bool symbols(K x, QStringList& out)
{
    if (!x)
        return false;
    if (x->t == -KS) {
        out << QString::fromUtf8(x->s);
        return true;
    }
    if (x->t == KS) {
        for (J i = 0; i < x->n; ++i)
            out << QString::fromUtf8(kS(x)[i]);
        return true;
    }
    if (x->t == 0 && x->n == 0)
        return true;
    return false;
}

K item(K list, J i)
{
    if (!list || list->t != 0 || i < 0 || i >= list->n)
        return nullptr;
    return kK(list)[i];
}

std::optional<std::int64_t> integer(K x)
{
    if (!x)
        return std::nullopt;
    switch (x->t) {
    case -KH: return x->h;
    case -KI: return x->i;
    case -KJ: return x->j;
    default: return std::nullopt;
    }
}

J count(K x)
{
    if (!x || x->t < 0)
        return 0;
    if (x->t == XT) {
        K cols = values(x->k);
        return cols && cols->t == 0 && cols->n > 0 && kK(cols)[0] && kK(cols)[0]->t >= 0 ? kK(cols)[0]->n : 0;
    }
    if (x->t == XD || x->t == SD)
        return 0;
    return x->t < 100 ? x->n : 0;
}

} // namespace KReplyAccess

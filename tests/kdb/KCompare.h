// Deep comparison of K values for the client library's tests, with a short
// description of the first difference.
#pragma once

#include "kdb/k.h"

#include <QByteArray>
#include <QString>
#include <cmath>
#include <cstring>

namespace ktest {

inline QString describe(K x)
{
    return x ? QStringLiteral("type %1 count %2").arg(int(x->t)).arg(x->t >= 0 ? x->n : 1) : QStringLiteral("null");
}

inline bool sameFloatBits(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// Returns an empty text when a and b are the same value.
inline QString difference(K a, K b, const QString& path = QStringLiteral("x"))
{
    if (!a || !b)
        return a == b ? QString() : path + QStringLiteral(": null vs ") + describe(a ? a : b);
    if (a->t != b->t)
        return path + QStringLiteral(": type %1 vs %2").arg(int(a->t)).arg(int(b->t));
    const int t = a->t;
    if (t < 0) {
        switch (t) {
        case -KS: case KERR:
            return a->s == b->s ? QString() : path + QStringLiteral(": `%1 vs `%2").arg(a->s, b->s);
        case -UU:
            return std::memcmp(kG(a), kG(b), 16) == 0 ? QString() : path + QStringLiteral(": guids differ");
        case -KE:
            return sameFloatBits(a->e, b->e) ? QString() : path + QStringLiteral(": reals differ");
        case -KF: case -KZ:
            return sameFloatBits(a->f, b->f) ? QString() : path + QStringLiteral(": floats differ");
        default: {
            const J size = kItemSize(-t);
            return std::memcmp(&a->g, &b->g, static_cast<std::size_t>(size)) == 0
                ? QString()
                : path + QStringLiteral(": atoms differ");
        }
        }
    }
    if (t == XT || (t >= KEACH && t <= KDYNLOAD)) {
        if (a->u != b->u)
            return path + QStringLiteral(": attributes differ");
        return difference(a->k, b->k, path + QStringLiteral(".k"));
    }
    if (t >= KUNARY && t <= KTERNARY)
        return a->g == b->g ? QString() : path + QStringLiteral(": primitive %1 vs %2").arg(a->g).arg(b->g);
    if (a->n != b->n)
        return path + QStringLiteral(": count %1 vs %2").arg(a->n).arg(b->n);
    if (a->u != b->u)
        return path + QStringLiteral(": attribute %1 vs %2").arg(int(a->u)).arg(int(b->u));
    if (kHasKItems(t)) {
        for (J i = 0; i < a->n; ++i) {
            QString d = difference(kK(a)[i], kK(b)[i], path + QStringLiteral("[%1]").arg(i));
            if (!d.isEmpty())
                return d;
        }
        return QString();
    }
    if (t == KS) {
        for (J i = 0; i < a->n; ++i)
            if (kS(a)[i] != kS(b)[i])
                return path + QStringLiteral("[%1]: `%2 vs `%3").arg(i).arg(kS(a)[i], kS(b)[i]);
        return QString();
    }
    if (t == KF || t == KZ) {
        for (J i = 0; i < a->n; ++i)
            if (!sameFloatBits(kF(a)[i], kF(b)[i]))
                return path + QStringLiteral("[%1]: floats differ").arg(i);
        return QString();
    }
    const std::size_t bytes = static_cast<std::size_t>(a->n * kItemSize(t));
    return std::memcmp(kG(a), kG(b), bytes) == 0 ? QString() : path + QStringLiteral(": items differ");
}

inline QByteArray bytesOf(K x) { return QByteArray(reinterpret_cast<const char*>(kG(x)), static_cast<int>(x->n)); }

inline K byteVector(const QByteArray& bytes)
{
    K x = ktn(KG, bytes.size());
    if (!bytes.isEmpty())
        std::memcpy(kG(x), bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return x;
}

} // namespace ktest

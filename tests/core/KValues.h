// Small builders of K values for the renderer's tests; each returns an owned
// value wrapped so that a data table can hold it.
#pragma once

#include "kdb/KPtr.h"
#include "kdb/k.h"

#include <QMetaType>

#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>

Q_DECLARE_METATYPE(KPtr)

namespace kv {

inline constexpr double qnan = std::numeric_limits<double>::quiet_NaN();
inline constexpr double qinf = std::numeric_limits<double>::infinity();
inline constexpr long long nsPerDay = 86400000000000LL;

template <typename T>
inline K list(int type, std::initializer_list<T> items)
{
    K x = ktn(type, static_cast<J>(items.size()));
    J i = 0;
    for (T v : items) {
        switch (type) {
        case KB: case KG: kG(x)[i] = static_cast<G>(v); break;
        case KH: kH(x)[i] = static_cast<H>(v); break;
        case KI: case KM: case KD: case KU: case KV: case KT: kI(x)[i] = static_cast<I>(v); break;
        case KE: kE(x)[i] = static_cast<E>(v); break;
        case KF: case KZ: kF(x)[i] = static_cast<F>(v); break;
        default: kJ(x)[i] = static_cast<J>(v); break;
        }
        ++i;
    }
    return x;
}

inline K syms(std::initializer_list<const char*> names)
{
    K x = ktn(KS, static_cast<J>(names.size()));
    J i = 0;
    for (const char* n : names)
        kS(x)[i++] = ss(n);
    return x;
}

inline K str(const std::string& bytes) { return kpn(bytes.data(), static_cast<J>(bytes.size())); }

inline K longs(J from, J count)
{
    K x = ktn(KJ, count);
    for (J i = 0; i < count; ++i)
        kJ(x)[i] = from + i;
    return x;
}

inline K withAttr(K x, int attr)
{
    x->u = static_cast<C>(attr);
    return x;
}

// An atom of any simple type with its value in the atom slot.
inline K atomI(int type, I v) { K x = ka(type); x->i = v; return x; }
inline K atomJ(int type, J v) { return ktj(type, v); }
inline K atomF(int type, F v) { K x = ka(type); x->f = v; return x; }

inline K guid(int first)
{
    U u;
    for (int i = 0; i < 16; ++i)
        u.g[i] = static_cast<G>(first + i);
    return ku(u);
}

inline K guids(int firstA, int firstB)
{
    K x = ktn(UU, 2);
    for (int i = 0; i < 16; ++i) {
        kU(x)[0].g[i] = static_cast<G>(firstA + i);
        kU(x)[1].g[i] = static_cast<G>(firstB + i);
    }
    return x;
}

// Functions: primitives carry their code in the atom slot, derived functions
// point at the function they derive from, projections and compositions hold
// their parts as items.
inline K prim(int type, int code) { K x = ka(type); x->g = static_cast<G>(code); return x; }
inline K derived(int type, K f) { K x = ka(type); x->k = f; return x; }
inline K parts(int type, std::initializer_list<K> items)
{
    K x = ktn(type, static_cast<J>(items.size()));
    J i = 0;
    for (K item : items)
        kK(x)[i++] = item;
    return x;
}

inline K table(K names, K columns) { return xT(xD(names, columns)); }

inline KPtr own(K x) { return KPtr(x); }

} // namespace kv

#include "ValueText.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string pad2(long long v)
{
    char b[32];
    std::snprintf(b, sizeof b, "%02lld", v);
    return b;
}

std::string date(I days)
{
    const I d = dj(days);
    char b[32];
    std::snprintf(b, sizeof b, "%04d.%02d.%02d", d / 10000, d / 100 % 100, d % 100);
    return b;
}

std::string clock(long long nanos)
{
    const long long s = nanos / 1000000000LL;
    char b[64];
    std::snprintf(b, sizeof b, "%02lld:%02lld:%02lld.%09lld", s / 3600, s / 60 % 60, s % 60, nanos % 1000000000LL);
    return b;
}

std::string real(double f)
{
    if (std::isnan(f))
        return "0n";
    if (std::isinf(f))
        return f < 0 ? "-0w" : "0w";
    char b[64];
    std::snprintf(b, sizeof b, "%.17g", f);
    return b;
}

// One item of a simple list (or the atom, through a one-item view).
std::string item(int t, const G* p)
{
    constexpr long long day = 86400000000000LL;
    auto i32 = [p] { I v; std::memcpy(&v, p, 4); return v; };
    auto i64 = [p] { J v; std::memcpy(&v, p, 8); return v; };
    switch (t) {
    case KB: return *p ? "1b" : "0b";
    case UU: {
        char b[40];
        std::snprintf(b, sizeof b, "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", p[0], p[1], p[2],
                      p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11], p[12], p[13], p[14], p[15]);
        return b;
    }
    case KG: {
        char b[8];
        std::snprintf(b, sizeof b, "0x%02x", *p);
        return b;
    }
    case KH: { H v; std::memcpy(&v, p, 2); return v == nh ? "0Nh" : std::to_string(v) + "h"; }
    case KI: return i32() == ni ? "0Ni" : std::to_string(i32()) + "i";
    case KJ: return i64() == nj ? "0N" : std::to_string(i64());
    case KE: { E v; std::memcpy(&v, p, 4); return real(v) + "e"; }
    case KF: { F v; std::memcpy(&v, p, 8); return real(v); }
    case KC: return std::string("\"") + static_cast<char>(*p) + "\"";
    case KS: { S s; std::memcpy(&s, p, sizeof s); return std::string("`") + (s ? s : ""); }
    case KD: return i32() == ni ? "0Nd" : date(i32());
    case KM: {
        const I m = i32();
        if (m == ni)
            return "0Nm";
        const I y = 2000 + (m >= 0 ? m / 12 : (m - 11) / 12);
        return std::to_string(y) + "." + pad2(m - (y - 2000) * 12 + 1) + "m";
    }
    case KZ: { F v; std::memcpy(&v, p, 8); return std::isnan(v) ? "0Nz" : real(v) + "z"; }
    case KP: {
        const J v = i64();
        if (v == nj)
            return "0Np";
        const J days = v >= 0 ? v / day : (v - day + 1) / day;
        return date(static_cast<I>(days)) + "D" + clock(v - days * day);
    }
    case KN: {
        const J v = i64();
        if (v == nj)
            return "0Nn";
        const J a = v < 0 ? -v : v;
        return (v < 0 ? "-" : "") + std::to_string(a / day) + "D" + clock(a % day);
    }
    case KU: return i32() == ni ? "0Nu" : pad2(i32() / 60) + ":" + pad2(i32() % 60);
    case KV: return i32() == ni ? "0Nv" : pad2(i32() / 3600) + ":" + pad2(i32() / 60 % 60) + ":" + pad2(i32() % 60);
    case KT: {
        const I v = i32();
        if (v == ni)
            return "0Nt";
        char b[32];
        std::snprintf(b, sizeof b, "%02d:%02d:%02d.%03d", v / 3600000, v / 60000 % 60, v / 1000 % 60, v % 1000);
        return b;
    }
    default: return "<" + std::to_string(t) + ">";
    }
}

std::string text(K x, int depth)
{
    if (!x)
        return "<null>";
    if (depth > 64)
        return "..";
    const int t = x->t;
    if (t == KERR)
        return std::string("'") + (x->s ? x->s : "");
    if (t < 0 && t >= -KT)
        return item(-t, t == -KS ? reinterpret_cast<const G*>(&x->s) : &x->g);
    if (t == KC)
        return "\"" + std::string(kC(x), static_cast<std::size_t>(x->n)) + "\"";
    if (t > 0 && t <= KT) {
        std::string s = x->n == 1 ? "enlist " : x->n == 0 ? "`" + std::to_string(t) + "$()" : "";
        for (J i = 0; i < x->n; ++i)
            s += (i ? " " : "") + item(t, kG(x) + i * kItemSize(t));
        return s;
    }
    if (t == 0) {
        std::string s = x->n == 1 ? "enlist(" : "(";
        for (J i = 0; i < x->n; ++i)
            s += (i ? ";" : "") + text(kK(x)[i], depth + 1);
        return s + ")";
    }
    if (t == XT)
        return "+" + text(x->k, depth + 1);
    if (t == XD || t == SD)
        return text(kK(x)[0], depth + 1) + "!" + text(kK(x)[1], depth + 1);
    if (t == KUNARY && x->g == 0)
        return "::";
    if (t == KLAMBDA && x->n == 2 && kK(x)[1] && kK(x)[1]->t == KC)
        return std::string(kC(kK(x)[1]), static_cast<std::size_t>(kK(x)[1]->n));
    return "<type " + std::to_string(t) + ">";
}

} // namespace

std::string valueText(K x) { return text(x, 0); }

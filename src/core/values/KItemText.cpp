#include "core/values/KItemText.h"

#include "core/values/ValueCatalogue.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr long long kNsPerDay = 86400000000000LL;
constexpr long long kMsPerDay = 86400000LL;

template <typename T>
T load(const void* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::size_t copy(char* out, const char* text)
{
    const std::size_t n = std::strlen(text);
    std::memcpy(out, text, n);
    return n;
}

char* writeInt(char* out, long long v)
{
    return std::to_chars(out, out + 24, v).ptr;
}

// At least `width` digits, zero padded (like %02d and %09d); v >= 0.
char* writePadded(char* out, long long v, int width)
{
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    for (long long n = end - digits; n < width; ++n)
        *out++ = '0';
    std::memcpy(out, digits, static_cast<std::size_t>(end - digits));
    return out + (end - digits);
}

std::size_t writeFloat(char* out, double v, int precision)
{
    // to_chars with a precision formats as printf's %.*g does.
    return static_cast<std::size_t>(
        std::to_chars(out, out + KItemText::capacity, v, std::chars_format::general, precision).ptr - out);
}

// Null, +infinity and -infinity texts, or nullptr for an ordinary value.
template <typename T>
const char* special(T v, T null, T inf, const char* n, const char* w, const char* mw)
{
    if (v == null)
        return n;
    if (v == inf)
        return w;
    if (v == -inf)
        return mw;
    return nullptr;
}

const char* specialFloat(double v, const char* n, const char* w, const char* mw)
{
    if (ValueCatalogue::isFloatNull(v))
        return n;
    if (std::isinf(v))
        return v > 0 ? w : mw;
    return nullptr;
}

// hh:mm[:ss[.fff]] of a non-negative amount of `unit`s (1 = minutes, 2 =
// seconds, 3 = milliseconds, 4 = nanoseconds).
char* writeClock(char* out, long long v, int unit)
{
    long long hours, minutes, seconds = 0, fraction = 0;
    switch (unit) {
    case 1: hours = v / 60; minutes = v % 60; break;
    case 2: hours = v / 3600; minutes = v / 60 % 60; seconds = v % 60; break;
    case 3: hours = v / 3600000; minutes = v / 60000 % 60; seconds = v / 1000 % 60; fraction = v % 1000; break;
    default:
        hours = v / 3600000000000LL; minutes = v / 60000000000LL % 60; seconds = v / 1000000000LL % 60;
        fraction = v % 1000000000LL;
        break;
    }
    out = writePadded(out, hours, 2);
    *out++ = ':';
    out = writePadded(out, minutes, 2);
    if (unit >= 2) {
        *out++ = ':';
        out = writePadded(out, seconds, 2);
    }
    if (unit >= 3) {
        *out++ = '.';
        out = writePadded(out, fraction, unit == 3 ? 3 : 9);
    }
    return out;
}

// Splits a signed count of units into whole days and a non-negative rest.
void splitDays(long long v, long long perDay, long long& days, long long& rest)
{
    days = v / perDay;
    rest = v % perDay;
    if (rest < 0) {
        rest += perDay;
        --days;
    }
}

std::size_t writeSignedClock(char* out, long long v, int unit)
{
    char* p = out;
    if (v < 0) {
        *p++ = '-';
        v = -v;
    }
    return static_cast<std::size_t>(writeClock(p, v, unit) - out);
}

} // namespace

std::size_t KItemText::writeDate(char* out, long long days)
{
    // Civil date from days (proleptic Gregorian), in 64 bits so that any int
    // or timestamp-derived day count is safe.
    const long long z = days + 730425; // days from 0000-03-01 to 2000-01-01
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp + (mp < 10 ? 3 : -9);
    const long long y = yoe + era * 400 + (m <= 2);
    if (y < 100 || y > 9999)
        return copy(out, "Invalid DateTime");
    char* p = writeInt(out, y);
    *p++ = '.';
    p = writePadded(p, m, 2);
    *p++ = '.';
    p = writePadded(p, d, 2);
    return static_cast<std::size_t>(p - out);
}

std::size_t KItemText::write(char* out, int type, const void* item, bool listItem, int precision)
{
    const char* s = nullptr;
    char* p = out;
    switch (type) {
    case KB:
        return static_cast<std::size_t>(writeInt(out, load<G>(item)) - out);
    case UU: {
        static constexpr char hex[] = "0123456789abcdef";
        const G* g = static_cast<const G*>(item);
        for (int i = 0; i < 16; ++i) {
            if (i == 4 || i == 6 || i == 8 || i == 10)
                *p++ = '-';
            *p++ = hex[g[i] >> 4];
            *p++ = hex[g[i] & 15];
        }
        return static_cast<std::size_t>(p - out);
    }
    case KG: {
        static constexpr char hex[] = "0123456789abcdef";
        const G g = load<G>(item);
        out[0] = hex[g >> 4];
        out[1] = hex[g & 15];
        return 2;
    }
    case KH: {
        const H v = load<H>(item);
        if ((s = special<H>(v, nh, wh, "0N", "0W", "-0W")))
            return copy(out, s);
        return static_cast<std::size_t>(writeInt(out, v) - out);
    }
    case KI: {
        const I v = load<I>(item);
        if ((s = special<I>(v, ni, wi, "0N", "0W", "-0W")))
            return copy(out, s);
        return static_cast<std::size_t>(writeInt(out, v) - out);
    }
    case KJ: {
        const J v = load<J>(item);
        if ((s = special<J>(v, nj, wj, "0N", "0W", "-0W")))
            return copy(out, s);
        return static_cast<std::size_t>(writeInt(out, v) - out);
    }
    case KE: {
        const double v = load<E>(item);
        if ((s = listItem ? specialFloat(v, "0ne", "0we", "-0we") : specialFloat(v, "0n", "0w", "-0w")))
            return copy(out, s);
        return writeFloat(out, v, precision);
    }
    case KF: {
        const double v = load<F>(item);
        if ((s = specialFloat(v, "0n", "0w", "-0w")))
            return copy(out, s);
        return writeFloat(out, v, precision);
    }
    case KP: {
        const J v = load<J>(item);
        if ((s = special<J>(v, nj, wj, "0Np", "0Wp", "-0Wp")))
            return copy(out, s);
        long long days, rest;
        splitDays(v, kNsPerDay, days, rest);
        p += writeDate(p, days);
        *p++ = 'D';
        return static_cast<std::size_t>(writeClock(p, rest, 4) - out);
    }
    case KM: {
        const I v = load<I>(item);
        if ((s = special<I>(v, ni, wi, "0Nm", "0Wm", "-0Wm")))
            return copy(out, s);
        long long years, month;
        splitDays(v, 12, years, month);
        p = writeInt(p, 2000 + years);
        *p++ = '.';
        p = writePadded(p, month + 1, 2);
        *p++ = 'm';
        return static_cast<std::size_t>(p - out);
    }
    case KD: {
        const I v = load<I>(item);
        if ((s = special<I>(v, ni, wi, "0nd", "0wd", "-0wd")))
            return copy(out, s);
        return writeDate(out, v);
    }
    case KZ: {
        const double v = load<F>(item);
        if ((s = specialFloat(v, "0Nz", "0wz", "-0wz")))
            return copy(out, s);
        const double ms = std::floor(v * kMsPerDay + 0.0005);
        if (!(std::fabs(ms) < 9.0e18)) // beyond any calendar; keeps the cast defined
            return copy(out, "Invalid DateTime");
        long long days, rest;
        splitDays(static_cast<long long>(ms), kMsPerDay, days, rest);
        p += writeDate(p, days);
        *p++ = 'T';
        return static_cast<std::size_t>(writeClock(p, rest, 3) - out);
    }
    case KN: {
        const J v = load<J>(item);
        if ((s = special<J>(v, nj, wj, "0Nn", "0Wn", "-0Wn")))
            return copy(out, s);
        long long a = v;
        if (a < 0) {
            *p++ = '-';
            a = -a;
        }
        p = writeInt(p, a / kNsPerDay);
        *p++ = 'D';
        return static_cast<std::size_t>(writeClock(p, a % kNsPerDay, 4) - out);
    }
    case KU:
    case KV:
    case KT: {
        const I v = load<I>(item);
        if (type == KU && (s = special<I>(v, ni, wi, "0Nu", "0Wu", "-0Wu")))
            return copy(out, s);
        if (type == KV && (s = special<I>(v, ni, wi, "0Nv", "0Wv", "-0Wv")))
            return copy(out, s);
        if (type == KT && (s = special<I>(v, ni, wi, "0Nt", "0Wt", "-0Wt")))
            return copy(out, s);
        return writeSignedClock(out, v, type == KU ? 1 : type == KV ? 2 : 3);
    }
    default:
        return 0;
    }
}

bool KItemText::isNull(int type, const void* item)
{
    switch (type) {
    case KH: return load<H>(item) == nh;
    case KI: case KM: case KD: case KU: case KV: case KT: return load<I>(item) == ni;
    case KJ: case KP: case KN: return load<J>(item) == nj;
    case KE: return std::isnan(load<E>(item));
    case KF: case KZ: return ValueCatalogue::isFloatNull(load<F>(item));
    default: return false;
    }
}

QString KItemText::localeText(int type, const void* item, const QLocale& locale)
{
    QString text;
    switch (type) {
    case KH: case KI: case KJ: {
        const J v = type == KH ? load<H>(item) : type == KI ? load<I>(item) : load<J>(item);
        const J null = type == KH ? nh : type == KI ? ni : nj;
        const J inf = type == KH ? wh : type == KI ? wi : wj;
        if (v == null || v == inf || v == -inf)
            return {};
        // Integers gain the locale's fractional digits, as the system's number
        // format does (1,234.00).
        text = locale.toString(static_cast<qlonglong>(v)) + locale.decimalPoint() + QStringLiteral("00");
        break;
    }
    case KE: case KF: {
        const double v = type == KE ? load<E>(item) : load<F>(item);
        if (!std::isfinite(v))
            return {};
        text = locale.toString(v, 'f', 2);
        break;
    }
    default:
        return {};
    }
    text.truncate(256);
    return text;
}

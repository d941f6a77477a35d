#include "chart/ChartKinds.h"

#include "core/values/KRender.h"
#include "kdb/KPtr.h"

#include <cmath>
#include <cstdio>
#include <limits>

bool ChartKinds::isYable(int type)
{
    switch (type) {
    case KG: case KH: case KI: case KJ: case KE: case KF: return true;
    default: return false;
    }
}

bool ChartKinds::isXable(int type)
{
    switch (type) {
    case KP: case KM: case KD: case KZ: case KN: case KU: case KV: case KT: return true;
    default: return isYable(type);
    }
}

std::int64_t ChartKinds::nanosPerUnit(int type)
{
    switch (type) {
    case KD: case KZ: return 86400000000000LL;
    case KU: return 60000000000LL;
    case KV: return 1000000000LL;
    case KT: return 1000000LL;
    case KP: case KN: return 1;
    default: return 0;
    }
}

bool ChartKinds::isIntegral(int type)
{
    return type != KE && type != KF && type != KZ;
}

double ChartKinds::valueAt(K column, long long i)
{
    return ColumnReader(column)[i];
}

namespace {

// Truncation to an integer of the given width that never meets undefined
// behaviour: NaN and values out of range wrap like the two's complement cast.
template <typename T>
T truncated(double x)
{
    if (std::isnan(x))
        return std::numeric_limits<T>::min();
    if (x >= 9.2e18 || x <= -9.2e18)
        return x > 0 ? std::numeric_limits<T>::max() : std::numeric_limits<T>::min();
    return static_cast<T>(static_cast<std::int64_t>(x));
}

} // namespace

QString ChartKinds::atomText(int type, double x, const RenderOptions& options)
{
    KPtr atom;
    switch (type) {
    case KB: atom.reset(kb(truncated<std::uint8_t>(x) != 0)); break;
    case KG: atom.reset(kg(truncated<std::uint8_t>(x))); break;
    case KH: atom.reset(kh(truncated<std::int16_t>(x))); break;
    case KI: case KM: case KD: case KU: case KV: case KT:
        atom.reset(ka(-type));
        atom->i = truncated<std::int32_t>(x);
        break;
    case KJ: case KP: case KN: atom.reset(ktj(-type, truncated<std::int64_t>(x))); break;
    case KE: atom.reset(ke(x)); break;
    case KF: atom.reset(kf(x)); break;
    case KZ: atom.reset(kz(x)); break;
    default: return numberText(x, options.floatPrecision);
    }
    return renderConsole(atom.get(), options);
}

QString ChartKinds::numberText(double y, int digits)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, y);
    return QString::fromLatin1(buf);
}

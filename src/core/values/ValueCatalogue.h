// The kdb+ value kinds as Tovo names, prints and measures them: type names
// and letters, nulls and infinities, attribute letters and names, size texts.
#pragma once

#include "kdb/k.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstring>

class ValueCatalogue {
public:
    // "long (Scalar)" for -7, "mixed" for 0, "enumerated" for codes not listed.
    static QString typeName(int type);
    // One letter for list codes 1..19 (none for 0 and code 3), else empty.
    static QString typeLetter(int type);
    // The letter shown before "#" for attribute code u, or 0 when it has none.
    static char attributeLetter(int code);
    // "none", "grouped", "parted", "sorted" or "unique"; empty for other letters.
    static QString attributeName(QChar letter);
    // "512 bytes", "~1.5KB", "Unknown" for a negative count.
    static QString sizeText(qint64 bytes);

    // Nulls and infinities of the integral kinds: short; int, month, date,
    // minute, second, time; long, timestamp, timespan.
    static constexpr std::int16_t nullShort = INT16_MIN;
    static constexpr std::int16_t infShort = INT16_MAX;
    static constexpr std::int32_t nullInt = INT32_MIN;
    static constexpr std::int32_t infInt = INT32_MAX;
    static constexpr std::int64_t nullLong = INT64_MIN;
    static constexpr std::int64_t infLong = INT64_MAX;

    // q writes its float null as this pattern; other writers send any NaN.
    static constexpr std::uint64_t floatNullBits = 0xfff8000000000000ULL;
    static bool isFloatNull(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return bits == floatNullBits || std::isnan(v);
    }
};

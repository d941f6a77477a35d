// The text of one item of a simple list (or of an atom) as q prints it:
// numbers, guids, bytes, temporal values, their nulls and infinities.
#pragma once

#include "kdb/k.h"

#include <QLocale>
#include <QString>

#include <cstddef>

class KItemText {
public:
    // Enough for any text write() produces (a 32-digit float, a timestamp).
    static constexpr std::size_t capacity = 64;

    // Writes the item text of a value of list type `type` (1..19, not char or
    // symbol) read from `item`; a real null or infinity takes its list-item
    // text ("0ne") when listItem is set. Returns the length written.
    static std::size_t write(char* out, int type, const void* item, bool listItem, int precision);

    // Whether the item is the null of a type that has one (short, int, long,
    // real, float and the temporal types).
    static bool isNull(int type, const void* item);

    // The number in the locale's format with its usual two fractional digits;
    // empty for other types, nulls and infinities.
    static QString localeText(int type, const void* item, const QLocale& locale);

    // "%Y.%m.%d" of days since 2000.01.01, "Invalid DateTime" outside the
    // years 100..9999.
    static std::size_t writeDate(char* out, long long days);
};

// A large table made by rule rather than written out, for replies too big to
// script by hand: columns id (long), price (float), sym (symbol), time
// (timestamp). Row i holds id i, price 100 + (i mod 1000) / 100, sym
// `s(i mod 200) and time 800000000000000 + i * 1000000 nanoseconds.
#pragma once

#include "kdb/KPtr.h"

class GeneratedTable {
public:
    // Row counts allowed (an IPC vector holds at most 2^31 - 1 items).
    static constexpr long long kMaxRows = 0x7fffffffLL;

    // Null when rows is outside 0..kMaxRows.
    static KPtr make(long long rows);
};

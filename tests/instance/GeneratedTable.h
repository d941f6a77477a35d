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

    // A day of trades shaped like a market feed, also by rule: columns time
    // (timestamp) 2026.01.05D09:30:00 + 20 ms a row, sym (symbol) one of
    // kTradeSyms in turn, price (float, cents) about the symbol's base price,
    // size (long) a round lot of 100 to 5000. Null when rows is outside 0..kMaxRows.
    static KPtr makeTrades(long long rows);
    static constexpr int kTradeSymCount = 8;
    static const char* const kTradeSyms[kTradeSymCount];
};

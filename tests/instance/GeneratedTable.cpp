#include "GeneratedTable.h"

#include <cstdio>

KPtr GeneratedTable::make(long long rows)
{
    if (rows < 0 || rows > kMaxRows)
        return KPtr();
    K names = ktn(KS, 4);
    const char* n[] = {"id", "price", "sym", "time"};
    for (int i = 0; i < 4; ++i)
        kS(names)[i] = ss(n[i]);
    K id = ktn(KJ, rows), price = ktn(KF, rows), sym = ktn(KS, rows), time = ktn(KP, rows);
    S syms[200];
    for (int i = 0; i < 200; ++i) {
        char text[8];
        std::snprintf(text, sizeof text, "s%d", i);
        syms[i] = ss(text);
    }
    for (J i = 0; i < rows; ++i) {
        kJ(id)[i] = i;
        kF(price)[i] = 100 + static_cast<double>(i % 1000) * 0.01;
        kS(sym)[i] = syms[i % 200];
        kJ(time)[i] = 800000000000000LL + i * 1000000LL;
    }
    return KPtr(xT(xD(names, knk(4, id, price, sym, time))));
}

const char* const GeneratedTable::kTradeSyms[kTradeSymCount] = {"AAPL", "MSFT", "GOOG", "AMZN", "IBM", "JPM", "XOM", "TSLA"};

KPtr GeneratedTable::makeTrades(long long rows)
{
    if (rows < 0 || rows > kMaxRows)
        return KPtr();
    static const long long baseCents[kTradeSymCount] = {18950, 40225, 14175, 15310, 16240, 17130, 10460, 23890};
    K names = ktn(KS, 4);
    const char* n[] = {"time", "sym", "price", "size"};
    for (int i = 0; i < 4; ++i)
        kS(names)[i] = ss(n[i]);
    K time = ktn(KP, rows), sym = ktn(KS, rows), price = ktn(KF, rows), size = ktn(KJ, rows);
    S syms[kTradeSymCount];
    for (int i = 0; i < kTradeSymCount; ++i)
        syms[i] = ss(kTradeSyms[i]);
    // 2026.01.05D09:30:00 as nanoseconds since 2000.01.01.
    const J open = (9501LL * 86400LL + 9LL * 3600LL + 30LL * 60LL) * 1000000000LL;
    for (J i = 0; i < rows; ++i) {
        const int s = static_cast<int>(i % kTradeSymCount);
        kJ(time)[i] = open + i * 20000000LL;
        kS(sym)[i] = syms[s];
        // A slow swing of a few dollars plus a cent-level jitter, rounded to cents.
        const long long cents = baseCents[s] + ((i / 1000) % 600) - 300 + (i * 7919) % 23 - 11;
        kF(price)[i] = static_cast<double>(cents) / 100;
        kJ(size)[i] = 100 * (1 + (i * 31) % 50);
    }
    return KPtr(xT(xD(names, knk(4, time, sym, price, size))));
}

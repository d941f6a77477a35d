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

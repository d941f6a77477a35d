#include "UpdateStream.h"

#include <QByteArray>

namespace {
KPtr makeTable(long long first, int rows)
{
    K names = ktn(KS, 3);
    kS(names)[0] = ss("n");
    kS(names)[1] = ss("sym");
    kS(names)[2] = ss("price");
    K n = ktn(KJ, rows);
    K sym = ktn(KS, rows);
    K price = ktn(KF, rows);
    for (int i = 0; i < rows; ++i) {
        const long long seq = first + i;
        kJ(n)[i] = seq;
        kS(sym)[i] = ss(QByteArray("s").append(QByteArray::number(seq % 10)).constData());
        kF(price)[i] = 100 + static_cast<double>(seq % 100) / 100;
    }
    return KPtr(xT(xD(names, knk(3, n, sym, price))));
}
} // namespace

KPtr UpdateStream::update(const QString& name, long long sequence, int rows)
{
    return KPtr(knk(3, ks("upd"), ks(name.toUtf8().constData()), makeTable(sequence, rows).release()));
}

KPtr UpdateStream::schema() { return makeTable(0, 0); }

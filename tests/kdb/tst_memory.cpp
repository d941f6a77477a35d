// Memory and time limits of the client library: shared small atoms, replies
// that do not fit in memory (decoded by a child process whose address space
// is capped), errors raised here told apart from q errors, and a time limit
// on whole queries.
#include "TestInstance.h"

#include "kdb/Deserializer.h"
#include "kdb/KPtr.h"
#include "kdb/k.h"
#include "kdb/kalloc.h"
#include "kdb/kbounds.h"
#include "kdb/kerror.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

namespace {

K decode(const QByteArray& hexValue, std::string& error)
{
    QByteArray m = QByteArray::fromHex("0102000000000000") + QByteArray::fromHex(hexValue);
    const quint32 n = static_cast<quint32>(m.size());
    for (int i = 0; i < 4; ++i)
        m[4 + i] = static_cast<char>((n >> (8 * i)) & 0xff);
    return kdb::Deserializer::decodeMessage(m.constData(), static_cast<std::size_t>(m.size()), error);
}

// A general list of n items made by make(i).
template <class Make>
K generalList(J n, Make make)
{
    K x = ktn(0, n);
    for (J i = 0; i < n; ++i)
        kK(x)[i] = make(i);
    return x;
}

} // namespace

class TestMemory : public QObject {
    Q_OBJECT
private slots:
    void listItemsShareSmallAtoms();
    void errorsRaisedHereAreMarked();
    void undecodableReplyKeepsConnection();
    void queryTimeoutBoundsTheWholeQuery();
    void replyTooLargeForMemory();
};

void TestMemory::listItemsShareSmallAtoms()
{
    // (::; ::; 1b; 0x2a; "a"; ::; 7)
    std::string error;
    KPtr x(decode("000007000000" "6500" "6500" "ff01" "fc2a" "f661" "6500" "f90700000000000000", error));
    QVERIFY2(x, error.c_str());
    K* items = kK(x.get());
    QCOMPARE(items[0], items[1]);
    QCOMPARE(items[0], items[5]);
    QVERIFY(kdb::isShared(items[0]));
    QCOMPARE(items[0]->t, KUNARY);
    QCOMPARE(int(items[0]->g), 0);
    QCOMPARE(items[2], kdb::sharedAtom(-KB, 1));
    QCOMPARE(items[3], kdb::sharedAtom(-KG, 0x2a));
    QCOMPARE(items[4], kdb::sharedAtom(-KC, 'a'));
    QVERIFY(!kdb::isShared(items[6])); // a long is no one-byte atom
    QCOMPARE(items[6]->j, 7);

    // Reference counting leaves shared atoms alone, from any number of owners.
    K null = items[0];
    for (int i = 0; i < 1000; ++i)
        r1(null);
    for (int i = 0; i < 2000; ++i)
        r0(null);
    QCOMPARE(null->r, 0);
    x.reset();
    QCOMPARE(null->t, KUNARY); // still there after its list went
    QCOMPARE(int(null->g), 0);

    // A whole reply is always a value of its own: replies are told apart by address.
    KPtr top(decode("6500", error));
    QVERIFY(top);
    QVERIFY(!kdb::isShared(top.get()));
    QVERIFY(top.get() != null);
    // The shared items encode as any other.
    KPtr again(decode("000002000000" "6500" "ff00", error));
    KPtr bytes(b9(3, again.get()));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(kG(bytes.get())) + 8, int(bytes->n) - 8).toHex(),
             QByteArray("00000200000065" "00ff00"));
}

void TestMemory::errorsRaisedHereAreMarked()
{
    KPtr local(kdb::localError("timeout"));
    QVERIFY(kdb::isLocalError(local.get()));
    std::string error;
    KPtr received(decode("80747970650" "0", error)); // 'type from a peer
    QVERIFY(received);
    QCOMPARE(received->t, KERR);
    QVERIFY(!kdb::isLocalError(received.get()));
    KPtr signalled(krr("type")); // what a C extension signals to q
    QVERIFY(!kdb::isLocalError(signalled.get()));
    KPtr notError(kj(1));
    QVERIFY(!kdb::isLocalError(notError.get()));
    QCOMPARE(kdb::tooLargeText(123), std::string("reply too large for the memory available: 123 bytes announced"));
}

void TestMemory::undecodableReplyKeepsConnection()
{
    TestInstance inst;
    // An int vector announcing 3 items that holds 2 (the length covers only the bytes sent).
    inst.onRaw("bad", QByteArray::fromHex("0102000016000000" "060003000000" "0100000002000000"));
    inst.onError("qerr", "type");
    inst.on("1+1", kj(2));
    QVERIFY(inst.start());
    const int h = khpunc("127.0.0.1", inst.port(), "", 5000, 0);
    QVERIFY(h > 0);
    KPtr bad(k(h, "bad", static_cast<K>(nullptr)));
    QVERIFY(bad);
    QCOMPARE(bad->t, KERR);
    QVERIFY(kdb::isLocalError(bad.get()));
    QCOMPARE(QString::fromUtf8(bad->s), QStringLiteral("reply could not be decoded: d9: count larger than the message"));
    KPtr qerr(k(h, "qerr", static_cast<K>(nullptr)));
    QVERIFY(qerr && qerr->t == KERR && !kdb::isLocalError(qerr.get()));
    QCOMPARE(QString::fromUtf8(qerr->s), QStringLiteral("type"));
    KPtr two(k(h, "1+1", static_cast<K>(nullptr)));
    QVERIFY(two);
    QCOMPARE(two->j, 2);
    kclose(h);
}

void TestMemory::queryTimeoutBoundsTheWholeQuery()
{
    TestInstance inst;
    inst.on("slow", kj(1)).delay(20000);
    inst.on("fast", kj(2));
    QVERIFY(inst.start());
    const int h = khpunc("127.0.0.1", inst.port(), "", 5000, 0);
    QVERIFY(h > 0);
    QVERIFY(kdb::setQueryTimeout(h, 300));
    QVERIFY(!kdb::setQueryTimeout(h + 100, 300));
    KPtr fast(k(h, "fast", static_cast<K>(nullptr)));
    QVERIFY(fast && fast->j == 2);
    QElapsedTimer timer;
    timer.start();
    KPtr slow(k(h, "slow", static_cast<K>(nullptr)));
    const qint64 took = timer.elapsed();
    QVERIFY(!slow);
    QCOMPARE(QString::fromStdString(kdb::lastError()), QStringLiteral("timeout"));
    QVERIFY2(took >= 250 && took < 10000, qPrintable(QString::number(took)));
    // The connection is gone: nothing of the late reply can be mistaken for the next one.
    KPtr after(k(h, "fast", static_cast<K>(nullptr)));
    QVERIFY(!after);
    kclose(h);
}

void TestMemory::replyTooLargeForMemory()
{
    TestInstance inst;
    constexpr J atoms = 1'000'000, nulls = 10'000'000, longs = 10'000'000;
    inst.on("atoms", generalList(atoms, [](J i) { return kj(i); }));
    inst.on("nulls", generalList(nulls, [](J) { return kdb::sharedAtom(KUNARY, 0); }));
    K vector = ktn(KJ, longs);
    inst.on("vector", vector);
    inst.on("small", kj(42));
    QVERIFY(inst.start());

    QProcess child;
    child.start(QStringLiteral(TOVO_LOWMEMORY_CHILD),
                {QString::number(inst.port()), QStringLiteral("24"), "atoms", "small", "nulls", "vector", "atoms",
                 "small"});
    QVERIFY(child.waitForFinished(120000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    if (out.trimmed() == QStringLiteral("unsupported"))
        QSKIP("the address space cannot be capped here");
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    auto tooLarge = [](J bytes) {
        return QStringLiteral("error: reply too large for the memory available: %1 bytes announced").arg(bytes);
    };
    const QStringList expected {tooLarge(8 + 6 + atoms * 9), QStringLiteral("value: -7 1"),
                                tooLarge(8 + 6 + nulls * 2), tooLarge(8 + 6 + longs * 8),
                                tooLarge(8 + 6 + atoms * 9), QStringLiteral("value: -7 1"), QStringLiteral("alive")};
    QCOMPARE(out.split(u'\n', Qt::SkipEmptyParts), expected);
}

QTEST_GUILESS_MAIN(TestMemory)
#include "tst_memory.moc"

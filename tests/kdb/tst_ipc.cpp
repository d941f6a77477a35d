// Connecting and querying over loopback against the scripted test instance.
#include "TestInstance.h"

#include "kdb/KPtr.h"
#include "kdb/MessageCodec.h"
#include "kdb/MessageHeader.h"
#include "kdb/Socket.h"
#include "kdb/k.h"
#include "kdb/kerror.h"

#include <QTest>

#include <future>

namespace {

int connectTo(const TestInstance& inst, const char* credentials = "", int capability = 0, int timeoutMs = 3000)
{
    return khpunc("127.0.0.1", inst.port(), credentials, timeoutMs, capability);
}

QByteArray bytesOf(const ReceivedMessage& m) { return m.bytes; }

K longs(J n)
{
    K x = ktn(KJ, n);
    for (J i = 0; i < n; ++i)
        kJ(x)[i] = i % 1000;
    return x;
}

bool sameLongs(K x, J n)
{
    if (!x || x->t != KJ || x->n != n)
        return false;
    for (J i = 0; i < n; ++i)
        if (kJ(x)[i] != i % 1000)
            return false;
    return true;
}

} // namespace

class TestIpc : public QObject {
    Q_OBJECT
private slots:
    void credentials_data();
    void credentials();
    void refusedPort();
    void silentServerTimesOut();
    void handshakeCapability_data();
    void handshakeCapability();
    void unexpectedHandshakeAnswerRefused();
    void syncQueryAndError();
    void sentBytesExact_data();
    void sentBytesExact();
    void asyncSend();
    void nextMessageReadsPublishedUpdates();
    void publishWakesBlockedReader();
    void largeCompressedReply();
    void droppedConnectionGivesNull();
    void kcloseWakesBlockedReader();
    void handlesAreSmallAndReused();
    void argumentsReleasedOnFailure();
};

void TestIpc::credentials_data()
{
    QTest::addColumn<QStringList>("accepted");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<bool>("opens");
    QTest::newRow("anyone") << QStringList() << "" << true;
    QTest::newRow("listed") << QStringList {"u:p", "a:b"} << "a:b" << true;
    QTest::newRow("wrong password") << QStringList {"u:p"} << "u:x" << false;
    QTest::newRow("no credentials") << QStringList {"u:p"} << "" << false;
}

void TestIpc::credentials()
{
    QFETCH(QStringList, accepted);
    QFETCH(QString, sent);
    QFETCH(bool, opens);
    TestInstance inst;
    inst.setCredentials(accepted);
    QVERIFY(inst.start());
    const int h = connectTo(inst, sent.toUtf8().constData());
    if (opens) {
        QVERIFY(h > 0);
        kclose(h);
    } else {
        QCOMPARE(h, 0);
    }
    // A refusal is checked once with a TLS probe (is it a TLS-only server?).
    QList<ReceivedHandshake> logins;
    for (const ReceivedHandshake& hs : inst.handshakes())
        if (!hs.tlsHello)
            logins.append(hs);
    QCOMPARE(logins.size(), 1);
    QCOMPARE(logins.front().credentials, sent.toUtf8());
    QCOMPARE(inst.handshakes().size(), opens ? 1 : 2);
}

void TestIpc::refusedPort()
{
    // A port that was just free: bind, note it, close.
    kdb::Socket probe;
    QVERIFY(probe.listen("127.0.0.1", 0));
    const int port = probe.localPort();
    probe.close();
    QCOMPARE(khpunc("127.0.0.1", port, "", 1000, 0), -1);
    QVERIFY(!kdb::lastError().empty());
    QCOMPARE(khpunc("127.0.0.1", 0, "", 1000, 0), -1);
    QCOMPARE(khp("", -1), -1);
}

void TestIpc::silentServerTimesOut()
{
    TestInstance inst;
    inst.setSilent(true);
    QVERIFY(inst.start());
    QCOMPARE(connectTo(inst, "u:p", 0, 300), -2);
    QCOMPARE(connectTo(inst, "u:p", 1, 300), -2);
    QCOMPARE(connectTo(inst, "u:p", 2, 300), -2); // no TLS answer either
    // A short login is followed by a TLS probe, which this server does not answer either.
    QCOMPARE(connectTo(inst, "", 0, 300), -2);
    QCOMPARE(connectTo(inst, "", 0, 1500), -2);
}

void TestIpc::handshakeCapability_data()
{
    QTest::addColumn<int>("serverMax");
    QTest::addColumn<int>("clientBits");
    QTest::addColumn<int>("sentByte");
    QTest::newRow("plain client") << 6 << 0 << 3;
    QTest::newRow("large messages") << 6 << 1 << 6;
    QTest::newRow("older server answers 3") << 3 << 1 << 6;
    QTest::newRow("oldest server answers 0") << 0 << 0 << 3;
}

void TestIpc::handshakeCapability()
{
    QFETCH(int, serverMax);
    QFETCH(int, clientBits);
    QFETCH(int, sentByte);
    TestInstance inst;
    inst.setCapability(serverMax);
    inst.on("1+1", kj(2));
    QVERIFY(inst.start());
    const int h = connectTo(inst, "u:p", clientBits);
    QVERIFY(h > 0);
    QCOMPARE(inst.handshakes().front().capability, sentByte);
    // Whatever was agreed, queries work.
    KPtr r(k(h, "1+1", static_cast<K>(nullptr)));
    QVERIFY(r);
    QCOMPARE(int(r->t), -KJ);
    QCOMPARE(r->j, 2LL);
    kclose(h);
}

void TestIpc::unexpectedHandshakeAnswerRefused()
{
    // An answer above what was asked is no kdb+ answer (e.g. a TLS alert byte).
    TestInstance inst;
    inst.setHandshakeAnswer(21);
    QVERIFY(inst.start());
    QCOMPARE(connectTo(inst, "u:p", 0), -1);
}

void TestIpc::syncQueryAndError()
{
    TestInstance inst;
    inst.on("til 3", longs(3));
    inst.onError("bad", "type");
    QVERIFY(inst.start());
    const int h = connectTo(inst);
    QVERIFY(h > 0);
    KPtr r(k(h, "til 3", static_cast<K>(nullptr)));
    QVERIFY(sameLongs(r.get(), 3));
    KPtr e(k(h, "bad", static_cast<K>(nullptr)));
    QVERIFY(e);
    QCOMPARE(int(e->t), KERR);
    QCOMPARE(QByteArray(e->s), QByteArray("type"));
    KPtr u(k(h, "not scripted", static_cast<K>(nullptr)));
    QCOMPARE(int(u->t), KERR);
    kclose(h);
}

void TestIpc::sentBytesExact_data()
{
    QTest::addColumn<int>("args");
    QTest::addColumn<QByteArray>("hex");
    // A plain text is a char vector; with arguments, the general list (text; args).
    QTest::newRow("text") << 0 << QByteArray("0101000011000000" "0a0003000000312b31");
    QTest::newRow("lambda and a long") << 1
                                       << QByteArray("0101000020000000" "000002000000" "0a00030000007b787d"
                                                     "f90100000000000000");
}

void TestIpc::sentBytesExact()
{
    QFETCH(int, args);
    QFETCH(QByteArray, hex);
    TestInstance inst;
    QVERIFY(inst.start());
    const int h = connectTo(inst);
    QVERIFY(h > 0);
    KPtr r(args ? k(h, "{x}", kj(1), static_cast<K>(nullptr)) : k(h, "1+1", static_cast<K>(nullptr)));
    QVERIFY(r);
    QCOMPARE(inst.received().size(), 1);
    QCOMPARE(bytesOf(inst.received().front()).toHex(), hex);
    QCOMPARE(inst.received().front().type, 1);
    kclose(h);
}

void TestIpc::asyncSend()
{
    TestInstance inst;
    inst.on("a:1", kj(99)); // must not be answered: the message is async
    inst.on("a", kj(1));
    QVERIFY(inst.start());
    const int h = connectTo(inst);
    QVERIFY(h > 0);
    KPtr sent(k(-h, "a:1", static_cast<K>(nullptr)));
    QVERIFY(sent);
    QCOMPARE(int(sent->t), int(KUNARY));
    // The next sync reply is the one to "a", not a stray answer to the async message.
    KPtr r(k(h, "a", static_cast<K>(nullptr)));
    QVERIFY(r);
    QCOMPARE(r->j, 1LL);
    const auto received = inst.received();
    QCOMPARE(received.size(), 2);
    QCOMPARE(received[0].type, 0);
    QCOMPARE(received[0].text, QString("a:1"));
    QCOMPARE(received[1].type, 1);
    kclose(h);
}

void TestIpc::nextMessageReadsPublishedUpdates()
{
    TestInstance inst;
    inst.on(".u.sub[`trade;`]", ka(KUNARY)).thenPublish(knk(2, ks("upd"), kj(1))).thenPublish(knk(2, ks("upd"), kj(2)));
    QVERIFY(inst.start());
    const int h = connectTo(inst);
    QVERIFY(h > 0);
    KPtr ack(k(h, ".u.sub[`trade;`]", static_cast<K>(nullptr)));
    QVERIFY(ack);
    for (J expected : {1LL, 2LL}) {
        KPtr update(k(h, static_cast<S>(nullptr)));
        QVERIFY(update);
        QCOMPARE(int(update->t), 0);
        QCOMPARE(update->n, 2LL);
        QCOMPARE(QByteArray(kK(update.get())[0]->s), QByteArray("upd"));
        QCOMPARE(kK(update.get())[1]->j, expected);
    }
    kclose(h);
}

void TestIpc::publishWakesBlockedReader()
{
    TestInstance inst;
    inst.on("hello", kb(1));
    QVERIFY(inst.start());
    const int h = connectTo(inst);
    QVERIFY(h > 0);
    KPtr hello(k(h, "hello", static_cast<K>(nullptr))); // past the handshake for sure
    auto reader = std::async(std::launch::async, [h] { return KPtr(k(h, static_cast<S>(nullptr))); });
    QVERIFY(reader.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout);
    inst.publish(ks("tick"));
    KPtr update = reader.get();
    QVERIFY(update);
    QCOMPARE(QByteArray(update->s), QByteArray("tick"));
    kclose(h);
}

void TestIpc::largeCompressedReply()
{
    // Several MB, compressed as kdb+ sends large replies to remote clients.
    constexpr J n = 1000000;
    KPtr big(longs(n));
    std::vector<char> plain, packed;
    std::string error;
    QVERIFY(kdb::MessageCodec::encode(big.get(), kdb::MsgResponse, kdb::CapGuid, true, plain, error));
    QVERIFY(kdb::MessageCodec::compress(plain, packed));
    QVERIFY(packed.size() < plain.size() / 2);
    QCOMPARE(int(packed[2]), 1);

    TestInstance inst;
    inst.onRaw("big", QByteArray(packed.data(), qsizetype(packed.size())));
    inst.on("big again", r1(big.get())).compressed();
    QVERIFY(inst.start());
    const int h = connectTo(inst);
    QVERIFY(h > 0);
    KPtr r(k(h, "big", static_cast<K>(nullptr)));
    QVERIFY(sameLongs(r.get(), n));
    KPtr again(k(h, "big again", static_cast<K>(nullptr)));
    QVERIFY(sameLongs(again.get(), n));
    kclose(h);
}

void TestIpc::droppedConnectionGivesNull()
{
    TestInstance inst;
    inst.drop("exit 0");
    inst.on("1+1", kj(2));
    QVERIFY(inst.start());
    const int h = connectTo(inst);
    QVERIFY(h > 0);
    QVERIFY(!k(h, "exit 0", static_cast<K>(nullptr)));
    // Gone for good: no wait, no reply, until it is closed.
    QVERIFY(!k(h, "1+1", static_cast<K>(nullptr)));
    QVERIFY(!k(-h, "1+1", static_cast<K>(nullptr)));
    kclose(h);
    QVERIFY(!k(h, "1+1", static_cast<K>(nullptr)));
}

void TestIpc::kcloseWakesBlockedReader()
{
    TestInstance inst;
    QVERIFY(inst.start());
    const int h = connectTo(inst);
    QVERIFY(h > 0);
    auto reader = std::async(std::launch::async, [h] { return KPtr(k(h, static_cast<S>(nullptr))); });
    QVERIFY(reader.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout);
    kclose(h);
    QVERIFY(!reader.get());
    // The server side sees the connection go too.
    QTRY_COMPARE(inst.clientCount(), 0);
}

void TestIpc::handlesAreSmallAndReused()
{
    TestInstance inst;
    QVERIFY(inst.start());
    const int a = connectTo(inst);
    const int b = connectTo(inst);
    QVERIFY(a > 0 && b > 0 && a != b);
    kclose(a);
    const int c = connectTo(inst);
    QCOMPARE(c, a);
    kclose(b);
    kclose(c);
    QVERIFY(!k(0, "1+1", static_cast<K>(nullptr)));
    QVERIFY(!k(12345, "1+1", static_cast<K>(nullptr)));
}

void TestIpc::argumentsReleasedOnFailure()
{
    // k() owns its arguments even when it cannot send: a kept reference shows it.
    K arg = kj(5);
    r1(arg);
    QVERIFY(!k(777, "{x}", arg, static_cast<K>(nullptr)));
    QCOMPARE(arg->r, 0);
    r0(arg);
}

QTEST_GUILESS_MAIN(TestIpc)
#include "tst_ipc.moc"

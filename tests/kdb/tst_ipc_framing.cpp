// Message headers and malformed replies: untrusted bytes from the socket end
// in an error value or a closed connection, never a crash, hang or huge allocation.
#include "TestInstance.h"

#include "kdb/KPtr.h"
#include "kdb/MessageCodec.h"
#include "kdb/MessageHeader.h"
#include "kdb/k.h"

#include <QTest>

class TestIpcFraming : public QObject {
    Q_OBJECT
private slots:
    void parseHeader_data();
    void parseHeader();
    void compressionRule_data();
    void compressionRule();
    void malformedReply_data();
    void malformedReply();
};

void TestIpcFraming::parseHeader_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<int>("capability");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qulonglong>("length");
    QTest::addColumn<int>("type");
    QTest::newRow("little endian") << QByteArray("010000000d000000") << 3 << true << 13ull << 0;
    QTest::newRow("big endian response") << QByteArray("000200000000000d") << 3 << true << 13ull << 2;
    QTest::newRow("compressed") << QByteArray("010201000d000000") << 3 << true << 13ull << 2;
    QTest::newRow("byte order 2") << QByteArray("020000000d000000") << 3 << false << 0ull << 0;
    QTest::newRow("message type 3") << QByteArray("010300000d000000") << 3 << false << 0ull << 0;
    QTest::newRow("compression flag 2") << QByteArray("010002000d000000") << 3 << false << 0ull << 0;
    QTest::newRow("no room for a value") << QByteArray("0100000008000000") << 3 << false << 0ull << 0;
    QTest::newRow("compressed frame too short") << QByteArray("010001000c000000") << 3 << false << 0ull << 0;
    QTest::newRow("2 GB without capability 6") << QByteArray("0100000000000080") << 3 << false << 0ull << 0;
    QTest::newRow("byte 3 ignored before capability 6") << QByteArray("010000010d000000") << 3 << true << 13ull << 0;
    QTest::newRow("byte 3 extends the length with 6") << QByteArray("010000010d000000") << 6 << true
                                                      << 0x10000000dull << 0;
}

void TestIpcFraming::parseHeader()
{
    QFETCH(QByteArray, hex);
    QFETCH(int, capability);
    QFETCH(bool, ok);
    QFETCH(qulonglong, length);
    QFETCH(int, type);
    const QByteArray bytes = QByteArray::fromHex(hex);
    kdb::MessageHeader header;
    std::string error;
    QCOMPARE(kdb::MessageHeader::parse(reinterpret_cast<const unsigned char*>(bytes.constData()), capability, header, error),
             ok);
    if (ok) {
        QCOMPARE(qulonglong(header.length), length);
        QCOMPARE(header.type, type);
    } else {
        QVERIFY(!error.empty());
    }
}

void TestIpcFraming::compressionRule_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("loopback");
    QTest::addColumn<int>("capability");
    QTest::addColumn<bool>("compress");
    QTest::newRow("large, remote") << 2001 << false << 3 << true;
    QTest::newRow("2000 bytes is not over 2000") << 2000 << false << 3 << false;
    QTest::newRow("loopback peer") << 100000 << true << 3 << false;
    QTest::newRow("peer without compression") << 100000 << false << 0 << false;
}

void TestIpcFraming::compressionRule()
{
    QFETCH(int, length);
    QFETCH(bool, loopback);
    QFETCH(int, capability);
    QFETCH(bool, compress);
    QCOMPARE(kdb::MessageCodec::shouldCompress(std::size_t(length), loopback, capability), compress);

    // encode() follows the rule on a compressible message of about that length.
    K x = ktn(KG, length - 14);
    std::memset(kG(x), 7, std::size_t(x->n));
    std::vector<char> out;
    std::string error;
    QVERIFY(kdb::MessageCodec::encode(x, kdb::MsgSync, capability, loopback, out, error));
    r0(x);
    QCOMPARE(out.size() == std::size_t(length), !compress);
    QCOMPARE(out[2] == 1, compress);
}

void TestIpcFraming::malformedReply_data()
{
    QTest::addColumn<int>("capability");
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<bool>("errorValue");
    // Framing intact but the value malformed: an error value, and the connection goes on.
    QTest::newRow("unknown value type") << 3 << QByteArray("010200000a0000007700") << true;
    QTest::newRow("count beyond the message") << 3 << QByteArray("0102000012000000" "0700ffffff7f" "01020304") << true;
    QTest::newRow("value shorter than its type") << 3 << QByteArray("010200000f000000" "f9010000000000") << true;
    QTest::newRow("compressed, bad back-reference")
        << 3 << QByteArray("010201001b000000" "20000000" "02" "ff" "00000000000000000000000000") << true;
    // Framing broken: the stream cannot be trusted any further, the connection is gone.
    QTest::newRow("byte order 7") << 3 << QByteArray("070200000d000000fa01000000") << false;
    QTest::newRow("length 2 GB without capability 6") << 3 << QByteArray("0102000000000080fa01000000") << false;
    // 4 GB announced and never sent (the instance then closes): no 4 GB
    // allocation up front, and null once the peer is gone.
    QTest::newRow("4 GB announced, capability 6") << 6 << QByteArray("010200010d000000fa01000000") << false;
}

void TestIpcFraming::malformedReply()
{
    QFETCH(int, capability);
    QFETCH(QByteArray, hex);
    QFETCH(bool, errorValue);
    TestInstance inst;
    auto rule = inst.onRaw("bad", QByteArray::fromHex(hex));
    if (!errorValue)
        rule.dropConnection();
    inst.on("ok", kj(1));
    QVERIFY(inst.start());
    const int h = khpunc("127.0.0.1", inst.port(), "", 3000, capability == 6 ? 1 : 0);
    QVERIFY(h > 0);
    KPtr r(k(h, "bad", static_cast<K>(nullptr)));
    if (errorValue) {
        QVERIFY(r);
        QCOMPARE(int(r->t), KERR);
        KPtr next(k(h, "ok", static_cast<K>(nullptr)));
        QVERIFY(next);
        QCOMPARE(next->j, 1LL);
    } else {
        QVERIFY(!r);
        QVERIFY(!k(h, "ok", static_cast<K>(nullptr)));
    }
    kclose(h);
}

QTEST_GUILESS_MAIN(TestIpcFraming)
#include "tst_ipc_framing.moc"

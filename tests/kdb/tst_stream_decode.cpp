// Messages decoded as they arrive (the connection's path): the same values
// and the same errors as decoding the whole message, every malformed message
// read to its end so the next one is in step, and a source that fails midway
// reported as a lost connection.
#include "KCompare.h"
#include "kdb/Deserializer.h"
#include "kdb/KPtr.h"
#include "kdb/MessageHeader.h"
#include "kdb/k.h"

#include <QtTest>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace ktest;

namespace {

// Bytes in memory handed out in order; fails once failAt bytes have been given.
class MemorySource : public kdb::Deserializer::Source {
public:
    explicit MemorySource(QByteArray bytes, qsizetype failAt = -1) : m_bytes(std::move(bytes)), m_failAt(failAt) {}
    bool read(void* data, std::size_t size) override
    {
        const qsizetype end = m_at + static_cast<qsizetype>(size);
        if (end > m_bytes.size() || (m_failAt >= 0 && end > m_failAt))
            return false;
        if (size)
            std::memcpy(data, m_bytes.constData() + m_at, size);
        m_at = end;
        return true;
    }
    std::string error() const override { return "connection closed"; }
    qsizetype at() const { return m_at; }

private:
    QByteArray m_bytes;
    qsizetype m_failAt;
    qsizetype m_at = 0;
};

// Reads one header from the source and decodes the rest of its message.
K streamed(MemorySource& source, std::string& error, bool& lost)
{
    unsigned char head[kdb::MessageHeader::kSize];
    kdb::MessageHeader header;
    if (!source.read(head, sizeof head) || !kdb::MessageHeader::parse(head, kdb::CapLarge, header, error)) {
        lost = true;
        return nullptr;
    }
    return kdb::Deserializer::decodeStreamed(source, header, error, lost);
}

QByteArray fixLength(QByteArray m)
{
    const quint32 n = static_cast<quint32>(m.size());
    for (int i = 0; i < 4; ++i)
        m[4 + i] = static_cast<char>((n >> (8 * i)) & 0xff);
    return m;
}

QByteArray message(const QByteArray& valueHex) { return fixLength(QByteArray::fromHex("0100000000000000" + valueHex)); }

QByteArray encoded(K x)
{
    KPtr bytes(b9(3, x));
    return bytesOf(bytes.get());
}

// Symbols of growing length, so that many of them straddle the reader's
// 64 KB window, and one longer than the window.
K symbols()
{
    K x = ktn(KS, 0);
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text.assign(static_cast<std::size_t>(i % 97 + 1), static_cast<char>('a' + i % 26));
        js(&x, ss(text.c_str()));
    }
    js(&x, ss(std::string(200000, 'z').c_str()));
    js(&x, ss(""));
    return x;
}

// Many short names in random order, with names of seven and eight bytes and
// the empty name among them, so that the reader's block search meets window
// ends inside names.
K shortNames(J count)
{
    std::vector<S> names = {ss(""), ss("abcdefg"), ss("abcdefgh")};
    for (int i = 0; i < 1000; ++i) {
        std::string name = "s"; // appended, not literal + string: GCC 12 -O3 -Wrestrict
        name += std::to_string(i * 7919 % 1000);
        names.push_back(ss(name.c_str()));
    }
    K x = ktn(KS, count);
    std::uint64_t state = 1;
    for (J i = 0; i < count; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        kS(x)[i] = names[static_cast<std::size_t>((state >> 33) % names.size())];
    }
    return x;
}

K table(J rows)
{
    K names = ktn(KS, 3);
    kS(names)[0] = ss("id");
    kS(names)[1] = ss("sym");
    kS(names)[2] = ss("s");
    K id = ktn(KJ, rows), sym = ktn(KS, rows), s = ktn(0, rows);
    for (J i = 0; i < rows; ++i) {
        kJ(id)[i] = i * 7;
        kS(sym)[i] = ss(i % 3 ? "abc" : "x");
        kK(s)[i] = kp(std::string(static_cast<std::size_t>(i % 13), 'q').c_str());
    }
    return xT(xD(names, knk(3, id, sym, s)));
}

} // namespace

class TestStreamDecode : public QObject {
    Q_OBJECT

private slots:
    void sameAsWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("long atom") << encoded(KPtr(kj(42)).get());
        QTest::newRow("empty general list") << encoded(KPtr(ktn(0, 0)).get());
        QTest::newRow("symbols across the window") << encoded(KPtr(symbols()).get());
        QTest::newRow("short names across the window") << encoded(KPtr(shortNames(100000)).get());
        KPtr longs(ktn(KJ, 100000));
        for (J i = 0; i < longs->n; ++i)
            kJ(longs.get())[i] = i * i;
        QTest::newRow("800 KB of longs") << encoded(longs.get());
        QTest::newRow("table with nested strings") << encoded(KPtr(table(20000)).get());
        QTest::newRow("big-endian long vector") << QByteArray::fromHex("00020000" "0000001e" "0700" "00000002"
                                                                       "0000000000000001" "fffffffffffffffe");
        QTest::newRow("q error") << QByteArray::fromHex("01020000" "0e000000" "80" "7479706500");
    }

    void sameAsWhole()
    {
        QFETCH(QByteArray, bytes);
        std::string wholeError;
        KPtr whole(kdb::Deserializer::decodeMessage(bytes.constData(), static_cast<std::size_t>(bytes.size()), wholeError));
        QVERIFY2(whole, wholeError.c_str());
        MemorySource source(bytes);
        std::string error;
        bool lost = false;
        KPtr x(streamed(source, error, lost));
        QVERIFY2(x, error.c_str());
        QVERIFY(!lost);
        QCOMPARE(difference(x.get(), whole.get()), QString());
        QCOMPARE(source.at(), bytes.size());
    }

    // A malformed message gives the whole decoder's error, and the message
    // after it still decodes.
    void malformedKeepsStep_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown type inside a list") << message("0000" "02000000" "f90100000000000000" "fd00") << "d9: unknown type -3";
        QTest::newRow("value shorter than the message") << message("fa0100000000000000") << "d9: bytes left over after the value";
        QTest::newRow("huge long count") << message("0700ffffff7f0000000000000000") << "d9: count larger than the message";
        QTest::newRow("unterminated symbol") << message("f56162") << "d9: truncated message";
        QTest::newRow("unterminated last of many names")
            << message(QByteArray("0b00" "c8000000") + QByteArray("616200").repeated(199) + "616263") << "d9: truncated message";
        QTest::newRow("table columns of two lengths")
            << message("6200" "63" "0b00" "02000000" "6100" "6200" "0000" "02000000" "0600" "01000000" "02000000" "0600" "00000000")
            << "d9: table columns are not a symbol list and lists of one length";
        QTest::newRow("lambda without text") << message("6400f90100000000000000") << "d9: lambda without source text";
        // A bad item after a long vector body taken straight from the source.
        QTest::newRow("bad item after a big vector")
            << fixLength(message("0000" "02000000" "0700a0860100").append(QByteArray(800000, '\1')).append(QByteArray::fromHex("fd00")))
            << "d9: unknown type -3";
    }

    void malformedKeepsStep()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        std::string wholeError;
        QVERIFY(!kdb::Deserializer::decodeMessage(bytes.constData(), static_cast<std::size_t>(bytes.size()), wholeError));
        QCOMPARE(QString::fromStdString(wholeError), error);

        const QByteArray next = encoded(KPtr(kj(7)).get());
        MemorySource source(bytes + next);
        std::string why;
        bool lost = false;
        QVERIFY(!streamed(source, why, lost));
        QVERIFY(!lost);
        QCOMPARE(QString::fromStdString(why), error);
        QCOMPARE(source.at(), bytes.size());
        KPtr after(streamed(source, why, lost));
        QVERIFY2(after, why.c_str());
        QCOMPARE(after->j, 7LL);
    }

    // The source failing at any point of a message (inside symbols, inside a
    // vector body, between items) is a lost connection, never a value.
    void sourceFailsAnywhere()
    {
        KPtr value(knk(3, symbols(), table(3000), kp("tail")));
        const QByteArray bytes = encoded(value.get());
        QVERIFY(bytes.size() > 200000);
        for (qsizetype failAt = 8; failAt < bytes.size(); failAt += failAt < 200 ? 1 : 997) {
            MemorySource source(bytes, failAt);
            std::string error;
            bool lost = false;
            K x = streamed(source, error, lost);
            QVERIFY2(!x && lost, qPrintable(QStringLiteral("failing at %1").arg(failAt)));
            QCOMPARE(QString::fromStdString(error), QStringLiteral("connection closed"));
        }
    }

    // A count the message length allows but the system cannot hold is an
    // error, not an abort; the message is still read to its end.
    void countBeyondMemory()
    {
        // Capability 6 allows a 40-bit length: claim exactly the bytes of a
        // long vector of 2^31 - 1 items, then send only the vector's header.
        const quint64 length = 8 + 6 + 8ull * 0x7fffffff;
        QByteArray bytes = QByteArray::fromHex("0102000000000000" "0700ffffff7f");
        for (int i = 0; i < 4; ++i)
            bytes[4 + i] = static_cast<char>((length >> (8 * i)) & 0xff);
        bytes[3] = static_cast<char>((length >> 32) & 0xff);
        unsigned char head[8];
        std::memcpy(head, bytes.constData(), 8);
        kdb::MessageHeader header;
        std::string error;
        QVERIFY2(kdb::MessageHeader::parse(head, kdb::CapLarge, header, error), error.c_str());
        QCOMPARE(header.length, length);
        // Only the vector's header ever arrives: the body read fails, or the
        // allocation is refused first; either way no value and no crash.
        MemorySource source(bytes.mid(8));
        bool lost = false;
        K x = kdb::Deserializer::decodeStreamed(source, header, error, lost);
        QVERIFY(!x);
        QVERIFY2(lost || error == kdb::Deserializer::kOutOfMemory, error.c_str());
    }
};

QTEST_GUILESS_MAIN(TestStreamDecode)
#include "tst_stream_decode.moc"

// Untrusted bytes: every malformed, truncated or oversized message becomes an
// error, never a crash, a hang or an allocation the message cannot justify.
#include "KCompare.h"
#include "kdb/Compression.h"
#include "kdb/Deserializer.h"
#include "kdb/KPtr.h"
#include "kdb/k.h"

#include <QtTest>

#include <vector>

using namespace ktest;

namespace {

// Sets the header's length field (little endian) to the size of the message.
QByteArray fixLength(QByteArray m)
{
    const quint32 n = static_cast<quint32>(m.size());
    for (int i = 0; i < 4; ++i)
        m[4 + i] = static_cast<char>((n >> (8 * i)) & 0xff);
    return m;
}

QByteArray message(const char* valueHex) { return fixLength(QByteArray::fromHex("0100000000000000") + QByteArray::fromHex(valueHex)); }

QString decodeError(const QByteArray& bytes)
{
    std::string error;
    K x = kdb::Deserializer::decodeMessage(bytes.constData(), static_cast<std::size_t>(bytes.size()), error);
    if (x) {
        r0(x);
        return QStringLiteral("(decoded)");
    }
    return QString::fromStdString(error);
}

// A message touching every reader: table with symbols, nested lists, lambda,
// projection, guid, error, iterators.
KPtr richValue()
{
    K names = ktn(KS, 0);
    js(&names, ss("sym"));
    js(&names, ss("px"));
    K sym = ktn(KS, 3);
    kS(sym)[0] = ss("a");
    kS(sym)[1] = ss("bb");
    kS(sym)[2] = ss("");
    K px = ktn(KF, 3);
    K t = xT(xD(names, knk(2, sym, px)));
    K lambda = ktn(KLAMBDA, 2);
    kK(lambda)[0] = ks("ns");
    kK(lambda)[1] = kp("{x}");
    K projection = ktn(KPROJECTION, 2);
    kK(projection)[0] = r1(lambda);
    kK(projection)[1] = kj(1);
    K each = ka(KEACH);
    each->k = ka(KUNARY);
    K err = ka(KERR);
    err->s = ss("oops");
    return KPtr(knk(6, t, lambda, projection, ku(U{{1, 2, 3}}), each, err));
}

QByteArray encoded(K x)
{
    KPtr bytes(b9(3, x));
    return bytesOf(bytes.get());
}

} // namespace

class TestMalformed : public QObject {
    Q_OBJECT

private slots:
    void malformed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");

        QTest::newRow("empty") << QByteArray() << "d9: truncated message";
        QTest::newRow("header only") << fixLength(QByteArray::fromHex("0100000000000000")) << "";
        QTest::newRow("bad byte order") << QByteArray::fromHex("020000000d000000fa01000000") << "";
        QTest::newRow("bad message type") << QByteArray::fromHex("010300000d000000fa01000000") << "";
        QTest::newRow("length beyond the bytes") << QByteArray::fromHex("010000000e000000fa01000000")
                                                 << "d9: truncated message";
        QTest::newRow("bytes beyond the length") << QByteArray::fromHex("010000000d000000fa0100000000")
                                                 << "d9: bytes left over after the message";
        QTest::newRow("value shorter than the message") << message("fa0100000000")
                                                        << "d9: bytes left over after the value";
        QTest::newRow("unknown atom type") << message("fd00") << "d9: unknown type -3";
        QTest::newRow("unknown vector type") << message("030001000000") << "d9: unknown type 3";
        QTest::newRow("unknown type 113") << message("71") << "d9: unknown type 113";
        QTest::newRow("negative count") << message("0700ffffffff") << "d9: negative count";
        QTest::newRow("huge long count") << message("0700ffffff7f0000000000000000")
                                         << "d9: count larger than the message";
        QTest::newRow("huge list count") << message("0000ffffff7ff90100000000000000")
                                         << "d9: count larger than the message";
        QTest::newRow("huge symbol count") << message("0b00ffffff7f6100") << "d9: count larger than the message";
        QTest::newRow("huge projection count") << message("68ffffff7f6500")
                                               << "d9: count larger than the message";
        QTest::newRow("unterminated symbol") << message("f56162") << "d9: truncated message";
        QTest::newRow("unterminated error") << message("806162") << "d9: truncated message";
        QTest::newRow("unterminated symbol item") << message("0b00" "02000000" "6100" "62") << "d9: truncated message";
        QTest::newRow("lambda without text") << message("6400f90100000000000000")
                                             << "d9: lambda without source text";
        QTest::newRow("table of a long") << message("6200f90100000000000000") << "d9: table without a dictionary";
        QTest::newRow("table with long names")
            << message("6200" "63" "0700" "01000000" "0100000000000000" "0000" "01000000" "0700" "01000000" "0200000000000000")
            << "d9: table columns are not a symbol list and lists of one length";
        QTest::newRow("table columns of two lengths")
            << message("6200" "63" "0b00" "02000000" "6100" "6200" "0000" "02000000" "0600" "01000000" "02000000" "0600" "00000000")
            << "d9: table columns are not a symbol list and lists of one length";
        QTest::newRow("table with an atom column")
            << message("6200" "63" "0b00" "01000000" "6100" "0000" "01000000" "f9" "0200000000000000")
            << "d9: table columns are not a symbol list and lists of one length";
        QTest::newRow("dictionary of unequal counts")
            << message("63" "0b00" "02000000" "6100" "6200" "0600" "01000000" "02000000")
            << "d9: dictionary keys and values differ in count";
        QTest::newRow("dictionary of an atom") << message("63f90100000000000000f90200000000000000")
                                               << "d9: dictionary keys and values differ in count";
    }

    void malformed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const QString actual = decodeError(bytes);
        QVERIFY2(actual.startsWith(QLatin1String("d9: ")) || actual.startsWith(QLatin1String("bad message header")),
                 qPrintable(actual));
        if (!error.isEmpty())
            QCOMPARE(actual, error);
        KPtr vector(byteVector(bytes));
        QCOMPARE(okx(vector.get()), 0);
        KPtr result(d9(vector.get()));
        QCOMPARE(int(result->t), int(KERR));
    }

    // Cutting a valid message anywhere (and claiming the cut length) must
    // be reported, whatever reader the cut lands in.
    void truncatedAtEveryOffset()
    {
        KPtr value = richValue();
        const QByteArray whole = encoded(value.get());
        QVERIFY(whole.size() > 60);
        QCOMPARE(decodeError(whole), QStringLiteral("(decoded)"));
        for (int cut = 8; cut < whole.size(); ++cut) {
            const QString plainCut = decodeError(whole.left(cut));
            QVERIFY2(plainCut.startsWith(QLatin1String("d9: ")) || plainCut.startsWith(QLatin1String("bad")),
                     qPrintable(QStringLiteral("%1: %2").arg(cut).arg(plainCut)));
            const QString claimed = decodeError(fixLength(whole.left(cut)));
            QVERIFY2(claimed != QLatin1String("(decoded)"),
                     qPrintable(QStringLiteral("cut at %1 decoded").arg(cut)));
        }
    }

    void deepNesting_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("at the limit") << kdb::Deserializer::kMaxDepth << true;
        QTest::newRow("past the limit") << kdb::Deserializer::kMaxDepth + 1 << false;
        QTest::newRow("far past the limit") << 100000 << false;
    }

    void deepNesting()
    {
        QFETCH(int, depth);
        QFETCH(bool, accepted);
        QByteArray value;
        for (int i = 0; i < depth; ++i)
            value += QByteArray::fromHex("000001000000");
        value += QByteArray::fromHex("f90100000000000000");
        const QByteArray bytes = fixLength(QByteArray::fromHex("0100000000000000") + value);
        const QString error = decodeError(bytes);
        QCOMPARE(error, accepted ? QStringLiteral("(decoded)") : QStringLiteral("d9: nesting too deep"));
    }

    void badCompressedFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("error");
        // The frame of "ababababababab" from the published algorithm, then damaged copies.
        const QByteArray good = QByteArray::fromHex("01010100110000001600000004616203") + QByteArray(1, char(10));
        QByteArray tooLong = good;
        tooLong[16] = char(200); // runs past the 22 bytes the frame promises
        QByteArray hugeClaim = good;
        hugeClaim[8] = char(0xff);
        hugeClaim[9] = char(0xff);
        hugeClaim[10] = char(0xff);
        hugeClaim[11] = char(0x7f);
        QByteArray tinyClaim = good;
        tinyClaim[8] = 4;
        QByteArray trailing = fixLength(good + QByteArray(1, 'x'));
        QTest::newRow("slot never filled") << good.left(15) + QByteArray(1, char(0x7f)) + good.mid(16)
                                           << "d9: bad back-reference in compressed message";
        QTest::newRow("reference past the end") << tooLong << "d9: compressed message expands past its size";
        QTest::newRow("huge size claim") << hugeClaim << "d9: compressed message claims more data than it can hold";
        QTest::newRow("size below a header") << tinyClaim << "d9: bad size in compressed message";
        QTest::newRow("bytes past the content") << trailing << "d9: compressed message has bytes past its content";
        QTest::newRow("stream cut short") << fixLength(good.left(14)) << "d9: truncated compressed message";
        QTest::newRow("frame shorter than its size field") << fixLength(good.left(10))
                                                            << "d9: truncated compressed message";
    }

    void badCompressedFrames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QString, error);
        std::vector<char> out;
        std::string actual;
        QVERIFY(!kdb::Compression::decompress(frame.constData(), static_cast<std::size_t>(frame.size()), out, actual));
        QCOMPARE(QString::fromStdString(actual), error);
        QVERIFY(out.empty());
    }

    void compressedFrameTruncatedAtEveryOffset()
    {
        K x = ktn(KJ, 2000);
        for (J i = 0; i < x->n; ++i)
            kJ(x)[i] = i % 5;
        KPtr value(x);
        const QByteArray plain = encoded(value.get());
        std::vector<char> frame;
        QVERIFY(kdb::Compression::compress(plain.constData(), static_cast<std::size_t>(plain.size()), frame));
        const QByteArray whole(frame.data(), static_cast<int>(frame.size()));
        QCOMPARE(decodeError(whole), QStringLiteral("(decoded)"));
        for (int cut = 8; cut < whole.size(); ++cut)
            QVERIFY2(decodeError(fixLength(whole.left(cut))) != QLatin1String("(decoded)"), qPrintable(QString::number(cut)));
    }

    // Damaging any single byte of a long compressed frame (whose middle takes
    // the unchecked fast path) gives an error or some value, never a fault.
    void compressedFrameWithAnyByteDamaged()
    {
        K x = ktn(KJ, 4000);
        for (J i = 0; i < x->n; ++i)
            kJ(x)[i] = (i / 3) % 11;
        KPtr value(x);
        const QByteArray plain = encoded(value.get());
        std::vector<char> frame;
        QVERIFY(kdb::Compression::compress(plain.constData(), static_cast<std::size_t>(plain.size()), frame));
        int errors = 0;
        for (std::size_t i = 12; i < frame.size(); ++i) {
            QByteArray damaged(frame.data(), static_cast<int>(frame.size()));
            damaged[static_cast<int>(i)] = static_cast<char>(damaged[static_cast<int>(i)] ^ 0x5a);
            const QString result = decodeError(damaged);
            QVERIFY2(result == QLatin1String("(decoded)") || result.startsWith(QLatin1String("d9: ")), qPrintable(result));
            errors += result != QLatin1String("(decoded)");
        }
        QVERIFY(errors > 0);
    }

    void okxNeedsExactlyOneMessage()
    {
        const QByteArray one = QByteArray::fromHex("010000000d000000fa01000000");
        KPtr single(byteVector(one));
        QCOMPARE(okx(single.get()), 1);
        KPtr two(byteVector(one + one));
        QCOMPARE(okx(two.get()), 0);
        KPtr notBytes(kp("010000000d000000fa01000000"));
        QCOMPARE(okx(notBytes.get()), 0);
        KPtr wrongType(d9(notBytes.get()));
        QCOMPARE(QString(wrongType->s), QStringLiteral("type"));
    }
};

QTEST_GUILESS_MAIN(TestMalformed)
#include "tst_malformed.moc"

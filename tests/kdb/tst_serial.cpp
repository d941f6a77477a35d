// Serialisation: KX's published byte examples, round trips of every type,
// big-endian input and compressed messages.
#include "KCompare.h"
#include "kdb/Compression.h"
#include "kdb/Deserializer.h"
#include "kdb/KPtr.h"
#include "kdb/Serializer.h"
#include "kdb/k.h"

#include <QtTest>

#include <cstring>
#include <random>
#include <vector>

using namespace ktest;

namespace {

using Builder = K (*)();

K intVector(std::initializer_list<int> items)
{
    K x = ktn(KI, static_cast<J>(items.size()));
    J i = 0;
    for (int v : items)
        kI(x)[i++] = v;
    return x;
}

K symbols(std::initializer_list<const char*> names)
{
    K x = ktn(KS, 0);
    for (const char* n : names)
        js(&x, ss(n));
    return x;
}

K table(K names, K columns) { return xT(xD(names, columns)); }

K lambda(const char* ns, const char* source)
{
    K x = ktn(KLAMBDA, 2);
    kK(x)[0] = ks(ns);
    kK(x)[1] = kp(source);
    return x;
}

K primitive(int t, int code)
{
    K x = ka(t);
    x->g = static_cast<G>(code);
    return x;
}

K wrap(int t, K inner)
{
    K x = ka(t);
    x->k = inner;
    return x;
}

K withAttribute(K x, int attribute)
{
    x->u = static_cast<C>(attribute);
    return x;
}

struct Example {
    const char* name;
    const char* hex;
    Builder build;
};

// The examples of KX's "Serialization examples" page and our shared notes.
const Example kKxExamples[] = {
    {"int atom", "010000000d000000fa01000000", [] { return ki(1); }},
    {"long atom", "0100000011000000f90100000000000000", [] { return kj(1); }},
    {"int vector", "010000001200000006000100000001000000", [] { return intVector({1}); }},
    {"byte vector", "01000000130000000400050000000001020304",
     [] {
         K x = ktn(KG, 5);
         for (int i = 0; i < 5; ++i)
             kG(x)[i] = static_cast<G>(i);
         return x;
     }},
    {"general list", "01000000190000000000010000000400050000000001020304",
     [] {
         K x = ktn(KG, 5);
         for (int i = 0; i < 5; ++i)
             kG(x)[i] = static_cast<G>(i);
         return knk(1, x);
     }},
    {"dictionary", "0100000021000000630b0002000000610062000600020000000200000003000000",
     [] { return xD(symbols({"a", "b"}), intVector({2, 3})); }},
    {"sorted dictionary", "01000000210000007f0b0102000000610062000600020000000200000003000000",
     [] {
         K x = xD(withAttribute(symbols({"a", "b"}), 1), intVector({2, 3}));
         x->t = SD;
         return x;
     }},
    {"dictionary of lists",
     "010000002d000000630b0002000000610062000000020000000600010000000200000006000100000003000000",
     [] { return xD(symbols({"a", "b"}), knk(2, intVector({2}), intVector({3}))); }},
    {"table", "010000002f0000006200630b0002000000610062000000020000000600010000000200000006000100000003000000",
     [] { return table(symbols({"a", "b"}), knk(2, intVector({2}), intVector({3}))); }},
    {"sorted table",
     "010000002f0000006201630b0002000000610062000000020000000603010000000200000006000100000003000000",
     [] {
         return withAttribute(table(symbols({"a", "b"}), knk(2, withAttribute(intVector({2}), 3), intVector({3}))),
                              1);
     }},
    {"keyed table",
     "010000003f000000636200630b00010000006100000001000000060001000000020000006200630b0001000000620000000100000006"
     "000100000003000000",
     [] {
         return xD(table(symbols({"a"}), knk(1, intVector({2}))), table(symbols({"b"}), knk(1, intVector({3}))));
     }},
    {"sorted keyed table",
     "010000003f0000007f6201630b00010000006100000001000000060001000000020000006200630b0001000000620000000100000006"
     "000100000003000000",
     [] {
         K x = xD(withAttribute(table(symbols({"a"}), knk(1, intVector({2}))), 1),
                  table(symbols({"b"}), knk(1, intVector({3}))));
         x->t = SD;
         return x;
     }},
    {"lambda", "010000001500000064000a00050000007b782b797d", [] { return lambda("", "{x+y}"); }},
    {"lambda in .d", "01000000160000006464000a00050000007b782b797d", [] { return lambda("d", "{x+y}"); }},
    {"symbol", "010000000d000000f561626300", [] { return ks("abc"); }},
    {"string", "01000000110000000a0003000000616263", [] { return kp("abc"); }},
};

QByteArray message(K x, int mode = 3)
{
    std::vector<char> out;
    std::string error;
    if (!kdb::Serializer::serialize(x, 0, out, error, mode))
        return QByteArray("error: ") + error.c_str();
    return QByteArray(out.data(), static_cast<int>(out.size()));
}

KPtr decode(const QByteArray& bytes, std::string* errorOut = nullptr)
{
    std::string error;
    K x = kdb::Deserializer::decodeMessage(bytes.constData(), static_cast<std::size_t>(bytes.size()), error);
    if (errorOut)
        *errorOut = error;
    return KPtr(x);
}

U guid(const char* hex32)
{
    U u;
    QByteArray b = QByteArray::fromHex(hex32);
    std::memcpy(u.g, b.constData(), 16);
    return u;
}

// Values of every kind, for the round trips.
const std::pair<const char*, Builder> kRoundTrips[] = {
    {"boolean", [] { return kb(1); }},
    {"guid", [] { return ku(guid("0123456789abcdeffedcba9876543210")); }},
    {"byte", [] { return kg(0xfe); }},
    {"short null", [] { return kh(nh); }},
    {"int infinity", [] { return ki(wi); }},
    {"long", [] { return kj(-1234567890123LL); }},
    {"real", [] { return ke(1.5); }},
    {"float", [] { return kf(-2.25); }},
    {"float null", [] { return kf(std::nan("")); }},
    {"char", [] { return kc('q'); }},
    {"empty symbol", [] { return ks(""); }},
    {"timestamp", [] { return ktj(-KP, 774489600123456789LL); }},
    {"month", [] { return ktj(-KM, 0) ; }},
    {"date", [] { return kd(ymd(2024, 2, 29)); }},
    {"datetime", [] { return kz(8766.5); }},
    {"timespan", [] { return ktj(-KN, 3723000000001LL); }},
    {"minute", [] { K x = ka(-KU); x->i = 61; return x; }},
    {"second", [] { K x = ka(-KV); x->i = 3661; return x; }},
    {"time", [] { return kt(45296789); }},
    {"boolean vector", [] { K x = ktn(KB, 3); kG(x)[0] = 1; kG(x)[2] = 1; return x; }},
    {"guid vector", [] { K x = ktn(UU, 2); kU(x)[0] = guid("00112233445566778899aabbccddeeff"); return x; }},
    {"short vector", [] { K x = ktn(KH, 2); kH(x)[0] = 1; kH(x)[1] = nh; return x; }},
    {"long vector with attribute", [] { K x = ktn(KJ, 3); kJ(x)[0] = 1; kJ(x)[1] = 2; kJ(x)[2] = nj; return withAttribute(x, 1); }},
    {"real vector", [] { K x = ktn(KE, 2); kE(x)[0] = 0.5f; kE(x)[1] = -1.0f; return x; }},
    {"float vector", [] { K x = ktn(KF, 2); kF(x)[0] = 1e300; kF(x)[1] = -0.0; return x; }},
    {"empty string", [] { return kp(""); }},
    {"symbol vector", [] { return symbols({"", "a", "longer name", "a"}); }},
    {"timestamp vector", [] { K x = ktn(KP, 1); kJ(x)[0] = nj; return x; }},
    {"month vector", [] { K x = ktn(KM, 2); kI(x)[0] = 289; kI(x)[1] = ni; return x; }},
    {"date vector", [] { K x = ktn(KD, 1); kI(x)[0] = -1; return x; }},
    {"datetime vector", [] { K x = ktn(KZ, 1); kF(x)[0] = 0.25; return x; }},
    {"timespan vector", [] { K x = ktn(KN, 1); kJ(x)[0] = -1; return x; }},
    {"minute vector", [] { K x = ktn(KU, 1); kI(x)[0] = 1439; return x; }},
    {"second vector", [] { K x = ktn(KV, 1); kI(x)[0] = 86399; return x; }},
    {"time vector", [] { K x = ktn(KT, 1); kI(x)[0] = 86399999; return x; }},
    {"empty general list", [] { return ktn(0, 0); }},
    {"mixed list", [] { return knk(3, kj(1), kp("two"), knk(1, ks("three"))); }},
    {"empty table", [] { return table(symbols({"a"}), knk(1, ktn(KJ, 0))); }},
    {"table of a nested column", [] { return table(symbols({"s"}), knk(1, knk(2, kp("ab"), kp("c")))); }},
    {"error", [] { K x = ka(KERR); x->s = ss("rank"); return x; }},
    {"generic null", [] { return primitive(KUNARY, 0); }},
    {"unary primitive", [] { return primitive(KUNARY, 41); }},
    {"binary primitive", [] { return primitive(KBINARY, 1); }},
    {"ternary primitive", [] { return primitive(KTERNARY, 0); }},
    {"projection with elided argument",
     [] { K x = ktn(KPROJECTION, 3); kK(x)[0] = lambda("", "{x+y}"); kK(x)[1] = primitive(KUNARY, 0xff); kK(x)[2] = kj(2); return x; }},
    {"composition", [] { K x = ktn(KCOMPOSITION, 2); kK(x)[0] = primitive(KUNARY, 0); kK(x)[1] = primitive(KBINARY, 1); return x; }},
    {"each", [] { return wrap(KEACH, primitive(KUNARY, 41)); }},
    {"over", [] { return wrap(KOVER, primitive(KBINARY, 1)); }},
    {"scan", [] { return wrap(KSCAN, lambda("q", "{x,y}")); }},
    {"each prior", [] { return wrap(KPRIOR, primitive(KBINARY, 2)); }},
    {"each right", [] { return wrap(KEACHRIGHT, primitive(KBINARY, 3)); }},
    {"each left", [] { return wrap(KEACHLEFT, wrap(KEACH, primitive(KBINARY, 4))); }},
    {"dynamic load", [] { return wrap(KDYNLOAD, knk(2, ks("lib"), ks("fn"))); }},
};

} // namespace

class TestSerial : public QObject {
    Q_OBJECT

private slots:
    void kxExamples_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kKxExamples)); ++i)
            QTest::newRow(kKxExamples[i].name) << i;
    }

    // Each published example decodes to the value it shows and that value
    // encodes back to the very same bytes.
    void kxExamples()
    {
        QFETCH(int, index);
        const Example& example = kKxExamples[index];
        const QByteArray bytes = QByteArray::fromHex(example.hex);
        KPtr expected(example.build());
        QCOMPARE(message(expected.get()).toHex(), bytes.toHex());
        std::string error;
        KPtr decoded = decode(bytes, &error);
        QVERIFY2(decoded, error.c_str());
        QCOMPARE(difference(decoded.get(), expected.get()), QString());
        QCOMPARE(message(decoded.get()).toHex(), bytes.toHex());
    }

    void b9d9MatchTheExamples()
    {
        KPtr bytes(byteVector(QByteArray::fromHex("0100000021000000630b0002000000610062000600020000000200000003000000")));
        KPtr value(d9(bytes.get()));
        QCOMPARE(int(value->t), int(XD));
        KPtr again(b9(3, value.get()));
        QCOMPARE(int(again->t), int(KG));
        QCOMPARE(bytesOf(again.get()), bytesOf(bytes.get()));
        QCOMPARE(okx(bytes.get()), 1);
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kRoundTrips)); ++i)
            QTest::newRow(kRoundTrips[i].first) << i;
    }

    void roundTrip()
    {
        QFETCH(int, index);
        KPtr value(kRoundTrips[index].second());
        KPtr bytes(b9(3, value.get()));
        QCOMPARE(int(bytes->t), int(KG));
        QCOMPARE(okx(bytes.get()), 1);
        KPtr back(d9(bytes.get()));
        QCOMPARE(difference(back.get(), value.get()), QString());
    }

    // Symbols go through a per-decode cache keyed by text: names that share
    // prefixes, lengths around the eight-byte word, and many repeats must
    // all come back as the very pointers ss() gives, whether the names are
    // spread out or come in runs of one name (of lengths 1 to 40).
    void symbolColumnsKeepEveryName_data()
    {
        QTest::addColumn<bool>("runs");
        QTest::newRow("spread") << false;
        QTest::newRow("in runs") << true;
    }

    void symbolColumnsKeepEveryName()
    {
        QFETCH(bool, runs);
        std::vector<QByteArray> names = {"", "a", "ab", "abcdefg", "abcdefgh", "abcdefghi", "abcdefgI",
                                         "abcdefgh1", "abcdefgh2", "a\xff\x80", "aaaaaaaaaaaaaaaaaaaaaaaa"};
        for (int i = 0; i < 3000; ++i)
            names.push_back("n" + QByteArray::number(i * 7919 % 4000));
        K column = ktn(KS, 20000);
        J name = 0, left = 0;
        for (J i = 0; i < column->n; ++i) {
            if (!runs) {
                name = (i * 31) % static_cast<J>(names.size());
            } else if (left-- == 0) {
                name = (name * 7 + i) % static_cast<J>(names.size());
                left = i % 40;
            }
            kS(column)[i] = ss(names[static_cast<std::size_t>(name)].constData());
        }
        KPtr value(column);
        KPtr bytes(b9(3, value.get()));
        KPtr back(d9(bytes.get()));
        QCOMPARE(difference(back.get(), value.get()), QString());
    }

    void enumerationsTravelOnlyInMode1()
    {
        K e = ktn(20, 3);
        kJ(e)[0] = 2;
        kJ(e)[1] = 0;
        kJ(e)[2] = nj;
        KPtr value(knk(2, e, ktj(-20, 1)));
        KPtr refused(b9(3, value.get()));
        QCOMPARE(int(refused->t), int(KERR));
        QCOMPARE(QString(refused->s), QStringLiteral("b9: enumerations must be sent as symbols"));
        KPtr bytes(b9(1, value.get()));
        QCOMPARE(int(bytes->t), int(KG));
        KPtr back(d9(bytes.get()));
        QCOMPARE(difference(back.get(), value.get()), QString());
    }

    void mode0RefusesNewerTypes_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("timestamp") << -KP;
        QTest::newRow("timespan vector") << int(KN);
        QTest::newRow("guid") << -UU;
    }

    void mode0RefusesNewerTypes()
    {
        QFETCH(int, type);
        KPtr value(knk(1, type < 0 ? (type == -UU ? ku(U{}) : ktj(type, 0)) : ktn(type, 1)));
        KPtr refused(b9(0, value.get()));
        QCOMPARE(int(refused->t), int(KERR));
        KPtr one(kj(1));
        KPtr plain(b9(0, one.get()));
        QCOMPARE(int(plain->t), int(KG));
    }

    void unwritableValues_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("error");
        QTest::newRow("null item") << 0 << "b9: null value";
        QTest::newRow("vector of type 3") << 1 << "b9: cannot write type 3";
        QTest::newRow("table without dictionary") << 2 << "b9: table without a dictionary";
        QTest::newRow("lambda without source") << 3 << "b9: lambda without namespace and source";
    }

    void unwritableValues()
    {
        QFETCH(int, index);
        QFETCH(QString, error);
        KPtr value;
        switch (index) {
        case 0: value.reset(knk(2, kj(1), nullptr)); break;
        case 1: value.reset(ktn(3, 1)); break;
        case 2: value.reset(ka(XT)); break;
        case 3: value.reset(ktn(KLAMBDA, 2)); break;
        }
        KPtr result(b9(3, value.get()));
        QCOMPARE(int(result->t), int(KERR));
        QCOMPARE(QString(result->s), error);
    }

    void mappedListsTravelAsGeneralLists()
    {
        KPtr value(ktn(77, 1));
        kK(value.get())[0] = kj(5);
        KPtr bytes(b9(3, value.get()));
        QCOMPARE(bytesOf(bytes.get()).toHex(), QByteArray("0100000017000000000001000000f90500000000000000"));
    }

    void bigEndianInput_data()
    {
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<int>("index");
        QTest::newRow("int atom") << QByteArray("000000000000000dfa00000001") << 0;
        QTest::newRow("long vector") << QByteArray("000000000000001e070000000002000000000000000100000000000000ff") << 1;
        QTest::newRow("short and real") << QByteArray("0000000000000022000000000002" "0500000000020001fffe" "08000000000140200000") << 2;
        QTest::newRow("guid in text order") << QByteArray("0000000000000019fe0123456789abcdeffedcba9876543210") << 3;
        QTest::newRow("dictionary") << QByteArray("0000000000000021630b0000000002610062000600000000020000000200000003") << 4;
        QTest::newRow("float atom") << QByteArray("0000000000000011f7bff8000000000000") << 5;
    }

    void bigEndianInput()
    {
        QFETCH(QByteArray, hex);
        QFETCH(int, index);
        KPtr expected;
        switch (index) {
        case 0: expected.reset(ki(1)); break;
        case 1: {
            K x = ktn(KJ, 2);
            kJ(x)[0] = 1;
            kJ(x)[1] = 255;
            expected.reset(x);
            break;
        }
        case 2: {
            K h = ktn(KH, 2);
            kH(h)[0] = 1;
            kH(h)[1] = -2;
            K e = ktn(KE, 1);
            kE(e)[0] = 2.5f;
            expected.reset(knk(2, h, e));
            break;
        }
        case 3: expected.reset(ku(guid("0123456789abcdeffedcba9876543210"))); break;
        case 4: expected.reset(xD(symbols({"a", "b"}), intVector({2, 3}))); break;
        case 5: expected.reset(kf(-1.5)); break;
        }
        std::string error;
        KPtr decoded = decode(QByteArray::fromHex(hex), &error);
        QVERIFY2(decoded, error.c_str());
        QCOMPARE(difference(decoded.get(), expected.get()), QString());
    }

    void compressedRoundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("repeated longs") << 0;
        QTest::newRow("table with symbols") << 1;
        QTest::newRow("long runs of one byte") << 2;
    }

    // kdb+'s rules: only long messages, only when the result is under half.
    void compressedRoundTrip()
    {
        QFETCH(int, kind);
        KPtr value;
        if (kind == 0) {
            K x = ktn(KJ, 5000);
            for (J i = 0; i < x->n; ++i)
                kJ(x)[i] = i % 7;
            value.reset(x);
        } else if (kind == 1) {
            K s = ktn(KS, 3000), p = ktn(KF, 3000);
            const char* names[] = {"ibm", "msft", "aapl", "goog"};
            for (J i = 0; i < 3000; ++i) {
                kS(s)[i] = ss(names[i % 4]);
                kF(p)[i] = 100.0 + static_cast<double>(i % 10);
            }
            value.reset(table(symbols({"sym", "price"}), knk(2, s, p)));
        } else {
            value.reset(ktn(KG, 100000));
        }
        std::vector<char> plain;
        std::string error;
        QVERIFY(kdb::Serializer::serialize(value.get(), 2, plain, error));
        QVERIFY(kdb::Compression::worthTrying(plain.size(), false));
        QVERIFY(!kdb::Compression::worthTrying(plain.size(), true));
        std::vector<char> frame;
        QVERIFY(kdb::Compression::compress(plain.data(), plain.size(), frame));
        QVERIFY(frame.size() < plain.size() / 2);
        QCOMPARE(int(frame[2]), 1);
        QCOMPARE(int(frame[1]), 2);
        std::vector<char> expanded;
        QVERIFY2(kdb::Compression::decompress(frame.data(), frame.size(), expanded, error), error.c_str());
        QVERIFY(expanded == plain);
        KPtr decoded = decode(QByteArray(frame.data(), static_cast<int>(frame.size())), &error);
        QVERIFY2(decoded, error.c_str());
        QCOMPARE(difference(decoded.get(), value.get()), QString());
    }

    void incompressibleMessagesStayPlain()
    {
        std::mt19937_64 random(7);
        K x = ktn(KJ, 1000);
        for (J i = 0; i < x->n; ++i)
            kJ(x)[i] = static_cast<J>(random());
        KPtr value(x);
        std::vector<char> plain, frame;
        std::string error;
        QVERIFY(kdb::Serializer::serialize(value.get(), 0, plain, error));
        QVERIFY(!kdb::Compression::compress(plain.data(), plain.size(), frame));
        QVERIFY(frame.empty());
        QVERIFY(!kdb::Compression::worthTrying(2000, false));
    }

    // Found by fuzzing: a frame of exactly half the message (kdb+ sends a
    // compressed frame only when it is smaller than half).
    void framesOfExactlyHalfStayPlain()
    {
        const QByteArray message = QByteArray::fromBase64(
            "AQAAALgAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAABAAAJPwAAAGNiAGMLAAEAAABhAAAAAQAAAAYA"
            "AABjYgBjCwABAAAAYQAAAAEAAAAGAAEAAAACAAAAYgBjCwABAIwAAAAAYgAAAAEAAABGAAEAAAADAAAAAQAAAAAAAgAAAGIAYwsAAQAAAGIAAAABAAAA"
            "BgABAAAAAwAAAA==");
        QCOMPARE(message.size(), 184);
        std::vector<char> frame;
        QVERIFY(!kdb::Compression::compress(message.constData(), static_cast<std::size_t>(message.size()), frame));
    }

    // Found by fuzzing: short messages overran the output buffer.
    void shortMessagesStayPlain()
    {
        for (int length = 8; length < 80; ++length) {
            QByteArray message(length, '\0');
            message[0] = 1;
            message[4] = static_cast<char>(length);
            std::vector<char> frame;
            const bool compressed = kdb::Compression::compress(message.constData(), static_cast<std::size_t>(length), frame);
            if (!compressed)
                continue;
            std::vector<char> back;
            std::string error;
            QVERIFY(frame.size() < static_cast<std::size_t>(length) / 2);
            QVERIFY2(kdb::Compression::decompress(frame.data(), frame.size(), back, error), error.c_str());
            QCOMPARE(QByteArray(back.data(), static_cast<int>(back.size())), message);
        }
    }

    // A frame written by hand after the published algorithm: "abababab..."
    // is two literals, then a reference to position 8 that runs to the end.
    void handMadeFrame()
    {
        QByteArray plain = QByteArray::fromHex("0100000016000000") + QByteArray("ababababababab");
        // control 0b100: literal 'a', literal 'b', reference slot 'a'^'b' with 12-2 more bytes
        QByteArray frame = QByteArray::fromHex("0101010014000000") + QByteArray::fromHex("16000000") +
            QByteArray::fromHex("04616203") + QByteArray(1, char(10));
        frame[4] = char(frame.size());
        std::vector<char> out;
        std::string error;
        QVERIFY2(kdb::Compression::decompress(frame.constData(), static_cast<std::size_t>(frame.size()), out, error),
                 error.c_str());
        QByteArray expected = plain;
        expected[2] = 0;
        expected[1] = 1;
        QCOMPARE(QByteArray(out.data(), static_cast<int>(out.size())).toHex(), expected.toHex());

        // The same frame from a big-endian writer.
        const QByteArray big = QByteArray::fromHex("000101000000001100000016046162030a");
        QVERIFY2(kdb::Compression::decompress(big.constData(), static_cast<std::size_t>(big.size()), out, error),
                 error.c_str());
        QCOMPARE(QByteArray(out.data(), static_cast<int>(out.size())).toHex(),
                 (QByteArray::fromHex("0001000000000016") + QByteArray("ababababababab")).toHex());
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"

// Binary result files: both layouts written and read back for every type,
// the exact bytes of the vector layout, refused and damaged files, and saves
// that fail leaving no file behind.
#include "../core/KValues.h"

#include "results/binary/BinaryResult.h"
#include "results/binary/BinaryResultFile.h"

#include "kdb/Serializer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kv;


namespace {

// Values are equal when they serialise to the same bytes.
QByteArray wire(K x)
{
    std::vector<char> out;
    std::string error;
    if (!kdb::Serializer::serialize(x, 0, out, error, 1))
        return QByteArray("unserialisable: ") + error.c_str();
    return QByteArray(out.data(), qsizetype(out.size()));
}

QByteArray fileBytes(K x)
{
    std::vector<char> bytes;
    std::string error;
    if (!BinaryResult::encode(x, bytes, error))
        return {};
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

KPtr decoded(const QByteArray& bytes, std::string* why = nullptr)
{
    std::string error;
    KPtr x(BinaryResult::decode(bytes.constData(), std::size_t(bytes.size()), error));
    if (why)
        *why = error;
    return x;
}

K atomOf(int type)
{
    switch (-type) {
    case KB: case KG: case KC: { K x = ka(type); x->g = 1; return x; }
    case KH: { K x = ka(type); x->h = -7; return x; }
    case KI: case KM: case KD: case KU: case KV: case KT: return atomI(type, 123);
    case KJ: case KP: case KN: return atomJ(type, -1234567890123LL);
    case KE: { K x = ka(type); x->e = 1.5f; return x; }
    case KF: case KZ: return atomF(type, 2.25);
    case KS: return ks("sym");
    case UU: { K x = guid(9); return x; }
    default: return nullptr;
    }
}

K vectorOf(int type)
{
    if (type == KS)
        return syms({"a", "", "ccc"});
    if (type == UU)
        return guids(1, 2);
    const int width = BinaryResult::itemWidth(type);
    K x = ktn(type, 5);
    for (int i = 0; i < 5 * width; ++i)
        kG(x)[i] = static_cast<G>(i * 37 + type);
    return x;
}

} // namespace

class TestBinary : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void longVectorFileBytes();
    void tableFileBytes();
    void otherVectorReadings();
    void refused_data();
    void refused();
    void fileSaveAndLoad();
    void failedSaveLeavesNoFile();
    void rawSave();
};

void TestBinary::roundTrip_data()
{
    QTest::addColumn<KPtr>("value");
    QTest::addColumn<bool>("vectorLayout");
    for (int t = 1; t <= 19; ++t) {
        if (t == 3)
            continue; // no type 3
        QTest::addRow("atom %d", -t) << own(atomOf(-t)) << false;
        QTest::addRow("vector %d", t) << own(vectorOf(t)) << (t != KS);
        QTest::addRow("empty vector %d", t) << own(ktn(t, 0)) << (t != KS);
    }
    QTest::newRow("sorted long vector") << own(withAttr(longs(0, 10), 1)) << true;
    QTest::newRow("general list") << own(knk(3, kj(1), kp("ab"), ktn(0, 0))) << false;
    QTest::newRow("dictionary") << own(xD(syms({"a", "b"}), list<J>(KJ, {1, 2}))) << false;
    QTest::newRow("table") << own(table(syms({"a", "s"}), knk(2, longs(0, 3), syms({"x", "y", "z"})))) << false;
    QTest::newRow("keyed table") << own(xD(table(syms({"k"}), knk(1, syms({"x"}))), table(syms({"v"}), knk(1, longs(5, 1)))))
                                 << false;
    K lambda = ktn(0, 2);
    kK(lambda)[0] = ks("");
    kK(lambda)[1] = kp("{x+y}");
    lambda->t = KLAMBDA;
    QTest::newRow("lambda") << own(lambda) << false;
    QTest::newRow("projection") << own(parts(KPROJECTION, {prim(KBINARY, 1), kj(2)})) << false;
    QTest::newRow("each") << own(derived(KEACH, prim(KBINARY, 1))) << false;
    QTest::newRow("generic null") << own(prim(KUNARY, 0)) << false;
}

void TestBinary::roundTrip()
{
    QFETCH(KPtr, value);
    QFETCH(bool, vectorLayout);
    QCOMPARE(BinaryResult::isVectorLayout(value.get()), vectorLayout);
    const QByteArray bytes = fileBytes(value.get());
    QVERIFY(bytes.size() >= 4);
    QCOMPARE(quint8(bytes[0]), vectorLayout ? quint8(0xFE) : quint8(0xFF));
    QCOMPARE(quint8(bytes[1]), vectorLayout ? quint8(0x20) : quint8(0x01));
    std::string why;
    KPtr back = decoded(bytes, &why);
    QVERIFY2(back, why.c_str());
    QCOMPARE(wire(back.get()), wire(value.get()));
    QCOMPARE(back->u, value->u);
}

void TestBinary::longVectorFileBytes()
{
    KPtr v(list<J>(KJ, {1, 2, 3}));
    const QByteArray bytes = fileBytes(v.get());
    QCOMPARE(bytes.size(), 40);
    QCOMPARE(bytes.left(16), QByteArray::fromHex("fe2007000000000003000000" "00000000"));
    QCOMPARE(bytes.mid(16), QByteArray::fromHex("0100000000000000" "0200000000000000" "0300000000000000"));
    KPtr back = decoded(bytes);
    QVERIFY(back);
    QCOMPARE(wire(back.get()), wire(v.get()));
}

void TestBinary::tableFileBytes()
{
    // Columns of 64 KiB and more are written from the value itself, between
    // the copied bytes: the file must still be the serialised value exactly.
    K names = ktn(KS, 20000), shorts = ktn(KH, 20000), floats = ktn(KF, 20000);
    for (J i = 0; i < names->n; ++i) {
        kS(names)[i] = ss(i % 3 ? "ab" : "cdefghijk");
        kH(shorts)[i] = H(i); // 40,000 bytes: copied
        kF(floats)[i] = double(i) / 4;
    }
    for (KPtr t : {KPtr(table(syms({"a"}), knk(1, longs(7, 2)))),
                   KPtr(table(syms({"a", "s", "h", "f"}), knk(4, longs(7, 20000), names, shorts, floats)))}) {
        const QByteArray bytes = fileBytes(t.get());
        const QByteArray message = wire(t.get());
        QCOMPARE(bytes, QByteArray("\xFF\x01", 2) + message.mid(8));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.bin"));
        QString error;
        QVERIFY2(BinaryResultFile::save(path, t.get(), &error), qPrintable(error));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), bytes);
        BinaryResultFile::Loaded loaded = BinaryResultFile::load(path);
        QVERIFY2(loaded.value, qPrintable(loaded.error));
        KPtr back(loaded.value);
        QCOMPARE(wire(back.get()), message);
    }
}

void TestBinary::otherVectorReadings()
{
    // A count at offset 4 names the items, which then start at offset 8.
    QByteArray counted = QByteArray::fromHex("fe200600" "02000000" "05000000" "06000000");
    KPtr ints = decoded(counted);
    QVERIFY(ints);
    QCOMPARE(ints->t, KI);
    QCOMPARE(ints->n, 2);
    QCOMPARE(kI(ints.get())[1], 6);
    // A symbol vector in the vector layout is read as null-terminated texts.
    KPtr symbols = decoded(QByteArray::fromHex("fe200b00" "02000000" "6100626300"));
    QVERIFY(symbols);
    QCOMPARE(symbols->t, KS);
    QCOMPARE(QByteArray(kS(symbols.get())[1]), QByteArray("bc"));
}

void TestBinary::refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("three bytes") << QByteArray::fromHex("ff0101");
    QTest::newRow("other first byte") << QByteArray::fromHex("0120070000000000");
    QTest::newRow("text file") << QByteArray("hello, world\n");
    QTest::newRow("type 0 vector") << QByteArray::fromHex("fe20000000000000" "0000000000000000");
    QTest::newRow("unknown vector type") << QByteArray::fromHex("fe20630000000000" "0000000000000000" "00");
    QTest::newRow("vector head cut short") << QByteArray::fromHex("fe2007000000");
    QTest::newRow("items not whole") << QByteArray::fromHex("fe20070000000000" "0000000000000000" "010203");
    QTest::newRow("count beyond the data") << QByteArray::fromHex("fe200700" "ffffff7f" "0100000000000000");
    QTest::newRow("serialised value cut short") << QByteArray::fromHex("ff01" "0700" "03000000" "01000000");
    QTest::newRow("serialised bytes left over") << QByteArray::fromHex("ff01" "f9" "0100000000000000" "00");
    QTest::newRow("serialised huge count") << QByteArray::fromHex("ff01" "0000" "ffffff7f");
    QTest::newRow("unterminated symbol") << QByteArray::fromHex("ff01" "f5" "616263");
}

void TestBinary::refused()
{
    QFETCH(QByteArray, bytes);
    std::string why;
    QVERIFY(!decoded(bytes, &why));
    QVERIFY(!why.empty());
}

void TestBinary::fileSaveAndLoad()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.bin"));
    KPtr t(table(syms({"a", "s"}), knk(2, longs(0, 3), syms({"x", "y", "z"}))));
    QString error;
    QVERIFY2(BinaryResultFile::save(path, t.get(), &error), qPrintable(error));
    BinaryResultFile::Loaded loaded = BinaryResultFile::load(path);
    QVERIFY2(loaded.value, qPrintable(loaded.error));
    KPtr back(loaded.value);
    QCOMPARE(wire(back.get()), wire(t.get()));
    QVERIFY(loaded.elapsedMs >= 0);

    // Not a binary file.
    QFile text(dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("just some text");
    text.close();
    loaded = BinaryResultFile::load(text.fileName());
    QVERIFY(!loaded.value);
    QVERIFY(!loaded.error.isEmpty());
    QVERIFY(!BinaryResultFile::load(dir.filePath(QStringLiteral("absent.bin"))).value);
    QCOMPARE(BinaryResultFile::refusedText(),
             QStringLiteral("Can't load the binary, most likely it's not a binary file saved from Tovo."));
}

void TestBinary::failedSaveLeavesNoFile()
{
    QTemporaryDir dir;
    QString error;
    KPtr v(longs(0, 3));
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/v.bin"));
    QVERIFY(!BinaryResultFile::save(missing, v.get(), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(missing));

    // A value the serialiser refuses leaves an existing file as it was.
    const QString path = dir.filePath(QStringLiteral("keep.bin"));
    QVERIFY(BinaryResultFile::save(path, v.get(), &error));
    KPtr enumeration(ktn(20, 1));
    kJ(enumeration.get())[0] = 0;
    KPtr list(knk(1, r1(enumeration.get())));
    QVERIFY(!BinaryResultFile::save(path, list.get(), &error));
    QVERIFY(!error.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.size(), 16 + 24);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestBinary::rawSave()
{
    QTemporaryDir dir;
    QString error;
    KPtr text(kp("<html>x</html>"));
    const QString path = dir.filePath(QStringLiteral("r.html"));
    QVERIFY(BinaryResultFile::saveRaw(path, text.get(), &error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("<html>x</html>"));
    KPtr t(table(syms({"a"}), knk(1, longs(0, 1))));
    QVERIFY(!BinaryResultFile::isRawSavable(t.get()));
    QVERIFY(!BinaryResultFile::saveRaw(dir.filePath(QStringLiteral("t")), t.get(), &error));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("t"))));
}

QTEST_GUILESS_MAIN(TestBinary)
#include "tst_binary.moc"

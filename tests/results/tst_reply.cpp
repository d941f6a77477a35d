#include "core/files/PrivateTempFolder.h"
#include "kdb/KPtr.h"
#include "results/ReplyDisplay.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace ReplyDisplay;

Q_DECLARE_METATYPE(ReplyDisplay::GridRoute)
Q_DECLARE_METATYPE(ReplyDisplay::Media)

namespace {
K bytes(std::initializer_list<int> values)
{
    K x = ktn(KG, J(values.size()));
    J i = 0;
    for (int v : values)
        kG(x)[i++] = G(v);
    return x;
}

K table1()
{
    K cols = knk(1, ktn(KJ, 1));
    kJ(kK(cols)[0])[0] = 1;
    K names = ktn(KS, 1);
    kS(names)[0] = ss("a");
    return xT(xD(names, cols));
}
} // namespace

class TestReply : public QObject {
    Q_OBJECT
private slots:
    void roundtrip_data();
    void roundtrip();
    void routes_data();
    void routes();
    void media_data();
    void media();
    void consoleLine();
    void pictureFile();
    void shellFiles_data();
    void shellFiles();
};

void TestReply::roundtrip_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "000ms";
    QTest::newRow("7") << qint64(7) << "007ms";
    QTest::newRow("999") << qint64(999) << "999ms";
    QTest::newRow("1000") << qint64(1000) << "00:01.000";
    QTest::newRow("5200") << qint64(5200) << "00:05.200";
    QTest::newRow("1h2m3.456s") << qint64(3723456) << "01:02:03.456";
    QTest::newRow("25 hours") << qint64(90000000) << "01:00:00.000";
    QTest::newRow("exactly a day") << qint64(86400000) << "00:00.000";
}

void TestReply::roundtrip()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(roundtripText(ms), text);
}

void TestReply::routes_data()
{
    QTest::addColumn<void*>("value");
    QTest::addColumn<bool>("dicts");
    QTest::addColumn<bool>("lists");
    QTest::addColumn<GridRoute>("route");
    auto row = [](const char* name, K v, bool d, bool l, GridRoute r) {
        QTest::newRow(name) << static_cast<void*>(v) << d << l << r;
    };
    row("table", table1(), false, false, GridRoute::Table);
    row("keyed table", xD(table1(), table1()), false, false, GridRoute::KeyedTable);
    row("dictionary", xD(ktn(KS, 0), ktn(KJ, 0)), true, true, GridRoute::Dictionary);
    row("dictionary off", xD(ktn(KS, 0), ktn(KJ, 0)), false, true, GridRoute::None);
    row("long list", ktn(KJ, 3), true, true, GridRoute::List);
    row("general list", knk(2, kj(1), kf(2)), true, true, GridRoute::List);
    row("list off", ktn(KJ, 3), true, false, GridRoute::None);
    row("string", kp("abc"), true, true, GridRoute::None);
    row("atom", kj(1), true, true, GridRoute::None);
    row("error", krr("type"), true, true, GridRoute::None);
    row("lambda", knk(2, ks(""), kp("{x}")), true, true, GridRoute::None);
}

void TestReply::routes()
{
    QFETCH(void*, value);
    QFETCH(bool, dicts);
    QFETCH(bool, lists);
    QFETCH(GridRoute, route);
    KPtr v(static_cast<K>(value));
    if (QByteArray(QTest::currentDataTag()) == "lambda")
        v->t = KLAMBDA;
    QCOMPARE(gridRoute(v.get(), dicts, lists), route);
}

void TestReply::media_data()
{
    QTest::addColumn<void*>("value");
    QTest::addColumn<Media>("media");
    auto row = [](const char* name, K v, Media m) { QTest::newRow(name) << static_cast<void*>(v) << m; };
    row("png", bytes({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0}), Media::Picture);
    row("jpeg", bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0, 0}), Media::Picture);
    row("gif", bytes({0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0, 0, 0}), Media::Picture);
    row("png of 8 bytes only", bytes({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}), Media::None);
    row("other bytes", bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}), Media::None);
    row("html lower case", kp("<html><body>x</body></html>"), Media::Document);
    row("xml", kp("<?xml version='1.0'?><a/>"), Media::Document);
    row("html of 6 chars", kp("<html>"), Media::None);
    row("text", kp("hello world"), Media::None);
    row("symbol", ks("<html>abc"), Media::None);
}

void TestReply::media()
{
    QFETCH(void*, value);
    QFETCH(Media, media);
    KPtr v(static_cast<K>(value));
    QCOMPARE(detectMedia(v.get()), media);
}

void TestReply::consoleLine()
{
    QCOMPARE(consoleText(QStringLiteral("1 2 3"), 7, true), QStringLiteral("(Roundtrip: 007ms)\r\n1 2 3"));
    QCOMPARE(consoleText(QStringLiteral("1 2 3"), 7, false), QStringLiteral("1 2 3"));
    QVERIFY(isError(QStringLiteral("ERROR: 'type")));
    QVERIFY(isError(QStringLiteral("ERROR: reply could not be decoded: d9: truncated message")));
    QVERIFY(!isError(QStringLiteral("\"ERROR: 'type\"")));
}

void TestReply::pictureFile()
{
    KPtr png(bytes({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3}));
    PrivateTempFolder folder;
    const QString path = writePictureFile(png.get(), folder);
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(folder.path()).absoluteFilePath());
    QVERIFY(!path.isEmpty());
    QVERIFY(QFileInfo(path).fileName().startsWith(QStringLiteral("tovoRes")));
    QVERIFY(path.endsWith(QStringLiteral(".png")));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("\x89PNG\r\n\x1a\n\x01\x02\x03", 11));
    f.remove();
}

void TestReply::shellFiles_data()
{
    QTest::addColumn<void*>("value");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QByteArray>("content");
    auto row = [](const char* name, K v, const char* suffix, const QByteArray& content) {
        QTest::newRow(name) << static_cast<void*>(v) << QString::fromLatin1(suffix) << content;
    };
    row("xml", kp("<?xml version='1.0'?><a/>"), ".xml", QByteArray("\xEF\xBB\xBF<?xml version='1.0'?><a/>"));
    row("upper-case XML is html", kp("<?XML x"), ".html", QByteArray("\xEF\xBB\xBF<?XML x"));
    row("html", kp("<html>\xC3\xA9</html>"), ".html", QByteArray("\xEF\xBB\xBF<html>\xC3\xA9</html>"));
    row("bytes", bytes({1, 2, 3}), ".png", QByteArray("\x01\x02\x03"));
    row("table writes nothing", table1(), "", QByteArray());
}

void TestReply::shellFiles()
{
    QFETCH(void*, value);
    QFETCH(QString, suffix);
    QFETCH(QByteArray, content);
    KPtr v(static_cast<K>(value));
    PrivateTempFolder folder;
    const QString path = writeShellFile(v.get(), folder);
    if (suffix.isEmpty()) {
        QVERIFY(path.isEmpty());
        return;
    }
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(folder.path()).absoluteFilePath());
    QVERIFY(path.endsWith(suffix));
    QVERIFY(QFileInfo(path).fileName().startsWith(QStringLiteral("tovoRes")));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), content);
    f.remove();
}

QTEST_GUILESS_MAIN(TestReply)
#include "tst_reply.moc"

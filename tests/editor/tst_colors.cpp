// The colour scheme and fonts: defaults, store round trips, export, import,
// reset, and the 92-byte font record.
#include "core/colors/CDialogFontsColors.h"
#include "core/colors/LogFont.h"
#include "core/settings/SettingsStore.h"

#include "ScriptedPrompter.h"
#include "TempHome.h"

#include <QFile>
#include <QtTest>

using E = CDialogFontsColors;

class TestColors : public QObject {
    Q_OBJECT
private slots:
    void firstStartDefaults();
    void storeRoundTrip();
    void malformedStoredFontTakesDefault();
    void import_data();
    void import();
    void exportImportFile();
    void reset();
    void logFontLayout();
    void logFontFaceLimits();
};

void TestColors::firstStartDefaults()
{
    TempHome home;
    E scheme;
    scheme.setColor(E::Comment, 0x010203);
    scheme.load(*home.store());
    QCOMPARE(scheme.color(E::Comment), 0x808080u);
    QCOMPARE(scheme.color(E::Background), 0xFFFFFFu);
    QCOMPARE(scheme.color(E::ParseError), 0x0000FFu);
    QCOMPARE(scheme.color(E::UndefinedErrorWatch), 0x000096u);
    QCOMPARE(E::elementGroup(E::CurrentLineBackground), QStringLiteral("Colors - Debugger"));
    QVERIFY(scheme.keywordsAreBold());
    QCOMPARE(scheme.font(E::SourceFont).faceName, QStringLiteral("Consolas"));
    QCOMPARE(scheme.font(E::ResultFont), scheme.font(E::SourceFont));

    const QList<QByteArray> lines = scheme.exportText().split('\n');
    QCOMPARE(lines.size(), 41); // 40 lines and the empty text after the last line feed
    QCOMPARE(lines[0], QByteArray("Background:#ffffff"));
    QCOMPARE(lines[8], QByteArray("String:#14c800"));
    QCOMPARE(lines[20], QByteArray("Keyword:#0000ff"));
    QCOMPARE(lines[39], QByteArray("Undefined/Error watch:#960000"));
}

void TestColors::storeRoundTrip()
{
    TempHome home;
    E scheme;
    scheme.setColor(E::UndefinedErrorWatch, 0x0A0B0C);
    scheme.setColor(E::Keyword, 0xFEDCBA);
    scheme.setKeywordsAreBold(false);
    LogFont grid;
    grid.height = -17;
    grid.weight = 700;
    grid.italic = 1;
    grid.faceName = QStringLiteral("DejaVu Sans Mono");
    scheme.setFont(E::GridFont, grid);
    {
        auto store = home.store();
        scheme.save(*store);
        store->sync();
    }
    E loaded;
    loaded.load(*home.store());
    for (int e = 0; e < E::ElementCount; ++e)
        QCOMPARE(loaded.color(e), scheme.color(e));
    for (int f = 0; f < E::FontCount; ++f)
        QCOMPARE(loaded.font(f), scheme.font(f));
    QVERIFY(!loaded.keywordsAreBold());
    QVERIFY(!loaded.keywordsAreBoldAtLoad());
    QCOMPARE(home.store()->readBytes(QStringLiteral("Font #3")).size(), 92);
}

void TestColors::malformedStoredFontTakesDefault()
{
    TempHome home;
    auto store = home.store();
    store->writeBytes(QStringLiteral("Font #0"), QByteArray(91, 'x'));
    store->writeText(QStringLiteral("Font #1"), QStringLiteral("not bytes"));
    E scheme;
    LogFont other;
    other.faceName = QStringLiteral("Other");
    scheme.setDefaultFonts({other, other, other, other, other});
    scheme.load(*store);
    QCOMPARE(scheme.font(E::SourceFont), other);
    QCOMPARE(scheme.font(E::ResultFont), other);
}

void TestColors::import_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("element");
    QTest::addColumn<uint>("expected");
    const uint unchanged = E::defaultColor(E::Comment);
    QTest::newRow("blanks and case") << QByteArray(" comment : #ff0000") << int(E::Comment) << 0x0000FFu;
    QTest::newRow("hash at the end") << QByteArray("COMMENT:00ff00#") << int(E::Comment) << 0x00FF00u;
    QTest::newRow("crlf line end") << QByteArray("Comment:#0000ff\r") << int(E::Comment) << 0xFF0000u;
    QTest::newRow("name with slash") << QByteArray("Undefined/Error watch:#010203") << int(E::UndefinedErrorWatch)
                                     << 0x030201u;
    QTest::newRow("too short") << QByteArray("Comment:#ff000") << int(E::Comment) << unchanged;
    QTest::newRow("not hexadecimal") << QByteArray("Comment:#zz0000") << int(E::Comment) << unchanged;
    QTest::newRow("signed pair") << QByteArray("Comment:#+f0000") << int(E::Comment) << unchanged;
    QTest::newRow("no colon") << QByteArray("Comment #ff0000") << int(E::Comment) << unchanged;
    QTest::newRow("unknown name") << QByteArray("Comments:#ff0000") << int(E::Comment) << unchanged;
}

void TestColors::import()
{
    QFETCH(QByteArray, line);
    QFETCH(int, element);
    QFETCH(uint, expected);
    E scheme;
    scheme.importText("Nothing here\n" + line + "\n");
    QCOMPARE(scheme.color(element), expected);
    QVERIFY(scheme.isModified());
    // Elements not named keep their colours.
    QCOMPARE(scheme.color(E::String), E::defaultColor(E::String));
}

void TestColors::exportImportFile()
{
    TempHome home;
    E scheme;
    for (int e = 0; e < E::ElementCount; ++e)
        scheme.setColor(e, 0x010101u * e + 0x000102u);
    const QString path = home.filePath(QStringLiteral("scheme.txt"));
    QString error;
    QVERIFY(scheme.exportToFile(path, &error));
    E other;
    QVERIFY(other.importFromFile(path, &error));
    for (int e = 0; e < E::ElementCount; ++e)
        QCOMPARE(other.color(e), scheme.color(e));
    // A folder that does not exist fails and says why.
    QVERIFY(!scheme.exportToFile(home.filePath(QStringLiteral("no/such/dir/x.txt")), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!other.importFromFile(home.filePath(QStringLiteral("missing.txt")), &error));
}

void TestColors::reset()
{
    const QString text = QStringLiteral("You are about to Reset your current color schema to default.\n Are you sure?");
    E scheme;
    scheme.setColor(E::Comment, 0x123456);
    LogFont font;
    font.faceName = QStringLiteral("Kept");
    scheme.setFont(E::TreesFont, font);

    ScriptedPrompter no;
    no.expect(text, QStringLiteral("Confirmation"), Prompter::Buttons::YesNo, Prompter::Icon::Warning,
              Prompter::Answer::No, Prompter::Answer::No);
    QVERIFY(!scheme.resetToDefault(no));
    QCOMPARE(no.pending(), 0);
    QCOMPARE(scheme.color(E::Comment), 0x123456u);
    QVERIFY(!scheme.isModified());

    ScriptedPrompter yes;
    yes.expect(text, QStringLiteral("Confirmation"), Prompter::Buttons::YesNo, Prompter::Icon::Warning,
               Prompter::Answer::Yes);
    QVERIFY(scheme.resetToDefault(yes));
    QCOMPARE(scheme.color(E::Comment), 0x808080u);
    QCOMPARE(scheme.font(E::TreesFont).faceName, QStringLiteral("Kept"));
    QVERIFY(scheme.isModified());
}

void TestColors::logFontLayout()
{
    LogFont f;
    f.height = -13;
    f.width = 7;
    f.escapement = 900;
    f.orientation = -900;
    f.weight = 700;
    f.italic = 1;
    f.underline = 1;
    f.strikeOut = 1;
    f.charSet = 204;
    f.outPrecision = 3;
    f.clipPrecision = 2;
    f.quality = 5;
    f.pitchAndFamily = 0x31;
    f.faceName = QStringLiteral("Consolas");
    const QByteArray b = f.toBytes();
    QCOMPARE(b.size(), 92);
    QCOMPARE(b.left(4), QByteArray::fromHex("f3ffffff"));
    QCOMPARE(b.mid(16, 4), QByteArray::fromHex("bc020000"));
    QCOMPARE(b.mid(20, 8), QByteArray::fromHex("010101cc03020531"));
    QCOMPARE(b.mid(28, 6), QByteArray("C\0o\0n\0", 6));
    QCOMPARE(b.mid(44, 4), QByteArray(4, '\0')); // terminator after 8 units
    LogFont back;
    QVERIFY(back.fromBytes(b));
    QCOMPARE(back, f);
}

void TestColors::logFontFaceLimits()
{
    LogFont f;
    f.faceName = QString(40, u'A');
    LogFont back;
    QVERIFY(back.fromBytes(f.toBytes()));
    QCOMPARE(back.faceName, QString(31, u'A'));
    // A record whose face has no terminator is read up to 31 units.
    QByteArray full = f.toBytes();
    full.replace(28, 64, QByteArray(64, 'B'));
    QVERIFY(back.fromBytes(full));
    QCOMPARE(back.faceName.size(), 31);
    LogFont kept = back;
    QVERIFY(!back.fromBytes(full.left(91)));
    QVERIFY(!back.fromBytes(full + 'x'));
    QCOMPARE(back, kept);
}

QTEST_GUILESS_MAIN(TestColors)
#include "tst_colors.moc"

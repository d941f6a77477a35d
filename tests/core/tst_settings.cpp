#include "TempHome.h"
#include "core/HomeFolder.h"
#include "core/settings/CDlgQSettings.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SettingsUpgrade.h"

#include <QDir>
#include <QSettings>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// Reads a page field by its stored name, so that the expected defaults below
// are written independently of the settings table.
static QVariant fieldByName(const CDlgQSettings& q, const CDlgEditorSettings& e, const QString& name)
{
#define TOVO_INT(field, key, def, lo, hi) if (name == QLatin1StringView(key)) return q.field;
#define TOVO_FLAG(field, key, def) if (name == QLatin1StringView(key)) return int(q.field);
#define TOVO_TEXT(field, key, def, len) if (name == QLatin1StringView(key)) return q.field;
    TOVO_Q_INT_SETTINGS(TOVO_INT)
    TOVO_Q_FLAG_SETTINGS(TOVO_FLAG)
    TOVO_Q_TEXT_SETTINGS(TOVO_TEXT)
#undef TOVO_INT
#undef TOVO_FLAG
#undef TOVO_TEXT
#define TOVO_INT(field, key, def, lo, hi) if (name == QLatin1StringView(key)) return e.field;
#define TOVO_FLAG(field, key, def) if (name == QLatin1StringView(key)) return int(e.field);
#define TOVO_TEXT(field, key, def, len) if (name == QLatin1StringView(key)) return e.field;
    TOVO_EDITOR_INT_SETTINGS(TOVO_INT)
    TOVO_EDITOR_FLAG_SETTINGS(TOVO_FLAG)
    TOVO_EDITOR_TEXT_SETTINGS(TOVO_TEXT)
#undef TOVO_INT
#undef TOVO_FLAG
#undef TOVO_TEXT
    return QVariant();
}

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void defaultsFromEmptyStore_data();
    void defaultsFromEmptyStore();
    void storedValuesRoundTrip();
    void profileIsolation();
    void untrustedValuesAreBounded();
    void csvSeparatorNeverEmpty();
    void asyncOnlyWithOption();
    void upgradeOnFirstStart();
    void upgradeCorrections_data();
    void upgradeCorrections();
    void upgradeActsOnUnprofiledSection();
    void rawBytes();
    void storeFileIsPrivate();
    void unreadableStoreIsSetAside_data();
    void unreadableStoreIsSetAside();
    void nativeStorePathIsQtsOwn();
    void homeFolderIsMadePrivate();
    void homeFilePath_data();
    void homeFilePath();
    void expandEnvironment_data();
    void expandEnvironment();
};

void TestSettings::defaultsFromEmptyStore_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("expected");
    const QList<QPair<const char*, QVariant>> rows = {
        {"QFloatPrecision", 7}, {"PostfixInts", 0}, {"UseCapability", 0}, {"QMaxTableRowsAsText", 10},
        {"QShowServersAs", 0}, {"QRefreshWatches", 1}, {"RefreshWatchOnNewOne", 0}, {"QUncheckWatches", 1},
        {"QToggleWatches", 1}, {"MaxDrawPoints", 0}, {"QRefreshNamespace", 0}, {"QLoadNSOnConnect", 0},
        {"QNSHideReserved", 1}, {"HidePureIndirects", 0}, {"QNSFlattenNested", 0}, {"NamespaceSQTimeout", 0},
        {"AutoShellOpenHtmls", 1}, {"QIncludeRoundtrip", 1}, {"QMaxConsoleQueries", 25},
        {"QMaxConsoleResultLength", 5}, {"QCopyHeaders", 0}, {"EscapeSlash", 1}, {"QMaxHighlightResultKChars", 4},
        {"QMaxHistoryResults", 3}, {"QGridShowDicts", 1}, {"QGridShowLists", 1}, {"Add#Column", 0}, {"QColNI", 0},
        {"CopyInHTML", 1}, {"NullsAreEmpty", 0}, {"QCellCharsLimit", 150}, {"NumberLocaleFormat", 0},
        {"CSVSeparator", QStringLiteral(",")}, {"DontKClose", 0}, {"DefUser", QString()}, {"DefPass", QString()},
        {"AuthMethod", QStringLiteral("clear text")}, {"EnableTLS", 0}, {"AsyncQuerying", 0},
        {"QueryPrefix", QStringLiteral("(neg .z.w)[")}, {"QueryPostfix", QStringLiteral("];")},
        {"SyntaxHighlightingDef", 1}, {"LineWrappingDef", 1}, {"WordHighlight", 0}, {"SpacesInTab", 4},
        {"CompleteOnDots", 0}, {"LogQueries", 1}, {"SwitchConnections", 0}, {"ExecuteAll", 1}, {"LineFormat", 0},
        {"CriticalMasks", QString()}, {"CriticalBackground", 13158655}, {"TypingDelayMS", 250}, {"CheckFS", 0},
        {"HelpURL", QStringLiteral("https://code.kx.com/v2/ref/")},
        {"AltHelpURL", QStringLiteral("https://code.kx.com/v2/search2?query=")}, {"WrapSyncQueries", 0},
        {"SyncQueryPrefix", QString()}, {"SyncQueryPostfix", QString()},
        {"SyncLambda",
         QStringLiteral("{r:z sublist value x;$[(y*1000000) >= -22!r; r; '\"Result exceeds \",string[y],\" MB, "
                        "adjust or turn off wrap lambda or hold SHIFT while querying\"]}[; 200; 1024]")},
        {"AsyncSendbackLambda",
         QStringLiteral("{neg[.z.w] {$[(::)~x;\"Async success\";x]} {@[{-8!x;x};x;{\"Async - Result can't be "
                        "IPCed: '\",x}]} @[value;x;{\"Async error: '\",x}]}")},
    };
    for (const auto& [name, value] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << value;
}

void TestSettings::defaultsFromEmptyStore()
{
    QFETCH(QString, name);
    QFETCH(QVariant, expected);
    TempHome home;
    CDlgQSettings q;
    CDlgEditorSettings e;
    q.load(*home.store());
    e.load(*home.store());
    const QVariant actual = fieldByName(q, e, name);
    QVERIFY2(actual.isValid(), qPrintable(name + QStringLiteral(" is not a setting")));
    if (expected.typeId() == QMetaType::QString)
        QCOMPARE(actual.toString(), expected.toString());
    else
        QCOMPARE(actual.toInt(), expected.toInt());
}

void TestSettings::storedValuesRoundTrip()
{
    TempHome home;
    CDlgQSettings q;
    q.QFloatPrecision = 12;
    q.AddNumColumn = true;
    q.DefUser = QStringLiteral("alice");
    q.NullsAreEmpty = true;
    CDlgEditorSettings e;
    e.CriticalBackground = 0x00FF8000;
    e.SyncLambda = QStringLiteral("{x}");
    e.LineFormat = 2;
    {
        auto store = home.store();
        q.save(*store);
        e.save(*store);
    }
    CDlgQSettings q2;
    CDlgEditorSettings e2;
    auto store = home.store();
    q2.load(*store);
    e2.load(*store);
    QCOMPARE(q2.QFloatPrecision, 12);
    QCOMPARE(q2.AddNumColumn, true);
    QCOMPARE(q2.DefUser, QStringLiteral("alice"));
    QCOMPARE(q2.NullsAreEmpty, true);
    QCOMPARE(e2.CriticalBackground, 0x00FF8000);
    QCOMPARE(e2.SyncLambda, QStringLiteral("{x}"));
    QCOMPARE(e2.LineFormat, 2);
    // Stored under the spelled-out names of the settings section.
    QSettings raw(home.settingsFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Settings/Add#Column")).toInt(), 1);
    QCOMPARE(raw.value(QStringLiteral("Settings/QFloatPrecision")).toInt(), 12);
}

void TestSettings::profileIsolation()
{
    TempHome home;
    {
        auto prod = home.store(QStringLiteral("test"));
        QCOMPARE(prod->section(), QStringLiteral("Settings - test"));
        CDlgQSettings q;
        q.QFloatPrecision = 3;
        q.save(*prod);
        prod->writeBytes(QStringLiteral("Font #0"), QByteArray(92, 'x'));
        prod->writeInt(QString::fromLatin1(kept::ApplicationLook.name), 215);
        prod->writeCustomText(QString::fromLatin1(kept::ActiveServer), QStringLiteral("`h:1"));
        prod->writeCustomInt(QString::fromLatin1(kept::MRULength.name), 9);
        prod->setVersion(119);
    }
    auto plain = home.store();
    CDlgQSettings q;
    q.load(*plain);
    QCOMPARE(q.QFloatPrecision, 7);
    QVERIFY(plain->readBytes(QStringLiteral("Font #0")).isEmpty());
    QCOMPARE(plain->readInt(QString::fromLatin1(kept::ApplicationLook.name), kept::ApplicationLook.def), 210);
    // Shared by all profiles.
    QCOMPARE(plain->readCustomText(QString::fromLatin1(kept::ActiveServer), QString()), QStringLiteral("`h:1"));
    QCOMPARE(plain->readCustomInt(QString::fromLatin1(kept::MRULength.name), 4), 9);
    QCOMPARE(plain->version(), 119);
    auto again = home.store(QStringLiteral("test"));
    q.load(*again);
    QCOMPARE(q.QFloatPrecision, 3);
}

void TestSettings::untrustedValuesAreBounded()
{
    TempHome home;
    {
        QSettings raw(home.settingsFile(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Settings/QFloatPrecision"), 1000);
        raw.setValue(QStringLiteral("Settings/QMaxHistoryResults"), QStringLiteral("lots"));
        raw.setValue(QStringLiteral("Settings/DefUser"), QString(500, u'u'));
        raw.setValue(QStringLiteral("Settings/QShowServersAs"), -7);
    }
    CDlgQSettings q;
    q.load(*home.store());
    QCOMPARE(q.QFloatPrecision, 32);
    QCOMPARE(q.QMaxHistoryResults, 3);
    QCOMPARE(q.DefUser.size(), 64);
    QCOMPARE(q.QShowServersAs, 0);
}

void TestSettings::csvSeparatorNeverEmpty()
{
    TempHome home;
    CDlgQSettings q;
    q.CSVSeparator.clear();
    q.save(*home.store());
    QSettings raw(home.settingsFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Settings/CSVSeparator")).toString(), QStringLiteral(","));
    raw.setValue(QStringLiteral("Settings/CSVSeparator"), QString());
    raw.sync();
    q.CSVSeparator = QStringLiteral(";");
    q.load(*home.store());
    QCOMPARE(q.CSVSeparator, QStringLiteral(","));
}

void TestSettings::asyncOnlyWithOption()
{
    TempHome home;
    home.store()->writeInt(QStringLiteral("AsyncQuerying"), 1);
    CDlgQSettings without;
    without.load(*home.store());
    QCOMPARE(without.AsyncQuerying, false);
    without.save(*home.store());
    QCOMPARE(home.store()->readInt(QStringLiteral("AsyncQuerying"), -1), 0);

    home.store()->writeInt(QStringLiteral("AsyncQuerying"), 1);
    CDlgQSettings with;
    with.asyncAllowed = true;
    with.load(*home.store());
    QCOMPARE(with.AsyncQuerying, true);
}

void TestSettings::upgradeOnFirstStart()
{
    TempHome home;
    auto store = home.store();
    QCOMPARE(store->version(), -1);
    QVERIFY(SettingsUpgrade::needed(*store));
    SettingsUpgrade::run(*store);
    QCOMPARE(store->version(), 119);
    QVERIFY(!SettingsUpgrade::needed(*store));
    QCOMPARE(store->readInt(QString::fromLatin1(kept::ConnectTimeoutSec.name), kept::ConnectTimeoutSec.def), 10);
    QCOMPARE(store->readInt(QStringLiteral("NamespaceSQTimeout"), -1), 0);
    // A later start with a user's own value does not repeat the upgrade.
    store->writeInt(QStringLiteral("ConnectTimeoutSec"), 0);
    if (SettingsUpgrade::needed(*store))
        SettingsUpgrade::run(*store);
    QCOMPARE(store->readInt(QStringLiteral("ConnectTimeoutSec"), -1), 0);
}

void TestSettings::upgradeCorrections_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("stored"); // invalid = absent
    QTest::addColumn<int>("expected");
    QTest::newRow("console queries 0") << "QMaxConsoleQueries" << QVariant(0) << 25;
    QTest::newRow("console queries absent stays absent") << "QMaxConsoleQueries" << QVariant() << -99;
    QTest::newRow("console queries 7 kept") << "QMaxConsoleQueries" << QVariant(7) << 7;
    QTest::newRow("ns timeout 60") << "NamespaceSQTimeout" << QVariant(60) << 0;
    QTest::newRow("ns timeout 30 kept") << "NamespaceSQTimeout" << QVariant(30) << 30;
    QTest::newRow("connect timeout 0") << "ConnectTimeoutSec" << QVariant(0) << 10;
    QTest::newRow("connect timeout 3 kept") << "ConnectTimeoutSec" << QVariant(3) << 3;
    QTest::newRow("log queries 0") << "LogQueries" << QVariant(0) << 1;
    QTest::newRow("cell chars absent") << "QCellCharsLimit" << QVariant() << 150;
    QTest::newRow("grid dicts 0") << "QGridShowDicts" << QVariant(0) << 1;
    QTest::newRow("grid lists absent") << "QGridShowLists" << QVariant() << 1;
    QTest::newRow("console result 50") << "QMaxConsoleResultLength" << QVariant(50) << 5;
    QTest::newRow("console result 20 kept") << "QMaxConsoleResultLength" << QVariant(20) << 20;
    QTest::newRow("flatten 1") << "QNSFlattenNested" << QVariant(1) << 0;
    QTest::newRow("typing delay 0") << "TypingDelayMS" << QVariant(0) << 250;
    QTest::newRow("typing delay 100 kept") << "TypingDelayMS" << QVariant(100) << 100;
}

void TestSettings::upgradeCorrections()
{
    QFETCH(QString, name);
    QFETCH(QVariant, stored);
    QFETCH(int, expected);
    TempHome home;
    auto store = home.store();
    store->setVersion(118);
    if (stored.isValid())
        store->writeInt(name, stored.toInt());
    store->writeText(QStringLiteral("HelpURL"), QStringLiteral("http://old/"));
    SettingsUpgrade::run(*store);
    QCOMPARE(store->readInt(name, -99), expected);
    QCOMPARE(store->readText(QStringLiteral("HelpURL"), QString()), QStringLiteral("https://code.kx.com/v2/ref/"));
}

void TestSettings::upgradeActsOnUnprofiledSection()
{
    TempHome home;
    auto store = home.store(QStringLiteral("p"));
    store->writeInt(QStringLiteral("TypingDelayMS"), 0);
    SettingsUpgrade::run(*store);
    QCOMPARE(store->readInt(QStringLiteral("TypingDelayMS"), -1), 0);
    QCOMPARE(store->readBaseInt(QStringLiteral("TypingDelayMS"), -1), 250);
    QCOMPARE(home.store()->version(), 119);
}

void TestSettings::unreadableStoreIsSetAside_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
#ifdef Q_OS_UNIX
    QTest::newRow("fifo") << "fifo" << "not a regular file"; // reading it would block start-up
#endif
    QTest::newRow("folder") << "folder" << "not a regular file";
    QTest::newRow("huge") << "huge" << "larger than 16 MB";
}

void TestSettings::unreadableStoreIsSetAside()
{
    QFETCH(QString, kind);
    QFETCH(QString, why);
    TempHome home;
    const QString path = home.settingsFile();
    if (kind == QLatin1String("fifo")) {
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(SettingsStore::kMaxFileBytes + 1)); // sparse
    }
    {
        auto store = home.store();
        QVERIFY2(store->problem().contains(why), qPrintable(store->problem()));
        QVERIFY2(store->problem().contains(QStringLiteral("moved to")), qPrintable(store->problem()));
        // Set aside whole, not deleted; the store starts from defaults and works.
        QVERIFY(QFileInfo::exists(path + QStringLiteral(".unreadable")));
        QCOMPARE(store->readCustomText(QStringLiteral("ActiveServer"), QStringLiteral("none")), QStringLiteral("none"));
        store->writeCustomText(QStringLiteral("ActiveServer"), QStringLiteral("`:h:1"));
        store->sync();
    }
    QVERIFY(QFileInfo(path).isFile());
    auto again = home.store();
    QVERIFY(again->problem().isEmpty());
    QCOMPARE(again->readCustomText(QStringLiteral("ActiveServer"), QString()), QStringLiteral("`:h:1"));
}

void TestSettings::nativeStorePathIsQtsOwn()
{
    // The file looked at before Qt reads it must be the one Qt reads.
    QStandardPaths::setTestModeEnabled(true);
    const QString expected = SettingsStore::nativeFilePath();
    QSettings native(QStringLiteral("Velmar"), QStringLiteral("Tovo"));
#ifdef Q_OS_WIN
    QVERIFY(expected.isEmpty());
#else
    QCOMPARE(native.fileName(), expected);
#endif
    QStandardPaths::setTestModeEnabled(false);
}

void TestSettings::storeFileIsPrivate()
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther;
    TempHome home;
    // A store written before, readable by everyone: it holds the last server with its password.
    {
        QFile old(home.settingsFile());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[Custom]\nActiveServer=`:h:1:u:pw\n");
    }
    QVERIFY(QFile::setPermissions(home.settingsFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                           | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    {
        auto store = home.store();
        QCOMPARE(QFile::permissions(home.settingsFile()) & others, QFileDevice::Permissions());
        QCOMPARE(store->readCustomText(QStringLiteral("ActiveServer"), QString()), QStringLiteral("`:h:1:u:pw"));
        store->writeCustomText(QStringLiteral("ActiveServer"), QStringLiteral("`:h:2:u:pw2"));
        store->sync();
    }
    QCOMPARE(QFile::permissions(home.settingsFile()) & others, QFileDevice::Permissions());
    // A new store file is private from the start.
    const QString fresh = home.filePath(QStringLiteral("sub/fresh.ini"));
    {
        SettingsStore store(fresh, QString());
        store.writeCustomText(QStringLiteral("ActiveServer"), QStringLiteral("`:h:3:u:pw3"));
        store.sync();
    }
    QVERIFY(QFileInfo(fresh).isFile());
    QCOMPARE(QFile::permissions(fresh) & others, QFileDevice::Permissions());
}

void TestSettings::homeFolderIsMadePrivate()
{
    TempHome home;
    const QString nested = home.filePath(QStringLiteral("a/b/home"));
    QString error;
    QVERIFY2(HomeFolder(nested).ensureExists(&error), qPrintable(error));
    QVERIFY(QFileInfo(nested).isDir());
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
        | QFileDevice::ExeOther;
    QCOMPARE(QFile::permissions(nested) & others, QFileDevice::Permissions());
    QCOMPARE(QFile::permissions(home.filePath(QStringLiteral("a"))) & others, QFileDevice::Permissions());
    QVERIFY(HomeFolder(nested).ensureExists(&error)); // already there
    // Under a regular file no folder can be made.
    QFile file(home.filePath(QStringLiteral("plain")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!HomeFolder(home.filePath(QStringLiteral("plain/home"))).ensureExists(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!HomeFolder(home.filePath(QStringLiteral("plain"))).ensureExists(&error));
}

void TestSettings::rawBytes()
{
    TempHome home;
    QByteArray record(92, '\0');
    record[0] = char(0xF3);
    record[91] = char(0x7F);
    home.store()->writeBytes(QStringLiteral("Font #3"), record);
    QCOMPARE(home.store()->readBytes(QStringLiteral("Font #3")), record);
    QVERIFY(home.store()->readBytes(QStringLiteral("Font #4")).isEmpty());
}

void TestSettings::homeFilePath_data()
{
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");
    const QString sep = QDir::separator();
    QTest::newRow("no trailing separator") << "/data/tovo" << "/data/tovo" + sep + "Servers.cfg";
    QTest::newRow("trailing slash") << "/data/tovo/" << "/data/tovo/Servers.cfg";
    QTest::newRow("trailing backslash") << "C:\\tovo\\" << "C:\\tovo\\Servers.cfg";
}

void TestSettings::homeFilePath()
{
    QFETCH(QString, home);
    QFETCH(QString, expected);
    QCOMPARE(HomeFolder(home).filePath(QStringLiteral("Servers.cfg")), expected);
}

void TestSettings::expandEnvironment_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("percent") << "%TOVO_T%\\x" << "/tmp/t\\x";
    QTest::newRow("unknown kept") << "%TOVO_NOT_SET_X%/y" << "%TOVO_NOT_SET_X%/y";
    QTest::newRow("plain") << "/a/b" << "/a/b";
#ifndef Q_OS_WIN
    QTest::newRow("dollar") << "$TOVO_T/x" << "/tmp/t/x";
    QTest::newRow("braces") << "${TOVO_T}x" << "/tmp/tx";
#endif
}

void TestSettings::expandEnvironment()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    qputenv("TOVO_T", "/tmp/t");
    QCOMPARE(HomeFolder::expandEnvironment(text), expected);
    QCOMPARE(HomeFolder::expandEnvironment(QString(5000, u'a')).size(), 4096);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"

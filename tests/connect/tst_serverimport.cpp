// Importing other tools' server lists into Servers.cfg and exporting it:
// the three formats, folders, duplicates, refused files leaving the list
// untouched, and export -> import giving the same entries; in process and
// through tovo-cli.
#include "TempHome.h"
#include "connect/HeadlessPrompter.h"
#include "connect/ServerImport.h"
#include "connect/ServerList.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(ServerImport::Format)

namespace {

QString fixture(const char* name) { return QStringLiteral(TOVO_IMPORT_FIXTURES "/") + QLatin1String(name); }

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

int modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// "namePath symbol" of each entry, a "+tls" after TLS servers.
QStringList describe(const QList<ImportedServer>& servers)
{
    QStringList out;
    for (const ImportedServer& s : servers)
        out << s.namePath() + u' ' + s.symbol() + (s.tls ? QStringLiteral(" +tls") : QString());
    return out;
}

const QString kPassword = QStringLiteral("s:ecret") + QChar(0xe9);

QStringList fullEntries()
{
    return {QStringLiteral("`dev `:localhost:5001::"),
            QStringLiteral("`Production`Europe`ticker `:tick-eu:5010:alice:") + kPassword + QStringLiteral(" +tls"),
            QStringLiteral("`uat `:uat-db:6000:bob:")};
}

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

Run runCli(const TempHome& home, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("HOME"), home.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TOVO_CLI), args);
    Run r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

class TestServerImport : public QObject {
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
    void intoFolderAndDuplicates();
    void refused_data();
    void refused();
    void roundTrip_data();
    void roundTrip();
    void commandLine();
};

void TestServerImport::formats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<ServerImport::Format>("format");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("Studio for kdb+ properties") << fixture("studio.properties") << ServerImport::Format::Studio
                                                << fullEntries();
    QTest::newRow("kdb-studio JSON, nested folders") << fixture("kdbstudio.json") << ServerImport::Format::KdbStudio
                                                     << fullEntries();
    // VS Code keeps credentials in its secret store, not in the settings.
    QTest::newRow("VS Code settings with comments") << fixture("settings.json") << ServerImport::Format::VsCode
                                                    << QStringList {QStringLiteral("`dev `:localhost:5001::"),
                                                                    QStringLiteral("`Production`Europe`ticker `:tick-eu:5010:: +tls"),
                                                                    QStringLiteral("`uat `:uat-db:6000::")};
}

void TestServerImport::formats()
{
    QFETCH(QString, file);
    QFETCH(ServerImport::Format, format);
    QFETCH(QStringList, entries);
    const ServerImport::Parsed parsed = ServerImport::read(file);
    QCOMPARE(parsed.error, QString());
    QCOMPARE(parsed.format, format);
    QCOMPARE(describe(parsed.servers), entries);

    // Into an empty list: the lines as Servers.cfg keeps them, a TLS server marked above its entry.
    TempHome home;
    HeadlessPrompter prompter;
    ServerList list(home.filePath(QStringLiteral("Servers.cfg")), prompter);
    const ServerImport::Outcome outcome = ServerImport::add(list, parsed.servers, {});
    QCOMPARE(outcome.error, QString());
    QCOMPARE(outcome.added, 3);
    QCOMPARE(outcome.duplicates, 0);
    QByteArray expected;
    for (const ImportedServer& s : parsed.servers)
        expected += (s.tls ? ServerImport::tlsMark(s.namePath()).toLocal8Bit() + "\r\n" : QByteArray())
                    + (s.symbol() + s.namePath()).toLocal8Bit() + "\r\n";
    QCOMPARE(readBytes(list.filePath()), expected);
    QCOMPARE(modeOf(list.filePath()), 0600);
    QCOMPARE(list.entries().size(), 3);
    QCOMPARE(list.entries().at(1).components(), (QStringList {"Production", "Europe", "ticker"}));
}

void TestServerImport::intoFolderAndDuplicates()
{
    TempHome home;
    HeadlessPrompter prompter;
    const QString path = home.filePath(QStringLiteral("Servers.cfg"));
    // The user's list: a comment, an entry an import will meet again, and no line break at the end.
    const QByteArray before = "/ mine\r\n`:other:1::`Imported`dev";
    writeFile(path, before);
    ServerList list(path, prompter);
    const ServerImport::Parsed parsed = ServerImport::read(fixture("studio.properties"));
    QCOMPARE(parsed.error, QString());

    ServerImport::Outcome first = ServerImport::add(list, parsed.servers, {QStringLiteral("Imported")});
    QCOMPARE(first.added, 2);
    QCOMPARE(first.duplicates, 1); // `Imported`dev was there, with another symbol: kept as it was
    QCOMPARE(first.summary(), QStringLiteral("2 servers imported, 1 already in the list skipped."));
    const QByteArray after = readBytes(path);
    QVERIFY(after.startsWith(before + "\r\n"));
    QCOMPARE(list.symbolFor(QStringLiteral("`Imported`dev")), QStringLiteral("`:other:1::"));
    QCOMPARE(list.symbolFor(QStringLiteral("`Imported`Production`Europe`ticker")),
             QStringLiteral("`:tick-eu:5010:alice:") + kPassword);

    // Again: every entry is a duplicate now, and the file is not touched.
    ServerImport::Outcome second = ServerImport::add(list, parsed.servers, {QStringLiteral("Imported")});
    QCOMPARE(second.added, 0);
    QCOMPARE(second.duplicates, 3);
    QCOMPARE(readBytes(path), after);

    // A file listing one name twice adds it once.
    QList<ImportedServer> twice = parsed.servers.mid(0, 1) + parsed.servers.mid(0, 1);
    ServerImport::Outcome third = ServerImport::add(list, twice, {QStringLiteral("Twice")});
    QCOMPARE(third.added, 1);
    QCOMPARE(third.duplicates, 1);
}

void TestServerImport::refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QString none = QStringLiteral(
        "it is none of the server lists Tovo reads: a Studio for kdb+ properties file (server.NAME.host keys), a "
        "kdb-studio servers file (JSON) or VS Code settings with \"kdb.servers\"");
    QTest::newRow("empty") << QByteArray() << none;
    QTest::newRow("plain text") << QByteArray("hello\nworld\n") << none;
    QTest::newRow("Tovo's own list") << QByteArray("`:h:1::`a\r\n") << none;
    QTest::newRow("properties without servers") << QByteArray("lineEnding=0\nfont=Mono\n") << none;
    QTest::newRow("JSON without servers") << QByteArray("{\"editor.fontSize\": 12}") << none;
    QTest::newRow("broken JSON") << QByteArray("{\"kdb.servers\": {\"a\": ") << QString();
    QTest::newRow("binary") << QByteArray("\x00\x01\x02{", 4) << none;
    QTest::newRow("studio: port not a number")
        << QByteArray("server.a.host=h\nserver.a.port=abc\n") << QStringLiteral("server \"a\" has no valid port (\"abc\")");
    QTest::newRow("studio: port out of range")
        << QByteArray("server.a.host=h\nserver.a.port=70000\n") << QStringLiteral("server \"a\" has no valid port (\"70000\")");
    QTest::newRow("studio: no host") << QByteArray("server.b.host=h\nserver.b.port=1\nserver.a.port=1\n")
                                     << QStringLiteral("server \"a\" has no host");
    QTest::newRow("vscode: no port") << QByteArray("{\"kdb.servers\": {\"a\": {\"serverName\": \"h\"}}}")
                                     << QStringLiteral("connection \"a\" has no valid serverName and serverPort");
    QTest::newRow("vscode: not an object") << QByteArray("{\"kdb.servers\": [1]}")
                                           << QStringLiteral("its \"kdb.servers\" is no object");
    QTest::newRow("a backquote in a password")
        << QByteArray("server.a.host=h\nserver.a.port=1\nserver.a.password=x`y\n")
        << QStringLiteral("server \"a\" holds a backquote or a line break, which Servers.cfg cannot keep");
    QTest::newRow("a line break in a name")
        << QByteArray("{\"servers\": [{\"name\": \"a\\nb\", \"host\": \"h\", \"port\": 1}]}")
        << QStringLiteral("server \"ab\" holds a backquote or a line break, which Servers.cfg cannot keep");
}

void TestServerImport::refused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const ServerImport::Parsed parsed = ServerImport::parse(bytes);
    QVERIFY(!parsed.error.isEmpty());
    if (!error.isEmpty())
        QCOMPARE(parsed.error, error);
    else
        QVERIFY2(parsed.error.startsWith(QLatin1String("it is not valid JSON")), qPrintable(parsed.error));
    QVERIFY(parsed.servers.isEmpty());

    // Through tovo-cli: exit 1, one line naming the file, the list byte for byte as it was.
    TempHome home;
    const QString list = home.filePath(QStringLiteral("Servers.cfg"));
    const QByteArray before = "`:keep:1::`mine\r\n";
    writeFile(list, before);
    const QString file = home.filePath(QStringLiteral("input"));
    writeFile(file, bytes);
    const Run r = runCli(home, {QStringLiteral("servers"), QStringLiteral("import"), file,
                                QStringLiteral("--homedir:") + home.path()});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, ("tovo-cli servers import: " + file + " was not imported: " + parsed.error + "\n").toLocal8Bit());
    QCOMPARE(readBytes(list), before);
}

void TestServerImport::roundTrip_data()
{
    QTest::addColumn<ServerImport::Format>("format");
    QTest::addColumn<bool>("keepsCredentials");
    QTest::newRow("studio") << ServerImport::Format::Studio << true;
    QTest::newRow("vscode") << ServerImport::Format::VsCode << false;
}

void TestServerImport::roundTrip()
{
    QFETCH(ServerImport::Format, format);
    QFETCH(bool, keepsCredentials);
    TempHome home;
    HeadlessPrompter prompter;
    const QString path = home.filePath(QStringLiteral("Servers.cfg"));
    // Characters the formats escape: = : # ! blanks, backslashes, non-ASCII; a TLS mark; no name path.
    writeFile(path, QByteArray("`:h1:5001::`Plain\r\n"
                               "/ tls `Prod`EU 1`t=1\r\n"
                               "`:h2:5002:u#1:p:w=!\\ x`Prod`EU 1`t=1\r\n"
                               "not an entry\r\n"
                               "`:h3:5003:bob:`Dev`caf")
                        + QString(QChar(0xe9)).toLocal8Bit() + "\r\n");
    ServerList list(path, prompter);
    QVERIFY(list.load());
    const QList<ImportedServer> exported = ServerImport::entriesOf(list.entries(), readBytes(path));
    QCOMPARE(describe(exported), (QStringList {QStringLiteral("`Plain `:h1:5001::"),
                                               QStringLiteral("`Prod`EU 1`t=1 `:h2:5002:u#1:p:w=!\\ x +tls"),
                                               QStringLiteral("`Dev`caf") + QChar(0xe9) + QStringLiteral(" `:h3:5003:bob:")}));
    const ServerImport::Parsed back = ServerImport::parse(ServerImport::write(format, exported));
    QCOMPARE(back.error, QString());
    QList<ImportedServer> expected = exported;
    if (!keepsCredentials)
        for (ImportedServer& s : expected)
            s.user.clear(), s.password.clear();
    if (format == ServerImport::Format::VsCode)
        std::sort(expected.begin(), expected.end(),
                  [](const ImportedServer& a, const ImportedServer& b) { return a.namePath() < b.namePath(); });
    QCOMPARE(describe(back.servers), describe(expected));
    QVERIFY(back.servers == expected);
}

void TestServerImport::commandLine()
{
    // export from one home, import into another: the same entries, the same lines.
    TempHome from, to;
    const QByteArray list = "`:h1:5001:ann:pw`A`x\r\n/ tls `A`B`y\r\n`:h2:5002::`A`B`y\r\n";
    writeFile(from.filePath(QStringLiteral("Servers.cfg")), list);
    const QString file = from.filePath(QStringLiteral("studio.properties"));
    const Run out = runCli(from, {QStringLiteral("servers"), QStringLiteral("export"), QStringLiteral("--format"),
                                  QStringLiteral("studio"), file, QStringLiteral("--homedir:") + from.path()});
    QCOMPARE(out.exitCode, 0);
    QCOMPARE(out.out, ("2 servers written to " + file + "\n").toLocal8Bit());
    QCOMPARE(modeOf(file), 0600); // it holds passwords
    const Run in = runCli(to, {QStringLiteral("servers"), QStringLiteral("import"), file,
                               QStringLiteral("--homedir:") + to.path()});
    QCOMPARE(in.exitCode, 0);
    QCOMPARE(in.out, QByteArray("Studio for kdb+: 2 servers imported, 0 already in the list skipped.\n"));
    QCOMPARE(readBytes(to.filePath(QStringLiteral("Servers.cfg"))), list);
    QCOMPARE(modeOf(to.filePath(QStringLiteral("Servers.cfg"))), 0600);

    // --into puts them under a folder; a second import skips them all.
    const QStringList into {QStringLiteral("servers"), QStringLiteral("import"), file, QStringLiteral("--into"),
                            QStringLiteral("Old/Studio"), QStringLiteral("--homedir:") + to.path()};
    QCOMPARE(runCli(to, into).out, QByteArray("Studio for kdb+: 2 servers imported, 0 already in the list skipped.\n"));
    QCOMPARE(runCli(to, into).out, QByteArray("Studio for kdb+: 0 servers imported, 2 already in the list skipped.\n"));
    const Run listed = runCli(to, {QStringLiteral("servers"), QStringLiteral("--homedir:") + to.path()});
    QVERIFY2(listed.out.contains("\t`Old`Studio`A`B`y\t`:h2:5002::\n"), listed.out.constData());

    // Usage errors exit 2.
    for (const QStringList& bad : {QStringList {QStringLiteral("servers"), QStringLiteral("import")},
                                   QStringList {QStringLiteral("servers"), QStringLiteral("export"), file},
                                   QStringList {QStringLiteral("servers"), QStringLiteral("export"),
                                                QStringLiteral("--format"), QStringLiteral("xml"), file}})
        QCOMPARE(runCli(to, bad).exitCode, 2);
}

QTEST_GUILESS_MAIN(TestServerImport)
#include "tst_serverimport.moc"

#include "TempHome.h"
#include "TestInstance.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

namespace {
struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// tovo-cli with its per-user settings in the temporary folder.
Run runCli(const TempHome& home, const QStringList& args, const QByteArray& authReply = QByteArray())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("HOME", home.path());
    if (!authReply.isEmpty())
        env.insert("TOVO_AUTHTEST_REPLY", QString::fromLatin1(authReply));
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

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The settings tovo-cli reads: the native per-user store, an INI file here.
std::unique_ptr<SettingsStore> nativeStore(const TempHome& home)
{
    return std::make_unique<SettingsStore>(home.filePath("config/Velmar/Tovo.conf"), QString());
}
} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void listServers();
    void listWithoutFile();
    void queryByNamePath_data();
    void queryByNamePath();
    void unknownName();
    void messagesBecomeErrors();
};

void TestCli::listServers()
{
    TempHome home;
    writeFile(home.filePath("Servers.cfg"), "# servers\r\n`:dbhost:5001::`Production`ticker\r\n  `:h:1:u:p`Dev`x\nnot one\n"
                                            "`:solo:2::");
    const Run r = runCli(home, {"servers", "--homedir:" + home.path()});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray("2\t`Production`ticker\t`:dbhost:5001::\n"
                               "3\t`Dev`x\t`:h:1:u:p\n"
                               "5\t`:solo:2::\t`:solo:2::\n"));
}

void TestCli::listWithoutFile()
{
    TempHome home;
    const Run r = runCli(home, {"servers", "--homedir:" + home.path()});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.isEmpty());
    QVERIFY(!QFile::exists(home.filePath("Servers.cfg")));
    QCOMPARE(runCli(home, {"servers", "--bogus"}).exitCode, 2);
}

void TestCli::queryByNamePath_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("slashes") << "Production/ticker";
    QTest::newRow("backquotes") << "`Production`ticker";
}

// The entry holds no credentials: the stored defaults are used, as in the window.
void TestCli::queryByNamePath()
{
    QFETCH(QString, name);
    TestInstance inst;
    inst.setCredentials({"du:dp"});
    inst.on("1+1", kj(2));
    QVERIFY(inst.start());
    TempHome home;
    writeFile(home.filePath("Servers.cfg"),
              QStringLiteral("`:127.0.0.1:%1::`Production`ticker\r\n").arg(inst.port()).toLatin1());
    {
        auto store = nativeStore(home);
        store->writeText("DefUser", "du");
        store->writeText("DefPass", "dp");
        store->sync();
    }
    const Run r = runCli(home, {"query", name, "1+1", "--homedir:" + home.path()});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(inst.handshakes().size(), 1);
    QCOMPARE(inst.handshakes()[0].credentials, QByteArray("du:dp"));
    // The same text as the query by address prints.
    const Run direct = runCli(home, {"query", QStringLiteral("127.0.0.1:%1:du:dp").arg(inst.port()), "1+1"});
    QCOMPARE(direct.exitCode, 0);
    QVERIFY(!r.out.isEmpty());
    QCOMPARE(r.out, direct.out);
}

void TestCli::unknownName()
{
    TempHome home;
    writeFile(home.filePath("Servers.cfg"), "`:h:1::`a\r\n");
    const Run r = runCli(home, {"query", "b", "1+1", "--homedir:" + home.path()});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("no server named `b"), r.err.constData());
}

void TestCli::messagesBecomeErrors()
{
    TestInstance inst;
    QVERIFY(inst.start());
    TempHome home;
    QVERIFY(QFile::copy(TOVO_AUTHTEST_PLUGIN, home.filePath(QFileInfo(TOVO_AUTHTEST_PLUGIN).fileName())));
    writeFile(home.filePath("Servers.cfg"), QStringLiteral("`:127.0.0.1:%1::`x\r\n").arg(inst.port()).toLatin1());
    {
        auto store = nativeStore(home);
        store->writeText("AuthMethod", "testauth");
        store->sync();
    }
    const Run r = runCli(home, {"query", "x", "1+1", "--homedir:" + home.path()}, "ERROR: token expired");
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("Selected Auth method returned ERROR: token expired"), r.err.constData());
    QVERIFY(inst.received().isEmpty());
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

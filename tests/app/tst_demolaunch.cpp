// Tovo starts its own demo instance: --demo, Help > "Start Demo Instance"
// and the first-start offer run tovo-test-instance with the demo script as a
// child on a free port, keep one "Demo" entry in Servers.cfg (mode 0600),
// connect and open demo.q; the child ends with its Tovo.
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "app/CActionRegistry.h"
#include "app/CChildFrame.h"
#include "app/CDemoLink.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "app/DemoInstance.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <memory>

namespace {

QString sourceFile(const char* relative) { return QStringLiteral(TOVO_SOURCE_DIR "/") + QLatin1String(relative); }

DemoFiles buildFiles()
{
    return {QStringLiteral(TOVO_INSTANCE_EXE), sourceFile("demo/demo.script"), sourceFile("demo/demo.q")};
}

bool processAlive(qint64 pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH); }

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

// The Demo entries of a server list text.
QStringList demoLines(const QString& text)
{
    QStringList lines;
    for (const QString& line : text.split(QLatin1String("\r\n")))
        if (line.endsWith(DemoInstance::namePath()))
            lines << line;
    return lines;
}

int modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// One Tovo window on a shared home folder, with settings of its own.
struct Window {
    ScriptedPrompter prompter;
    std::unique_ptr<CTovoApp> app;

    bool start(const QString& commandLine, const QString& settingsFile, const DemoFiles& files = buildFiles())
    {
        app = std::make_unique<CTovoApp>(CommandLine(commandLine), prompter,
                                         std::make_unique<SettingsStore>(settingsFile, QString()));
        app->setDemoFiles(files);
        return app->initInstance();
    }
    CMainFrame* frame() const { return app->mainFrame(); }
    DemoInstance& demo() const { return app->demoLink()->instance(); }
    bool connectedToDemo() const { return demo().isRunning() && frame()->serverText() == demo().symbol(); }
    QString activeFile() const { return frame()->activeDocument() ? frame()->activeDocument()->filePath() : QString(); }
};

} // namespace

class TestDemoLaunch : public QObject {
    Q_OBJECT
private slots:
    void twoAtOnceRunTheirOwn();
    void takenPortIsNoDeadEnd();
    void failuresAreReported();
    void firstStartOffer_data();
    void firstStartOffer();
    void instanceStopsWhenItsInputCloses();
};

void TestDemoLaunch::twoAtOnceRunTheirOwn()
{
    TempHome home;
    const QString list = home.filePath(QStringLiteral("Servers.cfg"));
    // The user's own entries (the last without a line break) and a comment stay as they are.
    const QString own = QStringLiteral("/ my servers\r\n`:dbhost:5001::`Production`ticker");
    {
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(own.toLatin1());
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    const QString line = QStringLiteral("--homedir:%1 --demo").arg(home.path());
    Window a, b;
    QVERIFY(a.start(line, home.filePath(QStringLiteral("a.ini"))));
    QVERIFY(b.start(line, home.filePath(QStringLiteral("b.ini"))));
    QTRY_VERIFY_WITH_TIMEOUT(a.connectedToDemo(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(b.connectedToDemo(), 20000);
    QVERIFY(a.demo().port() != b.demo().port());
    QVERIFY(a.demo().processId() != b.demo().processId());
    QCOMPARE(a.activeFile(), QFileInfo(sourceFile("demo/demo.q")).absoluteFilePath());
    QCOMPARE(b.activeFile(), a.activeFile());

    // One Demo entry, pointing at one of the two, after the user's lines; still the owner's alone.
    const QString text = readText(list);
    const QStringList demo = demoLines(text);
    QCOMPARE(demo.size(), 1);
    QVERIFY2(demo.front() == a.demo().symbol() + DemoInstance::namePath()
                 || demo.front() == b.demo().symbol() + DemoInstance::namePath(),
             qPrintable(demo.front()));
    QVERIFY(text.startsWith(own + QStringLiteral("\r\n")));
    QCOMPARE(modeOf(list), 0600);

    // Help > Start Demo Instance in a window whose demo runs: the same instance, connected again.
    const qint64 pidB = b.demo().processId();
    b.frame()->actions().updateCommands();
    QVERIFY(b.frame()->action(cmd::StartDemo)->isEnabled());
    b.frame()->action(cmd::StartDemo)->trigger();
    QCOMPARE(b.demo().processId(), pidB);
    QTRY_VERIFY_WITH_TIMEOUT(b.connectedToDemo(), 20000);
    QCOMPARE(demoLines(readText(list)).size(), 1);

    // Each child ends with its own Tovo.
    const qint64 pidA = a.demo().processId();
    QVERIFY(processAlive(pidA) && processAlive(pidB));
    a.app.reset();
    QVERIFY(!processAlive(pidA));
    QVERIFY(processAlive(pidB));
    b.app.reset();
    QVERIFY(!processAlive(pidB));
}

void TestDemoLaunch::takenPortIsNoDeadEnd()
{
    // The script names port 15001; whoever holds it, the demo takes another.
    TestInstance holder;
    const bool held = holder.start(15001);
    TempHome home;
    Window w;
    QVERIFY(w.start(QStringLiteral("--homedir:%1 --demo").arg(home.path()), home.filePath(QStringLiteral("s.ini"))));
    QTRY_VERIFY_WITH_TIMEOUT(w.connectedToDemo(), 20000);
    if (held)
        QVERIFY(w.demo().port() != 15001);
    QCOMPARE(demoLines(readText(home.filePath(QStringLiteral("Servers.cfg")))),
             QStringList {w.demo().symbol() + DemoInstance::namePath()});
    QCOMPARE(modeOf(home.filePath(QStringLiteral("Servers.cfg"))), 0600);
}

void TestDemoLaunch::failuresAreReported()
{
    TempHome home;
    // An instance that ends before it listens: its own words reach the user.
    const QString bad = home.filePath(QStringLiteral("bad.script"));
    {
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("bogus: 1\n");
    }
    DemoFiles files = buildFiles();
    files.script = bad;
    Window w;
    w.prompter.expectInform(
        QStringLiteral("The demo instance could not be started: tovo-test-instance: %1: line 1: unknown setting bogus "
                       "(rules start with query: or pattern:)")
            .arg(bad),
        Prompter::Icon::Error);
    QVERIFY(w.start(QStringLiteral("--homedir:%1 --demo").arg(home.path()), home.filePath(QStringLiteral("s.ini")),
                    files));
    QTRY_COMPARE_WITH_TIMEOUT(w.prompter.pending(), 0, 20000);
    QVERIFY(!w.demo().isRunning());
    QVERIFY(demoLines(readText(home.filePath(QStringLiteral("Servers.cfg")))).isEmpty());
    QVERIFY(w.frame()->serverText().isEmpty());
    w.app.reset();

    // Without the program there is no demo to start: the command is disabled and says why if run.
    files = buildFiles();
    files.program = home.filePath(QStringLiteral("missing/tovo-test-instance"));
    Window m;
    QVERIFY(m.start(QStringLiteral("--homedir:%1").arg(home.path()), home.filePath(QStringLiteral("m.ini")), files));
    QVERIFY(!m.app->demoLink()->available());
    m.frame()->actions().updateCommands();
    QVERIFY(!m.frame()->action(cmd::StartDemo)->isEnabled());
    m.prompter.expectInform(
        QStringLiteral("The demo instance could not be started: %1 was not found.").arg(files.program),
        Prompter::Icon::Error);
    m.app->demoLink()->start();
    QCOMPARE(m.prompter.pending(), 0);
}

void TestDemoLaunch::firstStartOffer_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("No leaves it alone") << false;
    QTest::newRow("Yes starts the demo") << true;
}

void TestDemoLaunch::firstStartOffer()
{
    QFETCH(bool, accept);
    TempHome home;
    const QString settings = home.filePath(QStringLiteral("s.ini"));
    const QString list = home.filePath(QStringLiteral("Servers.cfg"));
    {
        Window w;
        w.prompter.expect(CDemoLink::offerText(), QStringLiteral("Tovo"), Prompter::Buttons::YesNo,
                          Prompter::Icon::Question, accept ? Prompter::Answer::Yes : Prompter::Answer::No,
                          Prompter::Answer::No);
        QVERIFY(w.start(QStringLiteral("--homedir:%1").arg(home.path()), settings));
        QTRY_COMPARE(w.prompter.pending(), 0); // asked once the event loop runs
        if (accept) {
            QTRY_VERIFY_WITH_TIMEOUT(w.connectedToDemo(), 20000);
            QCOMPARE(demoLines(readText(list)).size(), 1);
        } else {
            QVERIFY(!w.demo().isRunning());
            QVERIFY(w.demo().processId() == 0);
            QCOMPARE(readText(list), QString());
        }
        QCOMPARE(modeOf(list), 0600);
    }
    // The next start is no first start: no question (an unplanned one fails the test).
    Window again;
    QVERIFY(again.start(QStringLiteral("--homedir:%1").arg(home.path()), settings));
    QCoreApplication::processEvents(); // where the offer would have been asked
    QCOMPARE(again.prompter.asked(), QStringList());
    QVERIFY(!again.demo().isRunning());
}

void TestDemoLaunch::instanceStopsWhenItsInputCloses()
{
    // However Tovo ends, its end of the child's input closes, and the child stops.
    QProcess child;
    child.start(QStringLiteral(TOVO_INSTANCE_EXE),
                {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--stop-on-eof"),
                 sourceFile("demo/demo.script")});
    QVERIFY(child.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).contains("listening on 127.0.0.1:"), 20000);
    QSignalSpy finished(&child, &QProcess::finished);
    child.closeWriteChannel();
    QVERIFY(finished.wait(20000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
}

QTEST_MAIN(TestDemoLaunch)
#include "tst_demolaunch.moc"

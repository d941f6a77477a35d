// The window stays live whatever the network does: during a connect to an
// instance that never answers and during a query whose reply is late or
// never comes, the window's timers keep ticking, typed keys arrive, and Stop
// ends the wait at once; closing the window ends every session thread.
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "app/CChildFrame.h"
#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionController.h"
#include "connect/SessionWorker.h"
#include "editor/CTovoView.h"
#include "query/QueryRunner.h"
#include "results/COutputWnd.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {
// Counts the ticks of a 10 ms timer on the window's thread.
struct Ticker {
    QTimer timer;
    int ticks = 0;
    QElapsedTimer clock;
    Ticker()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { ++ticks; });
        timer.start(10);
        clock.start();
    }
    // Ticks in the last second of waiting, the event loop running; a blocked
    // window thread gives 0 or 1.
    int ticksInOneSecond()
    {
        const int before = ticks;
        QElapsedTimer second;
        second.start();
        while (second.elapsed() < 1000)
            QTest::qWait(20);
        return ticks - before;
    }
};

// A session of a dialog of the window (the connection dialog's Test, the
// explorer): it lives as long as the frame.
struct FrameSession : QObject {
    CQHelper session;
    FrameSession(QObject* parent, SessionContext context) : QObject(parent), session(std::move(context)) {}
};

int processThreads()
{
#ifdef __linux__
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
#else
    return SessionWorker::liveThreads();
#endif
}
} // namespace

class TestLiveness : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void connectKeepsWindowLive_data();
    void connectKeepsWindowLive();
    void queryKeepsWindowLive_data();
    void queryKeepsWindowLive();
    void fiftyQueriesThenCloseWithWorkInFlight();
    void processEndsWithConnectInProgress();

private:
    void start(const QString& server, int connectTimeoutSec);
    CTovoView* view();
    void postKey(QWidget* target, Qt::Key key, const QString& text);
    CMainFrame* frame() { return m_app->mainFrame(); }
    ConnectionController& controller() { return m_app->queryLink()->controller(); }
    QueryRunner& runner() { return m_app->queryLink()->runner(); }

    std::unique_ptr<TempHome> m_home;
    ScriptedPrompter m_prompter;
    std::unique_ptr<CTovoApp> m_app;
};

void TestLiveness::cleanup()
{
    m_app.reset();
    m_home.reset();
    QCOMPARE(SessionWorker::liveThreads(), 0);
}

void TestLiveness::start(const QString& server, int connectTimeoutSec)
{
    m_home = std::make_unique<TempHome>();
    m_home->store()->writeInt(QStringLiteral("ConnectTimeoutSec"), connectTimeoutSec);
    const QString args = QStringLiteral("--homedir:%1").arg(m_home->path())
        + (server.isEmpty() ? QString() : QStringLiteral(" --server:") + server);
    m_app = std::make_unique<CTovoApp>(CommandLine(args), m_prompter, m_home->store());
    QVERIFY(m_app->initInstance());
}

CTovoView* TestLiveness::view() { return qobject_cast<CTovoView*>(frame()->activeDocument()->view()); }

void TestLiveness::postKey(QWidget* target, Qt::Key key, const QString& text)
{
    // Through the event loop, as a real key press comes.
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

void TestLiveness::connectKeepsWindowLive_data()
{
    QTest::addColumn<int>("timeoutSec");
    QTest::newRow("ConnectTimeoutSec 5") << 5;
    QTest::newRow("ConnectTimeoutSec 0: no limit") << 0;
}

void TestLiveness::connectKeepsWindowLive()
{
    QFETCH(int, timeoutSec);
    TestInstance silent;
    silent.setSilent(true);
    QVERIFY(silent.start());
    QSignalSpy login(silent.events(), &InstanceEvents::handshakeReceived);
    const QString server = QStringLiteral("127.0.0.1:%1").arg(silent.port());
    start(server, timeoutSec);
    QVERIFY(controller().isConnecting());
    QVERIFY(login.wait(10000));

    // While the connect waits: the busy status, Stop enabled, the timers tick
    // and typing reaches the editor.
    Ticker ticker;
    const int ticks = ticker.ticksInOneSecond();
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
    QVERIFY(controller().isConnecting());
    const QString status = frame()->frameStatusBar()->paneText(CFrameStatusBar::Connection);
    QCOMPARE(status, QStringLiteral("Connecting to `:%1...").arg(server));
    QCOMPARE(frame()->connectBoxText(), QStringLiteral("`:") + server);
    QVERIFY(frame()->frameStatusBar()->isBusy());
    QVERIFY(frame()->action(cmd::Stop)->isEnabled());
    view()->setFocus();
    postKey(view(), Qt::Key_X, QStringLiteral("x"));
    QTRY_COMPARE(view()->text(), QStringLiteral("x"));

    // Stop: the connect is over when the command returns.
    QElapsedTimer stopClock;
    stopClock.start();
    frame()->action(cmd::Stop)->trigger();
    const qint64 stopMs = stopClock.elapsed();
    QVERIFY(!controller().isConnecting());
    qInfo("connect stopped after %lld ms; %d ticks in one second while connecting", static_cast<long long>(stopMs),
          ticks);
    QVERIFY(!frame()->action(cmd::Stop)->isEnabled());
    QVERIFY(!frame()->frameStatusBar()->isBusy());
    QCOMPARE(frame()->frameStatusBar()->paneText(CFrameStatusBar::Connection), QStringLiteral("Disconnected"));
    QVERIFY(controller().serverText().isEmpty());
    // The worker is free again at once: the cancelled attempt gave up.
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->queryLink()->session().worker().isBusy(), 5000);
}

void TestLiveness::queryKeepsWindowLive_data()
{
    QTest::addColumn<bool>("neverAnswers");
    QTest::addColumn<bool>("stop");
    QTest::newRow("never answers, Stop") << true << true;
    QTest::newRow("reply delayed 5 s, Stop") << false << true;
    QTest::newRow("reply delayed 5 s, waited for") << false << false;
}

void TestLiveness::queryKeepsWindowLive()
{
    QFETCH(bool, neverAnswers);
    QFETCH(bool, stop);
    TestInstance inst;
    if (neverAnswers)
        inst.on(QStringLiteral("slow"), kj(7777777)).neverAnswer();
    else
        inst.on(QStringLiteral("slow"), kj(7777777)).delay(5000);
    inst.on(QStringLiteral("1+1"), kj(2));
    QVERIFY(inst.start());
    start(QStringLiteral("127.0.0.1:%1").arg(inst.port()), 5);
    QTRY_VERIFY_WITH_TIMEOUT(m_app->queryLink()->session().isOpen(), 10000);
    QSignalSpy received(inst.events(), &InstanceEvents::messageReceived);
    QSignalSpy written(inst.events(), &InstanceEvents::delayedReplyWritten);

    CTovoView* editor = view();
    editor->setFocus();
    editor->setText(QStringLiteral("slow"));
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(received.wait(10000));
    QVERIFY(runner().isRunning());
    QVERIFY(frame()->action(cmd::Stop)->isEnabled());

    Ticker ticker;
    const int ticks = ticker.ticksInOneSecond();
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
    QVERIFY(runner().isRunning());
    QVERIFY(frame()->frameStatusBar()->isBusy());
    editor->setCursorPosition(0, 4);
    postKey(editor, Qt::Key_Y, QStringLiteral("y"));
    QTRY_COMPARE(editor->text(), QStringLiteral("slowy"));
    COutputWnd* out = frame()->outputWnd();

    if (!stop) {
        // The late reply is shown when the instance reports it sent it.
        QVERIFY(written.wait(15000));
        QTRY_VERIFY_WITH_TIMEOUT(out->consoleText().contains(QStringLiteral("7777777")), 5000);
        QVERIFY(!runner().isRunning());
        QVERIFY(!frame()->action(cmd::Stop)->isEnabled());
        return;
    }
    // Esc in the source view is Stop.
    QElapsedTimer stopClock;
    stopClock.start();
    QTest::keyClick(editor, Qt::Key_Escape);
    const qint64 stopMs = stopClock.elapsed();
    QVERIFY(!runner().isRunning());
    qInfo("query stopped after %lld ms; %d ticks in one second while waiting", static_cast<long long>(stopMs), ticks);
    QString console = out->consoleText();
    console.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QVERIFY2(console.contains(QStringLiteral("q) slow\nStopped")), qPrintable(console));
    QVERIFY(m_prompter.asked().isEmpty());
    QVERIFY(frame()->runningQuery().isEmpty());
    QVERIFY(!frame()->frameStatusBar()->showsProgress());

    // The session is ready again and the next query runs.
    QTRY_VERIFY_WITH_TIMEOUT(m_app->queryLink()->session().isOpen() && !controller().isConnecting(), 10000);
    editor->setText(QStringLiteral("1+1"));
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(out->consoleText().contains(QStringLiteral("\n2")), 10000);
    QVERIFY(!out->consoleText().contains(QStringLiteral("7777777")));
}

void TestLiveness::fiftyQueriesThenCloseWithWorkInFlight()
{
    TestInstance inst;
    inst.on(QStringLiteral("hang"), kj(0)).neverAnswer();
    inst.onPattern(QStringLiteral("^til "), kj(1));
    QVERIFY(inst.start());
    TestInstance silent;
    silent.setSilent(true);
    QVERIFY(silent.start());
    start(QStringLiteral("127.0.0.1:%1").arg(inst.port()), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_app->queryLink()->session().isOpen(), 10000);

    // Fifty queries, each reply shown (and kept by the history) in turn.
    QSignalSpy replies(&runner(), &QueryRunner::replyReady);
    int threadsAfterFirst = 0;
    int mostThreads = 0;
    for (int i = 0; i < 50; ++i) {
        m_app->queryLink()->run(QStringLiteral("til %1").arg(i), false);
        QTRY_COMPARE_WITH_TIMEOUT(replies.size(), i + 1, 10000);
        const int threads = processThreads();
        if (i == 0)
            threadsAfterFirst = threads;
        mostThreads = std::max(mostThreads, threads);
    }
    qInfo("threads: %d after the first query, %d at most over fifty", threadsAfterFirst, mostThreads);
    QCOMPARE(SessionWorker::liveThreads(), 1);
    QVERIFY2(mostThreads <= threadsAfterFirst + 1,
             qPrintable(QStringLiteral("%1 threads after the first query, %2 at most").arg(threadsAfterFirst).arg(mostThreads)));

    // A query that never ends, and a connect that never ends on a session of
    // the window's own (no time-out).
    QSignalSpy received(inst.events(), &InstanceEvents::messageReceived);
    m_app->queryLink()->run(QStringLiteral("hang"), false);
    QVERIFY(received.wait(10000));
    SessionContext context;
    context.store = &m_app->store();
    auto* other = new FrameSession(frame(), context);
    QSignalSpy login(silent.events(), &InstanceEvents::handshakeReceived);
    bool otherDone = false;
    other->session.openAsync(QStringLiteral("`:127.0.0.1:%1").arg(silent.port()), other, [&](int) { otherDone = true; });
    QVERIFY(login.wait(10000));
    QCOMPARE(SessionWorker::liveThreads(), 2);

    // The exit path: the window closes, the application object goes.
    QElapsedTimer exitClock;
    exitClock.start();
    QVERIFY(frame()->close());
    m_app->exitInstance();
    m_app.reset();
    const qint64 exitMs = exitClock.elapsed();
    qInfo("exit path took %lld ms with a query in flight and a connect in progress", static_cast<long long>(exitMs));
    QCOMPARE(SessionWorker::liveThreads(), 0);
    QVERIFY(!otherDone);
    // Only reachable when nothing waited on the network: both waits have no limit.
    QVERIFY2(exitMs < 5000, qPrintable(QString::number(exitMs)));
}

void TestLiveness::processEndsWithConnectInProgress()
{
#ifndef TOVO_EXE
    QSKIP("no tovo executable");
#else
    TestInstance silent;
    silent.setSilent(true);
    QVERIFY(silent.start());
    TempHome home;
    // The per-user store of the process, with no connect time-out.
    const QString config = home.filePath(QStringLiteral("config"));
    {
        SettingsStore store(config + QStringLiteral("/Velmar/Tovo.conf"), QString());
        store.writeInt(QStringLiteral("ConnectTimeoutSec"), 0);
        store.sync();
    }
    QProcess tovo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TOVO_QUIT_WHEN_IDLE"), QStringLiteral("1"));
    tovo.setProcessEnvironment(env);
    QSignalSpy login(silent.events(), &InstanceEvents::handshakeReceived);
    tovo.start(QStringLiteral(TOVO_EXE),
               {QStringLiteral("--homedir:") + home.path(), QStringLiteral("--server:127.0.0.1:%1").arg(silent.port())});
    QVERIFY(tovo.waitForStarted(10000));
    // The window goes idle and quits while its connect waits without limit.
    QVERIFY2(tovo.waitForFinished(30000), "tovo did not end with a connect in progress");
    QCOMPARE(tovo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tovo.exitCode(), 0);
    qInfo("%s", tovo.readAllStandardError().trimmed().constData());
#endif
}

QTEST_MAIN(TestLiveness)
#include "tst_liveness.moc"

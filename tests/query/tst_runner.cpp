#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionController.h"
#include "connect/ReplyRegistry.h"
#include "connect/SessionWorker.h"
#include "core/settings/CDlgQSettings.h"
#include "query/QueryComposer.h"
#include "query/QueryRunner.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using A = Prompter::Answer;
using B = Prompter::Buttons;
using Ic = Prompter::Icon;
using Colour = ConnectionController::Colour;

namespace {
const QString abortQuestion = QStringLiteral(
    "Another query is still running\nDo you want to abort it and run this one?\nWARNING: Proceed at your own risk!\n"
    "(Experiences may vary widely depending on your luck and karma)");

QString charText(K x)
{
    return x && x->t == KC ? QString::fromUtf8(kC(x), static_cast<qsizetype>(x->n)) : QStringLiteral("<not text>");
}

// A main window's connection and runner over a scripted instance; what the
// runner signals is logged.
struct Rig {
    TestInstance& inst;
    TempHome home;
    std::unique_ptr<SettingsStore> store = home.store();
    CDlgQSettings q;
    CDlgEditorSettings editor;
    ScriptedPrompter prompter;
    CQHelper session;
    ConnectionController controller;
    std::unique_ptr<QueryRunner> runner;
    QStringList console;
    QStringList status;
    QList<int> replies;
    int taskbarErrors = 0;

    explicit Rig(TestInstance& instance)
        : inst(instance), session(SessionContext{&q, store.get(), &prompter, nullptr, nullptr, {}}),
          controller(session, q, editor, store.get(), prompter)
    {
        runner = std::make_unique<QueryRunner>(controller, q, editor, prompter);
        QObject::connect(runner.get(), &QueryRunner::consoleText, [this](const QString& t) { console << t; });
        QObject::connect(runner.get(), &QueryRunner::statusText, [this](int pane, const QString& t, Colour c) {
            status << QStringLiteral("%1 %2%3").arg(pane).arg(t, c == Colour::Red ? " (red)" : "");
        });
        QObject::connect(&controller, &ConnectionController::statusText, [this](int pane, const QString& t, Colour c) {
            status << QStringLiteral("%1 %2%3").arg(pane).arg(t, c == Colour::Red ? " (red)" : "");
        });
        QObject::connect(runner.get(), &QueryRunner::replyReady, [this](int code) { replies << code; });
        QObject::connect(runner.get(), &QueryRunner::taskbarError, [this] { ++taskbarErrors; });
    }
    ~Rig() { runner.reset(); }
    QString symbol() const { return QStringLiteral("`:127.0.0.1:%1::").arg(inst.port()); }
    bool connectNow()
    {
        int result = 0;
        bool done = false;
        const auto c = QObject::connect(&controller, &ConnectionController::connectFinished, [&](int r) {
            result = r;
            done = true;
        });
        controller.connectTo(symbol());
        (void)QTest::qWaitFor([&] { return done; }, 30000);
        QObject::disconnect(c);
        return result > 0;
    }
    bool waitReplies(int n, int ms = 10000)
    {
        return QTest::qWaitFor([&] { return replies.size() >= n; }, ms);
    }
    bool waitIdle(int ms = 10000)
    {
        return QTest::qWaitFor([&] { return !runner->isRunning(); }, ms);
    }
    long long lastLong() const { return session.lastReply() ? session.lastReply()->j : -1; }
};
} // namespace

class TestRunner : public QObject {
    Q_OBJECT
private slots:
    void repliesAndErrors();
    void releaseRule();
    void secondRunNoLeavesFirstRunning();
    void abortedReplyIsNeverShown();
    void lostConnectionReconnectsAndReruns();
    void secondLossReportsConnectionError();
    void lostTwiceThenQueryReconnects();
    void runWithoutSession();
    void stopEndsQueryAndLeavesSessionReady();
    void stopEndsConnect();
    void noReconnectAfterUserDisconnect();
    void asyncSuccess();
    void wrapLambdaSentExactly_data();
    void wrapLambdaSentExactly();
    void userInterfaceKeepsRunning();
    void emptyQueryPostsNothing();
    void killAndReconnect();
};

void TestRunner::repliesAndErrors()
{
    TestInstance inst;
    inst.on("1+1", kj(2));
    inst.onError("bad", "type");
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    rig.runner->run("1+1", true, false);
    QVERIFY(rig.runner->isRunning());
    QVERIFY(rig.waitReplies(1));
    QCOMPARE(rig.replies, QList<int>({0}));
    QCOMPARE(rig.lastLong(), 2);
    QVERIFY(rig.console.contains("q) 1+1"));
    QVERIFY(rig.status.contains("0 Running query: 1+1"));
    QVERIFY(rig.runner->refreshAfter());
    rig.runner->run("bad", false, false);
    QVERIFY(rig.waitReplies(2));
    QCOMPARE(rig.replies.last(), -128);
    QCOMPARE(int(rig.session.lastReply()->t), KERR);
    QCOMPARE(QString(rig.session.lastReply()->s), "type");
    QCOMPARE(rig.runner->lastQuery(), "bad");
    QVERIFY(!rig.runner->refreshAfter());
}

// A shown reply is freed by the session's worker once its last holder lets
// go; no thread waits meanwhile, and one worker serves every run.
void TestRunner::releaseRule()
{
    TestInstance inst;
    inst.on("a", kj(1));
    inst.on("b", kj(2));
    inst.on("c", kj(3));
    QVERIFY(inst.start());
    const int threadsBefore = SessionWorker::liveThreads();
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    rig.runner->run("a", true, false);
    QVERIFY(rig.waitReplies(1));
    K a = rig.session.lastReply();
    QVERIFY(ReplyRegistry::instance().contains(a)); // held for its worker while shown
    rig.runner->run("b", true, false);
    QVERIFY(rig.waitReplies(2));
    QVERIFY(!ReplyRegistry::instance().contains(a)); // released by the next run
    QCOMPARE(SessionWorker::liveThreads(), threadsBefore + 1);

    // A second holder (the result history) keeps "b" after the next run.
    K held = r1(rig.session.lastReply());
    rig.runner->run("c", true, false);
    QVERIFY(rig.waitReplies(3));
    QVERIFY(ReplyRegistry::instance().contains(held));
    QCOMPARE(held->j, 2);
    QCOMPARE(held->r, 0);
    ReplyRegistry::release(held);
    QVERIFY(!ReplyRegistry::instance().contains(held));
    QCOMPARE(SessionWorker::liveThreads(), threadsBefore + 1);
}

void TestRunner::secondRunNoLeavesFirstRunning()
{
    TestInstance inst;
    inst.on("slow", kj(11)).delay(800);
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    rig.runner->run("slow", true, false);
    rig.prompter.expect(abortQuestion, "Tovo", B::YesNo, Ic::Warning, A::No, A::No);
    rig.runner->run("1+1", true, false);
    QCOMPARE(rig.prompter.pending(), 0);
    QVERIFY(rig.runner->isRunning());
    QVERIFY(rig.waitReplies(1));
    QCOMPARE(rig.lastLong(), 11);
    QCOMPARE(inst.receivedTexts(), QList<QString>({"slow"}));
    QCOMPARE(inst.handshakes().size(), 1);
}

void TestRunner::abortedReplyIsNeverShown()
{
    TestInstance inst;
    inst.on("slow", kj(1)).delay(800);
    inst.on("2+2", kj(4));
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    QSignalSpy due(inst.events(), &InstanceEvents::delayedReplyWritten);
    rig.runner->run("slow", true, false);
    QVERIFY(inst.waitForReceived(1, 5000));
    rig.prompter.expect(abortQuestion, "Tovo", B::YesNo, Ic::Warning, A::Yes, A::No);
    rig.runner->run("2+2", true, false);
    QVERIFY(rig.waitReplies(1));
    QCOMPARE(rig.lastLong(), 4);
    QTRY_VERIFY_WITH_TIMEOUT(due.size() == 1, 10000); // past the moment the slow reply was due
    QCoreApplication::processEvents();
    QCOMPARE(rig.replies, QList<int>({0}));
    QCOMPARE(rig.lastLong(), 4);
    QCOMPARE(inst.handshakes().size(), 2); // the abort reconnected
}

void TestRunner::lostConnectionReconnectsAndReruns()
{
    TestInstance inst;
    inst.drop("q1");
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    // The instance is back in order by the time Tovo reconnects.
    QObject::connect(rig.runner.get(), &QueryRunner::consoleText, [&](const QString& t) {
        if (t == "Connection handle invalid, reconnecting...") {
            inst.clearRules();
            inst.on("q1", kj(7));
        }
    });
    rig.runner->run("q1", false, false);
    QVERIFY(rig.waitReplies(1));
    QCOMPARE(rig.lastLong(), 7);
    const QString server = rig.controller.serverText();
    QCOMPARE(rig.console, QStringList({"q) q1", "Connection handle invalid, reconnecting...", "Reconnected to " + server,
                                       "q) q1"}));
    QVERIFY(rig.runner->refreshAfter()); // the re-run refreshes
    QCOMPARE(inst.handshakes().size(), 2);
    QCOMPARE(rig.controller.reconnectCounter(), 0);
}

void TestRunner::secondLossReportsConnectionError()
{
    TestInstance inst;
    inst.drop("q1");
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    rig.runner->run("q1", false, false);
    QVERIFY(QTest::qWaitFor([&] { return rig.status.contains("1 Connection error (red)"); }, 10000));
    QVERIFY(rig.waitIdle());
    QVERIFY(!rig.controller.isConnecting()); // no further reconnect under way
    QCOMPARE(inst.handshakes().size(), 2); // one reconnect only
    QCOMPARE(inst.receivedTexts(), QList<QString>({"q1", "q1"}));
    QCOMPARE(rig.console.count("Connection handle invalid, reconnecting..."), 1);
    QCOMPARE(rig.taskbarErrors, 1);
    QCOMPARE(rig.controller.reconnectCounter(), 0);
    QVERIFY(rig.replies.isEmpty());
    QCOMPARE(rig.session.handle(), -1);
}

// After any lost connection the window shows what a Disconnect shows, and
// the next query connects again to the lost server.
void TestRunner::lostTwiceThenQueryReconnects()
{
    TestInstance inst;
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    QStringList servers;
    QList<bool> running;
    QObject::connect(&rig.controller, &ConnectionController::serverChanged, [&](const QString& t) { servers << t; });
    QObject::connect(rig.runner.get(), &QueryRunner::runningChanged, [&](bool r) { running << r; });
    for (int round = 0; round < 2; ++round) {
        inst.clearRules();
        inst.drop("q1");
        rig.status.clear();
        servers.clear();
        running.clear();
        rig.runner->run("q1", false, false);
        QVERIFY(QTest::qWaitFor([&] { return rig.status.contains("1 Connection error (red)"); }, 10000));
        QVERIFY(!rig.runner->isRunning());
        QVERIFY(!rig.runner->canStop());
        QCOMPARE(running.last(), false);
        QCOMPARE(rig.controller.serverText(), QString());
        QCOMPARE(servers.last(), QString()); // title, toolbar and connect box follow
        QCOMPARE(rig.controller.lostServer(), rig.symbol());
        QCOMPARE(rig.status.last(), QStringLiteral("1 Connection error (red)"));
        QVERIFY(rig.status.contains("1 Disconnected (red)"));
        QVERIFY(rig.status.contains("0 ")); // "Running query: ..." is gone
        QCOMPARE(rig.session.handle(), -1);

        // The instance is back: the next query reconnects and runs.
        inst.clearRules();
        inst.on("q2", kj(8 + round));
        const int replies = rig.replies.size();
        rig.runner->run("q2", true, false);
        QVERIFY(rig.waitReplies(replies + 1));
        QCOMPARE(rig.lastLong(), 8 + round);
        QCOMPARE(rig.controller.serverText(), rig.symbol());
        QVERIFY(rig.controller.lostServer().isEmpty());
    }
}

void TestRunner::runWithoutSession()
{
    TestInstance inst;
    QVERIFY(inst.start());
    Rig rig(inst);
    QSignalSpy notConnected(rig.runner.get(), &QueryRunner::notConnected);
    rig.runner->run("1+1", true, false);
    QCOMPARE(notConnected.size(), 1);
    QCOMPARE(rig.status, QStringList({"0 Not connected: connect to a server first"}));
    QVERIFY(!rig.runner->isRunning());
    QVERIFY(inst.handshakes().isEmpty());
    // A user's Disconnect forgets the server: no reconnect either.
    QVERIFY(rig.connectNow());
    rig.controller.disconnectServer();
    rig.runner->run("1+1", true, false);
    QCOMPARE(notConnected.size(), 2);
    QCOMPARE(inst.handshakes().size(), 1);
}

void TestRunner::stopEndsQueryAndLeavesSessionReady()
{
    TestInstance inst;
    inst.on("hang", kj(1)).neverAnswer();
    inst.on("1+1", kj(2));
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    QVERIFY(!rig.runner->canStop());
    QSignalSpy received(inst.events(), &InstanceEvents::messageReceived);
    rig.runner->run("hang", true, false);
    QVERIFY(rig.runner->canStop());
    QVERIFY(received.wait(10000));
    QVERIFY(QTest::qWaitFor([&] { return rig.console.contains("q) hang"); }));
    QElapsedTimer timer;
    timer.start();
    rig.runner->stop();
    const qint64 stopMs = timer.elapsed();
    QVERIFY(!rig.runner->isRunning()); // at once: nothing waits for the worker
    qInfo("Stop returned after %lld ms", static_cast<long long>(stopMs));
    QCOMPARE(rig.console.mid(rig.console.indexOf("q) hang")), QStringList({"q) hang", "Stopped"}));
    QVERIFY(rig.prompter.asked().isEmpty()); // no abort question
    // The session opens again and takes the next query.
    QVERIFY(QTest::qWaitFor([&] { return rig.session.isOpen() && !rig.controller.isConnecting(); }, 10000));
    QCOMPARE(inst.handshakes().size(), 2);
    rig.runner->run("1+1", true, false);
    QVERIFY(rig.waitReplies(1));
    QCOMPARE(rig.replies, QList<int>({0}));
    QCOMPARE(rig.lastLong(), 2);
}

void TestRunner::stopEndsConnect()
{
    TestInstance live;
    QVERIFY(live.start());
    TestInstance silent;
    silent.setSilent(true);
    QVERIFY(silent.start());
    Rig rig(live);
    QVERIFY(rig.connectNow());
    const int handle = rig.session.handle();
    QSignalSpy login(silent.events(), &InstanceEvents::handshakeReceived);
    QSignalSpy finished(&rig.controller, &ConnectionController::connectFinished);
    rig.controller.connectTo(QStringLiteral("`:127.0.0.1:%1::").arg(silent.port()));
    QVERIFY(rig.controller.isConnecting());
    QVERIFY(rig.runner->canStop());
    QVERIFY(login.wait(10000));
    rig.runner->stop();
    QVERIFY(!rig.controller.isConnecting());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].toInt(), CQHelper::Cancelled);
    // The previous connection is untouched.
    QCOMPARE(rig.session.handle(), handle);
    QCOMPARE(rig.controller.serverText(), rig.symbol());
    QCOMPARE(rig.status.last(), "1 Connected to " + rig.symbol());
}

void TestRunner::noReconnectAfterUserDisconnect()
{
    TestInstance inst;
    inst.on("slow", kj(1)).delay(600);
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    QSignalSpy due(inst.events(), &InstanceEvents::delayedReplyWritten);
    rig.runner->run("slow", true, false);
    QVERIFY(inst.waitForReceived(1, 5000));
    rig.controller.disconnectServer();
    QVERIFY(rig.waitIdle());
    QTRY_VERIFY_WITH_TIMEOUT(due.size() == 1, 10000); // the late reply was due
    QCoreApplication::processEvents();
    QCOMPARE(inst.handshakes().size(), 1);
    QVERIFY(rig.replies.isEmpty());
    QVERIFY(!rig.console.contains("Connection handle invalid, reconnecting..."));
    QVERIFY(!rig.status.contains("1 Connection error (red)"));
}

void TestRunner::asyncSuccess()
{
    TestInstance inst;
    // What the send-back lambda makes of a generic null on a real instance.
    inst.on(QueryComposer::defaultAsyncSendbackLambda(), ka(KUNARY)).thenPublish(kp("Async success"));
    QVERIFY(inst.start());
    Rig rig(inst);
    rig.q.asyncAllowed = true;
    rig.q.AsyncQuerying = true;
    rig.editor.WrapSyncQueries = true; // plays no part
    QVERIFY(rig.connectNow());
    rig.runner->run("::", true, false);
    QVERIFY(rig.waitReplies(1));
    QCOMPARE(rig.replies, QList<int>({0}));
    QCOMPARE(charText(rig.session.lastReply()), QStringLiteral("Async success"));
    const QList<ReceivedMessage> got = inst.received();
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].type, 0);
    QCOMPARE(got[0].text, QueryComposer::defaultAsyncSendbackLambda());
}

void TestRunner::wrapLambdaSentExactly_data()
{
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<QString>("lambda");
    QTest::addColumn<bool>("runAsIs");
    QTest::addColumn<bool>("wrapped");
    QTest::newRow("configured lambda") << true << "{[q] value q}" << false << true;
    QTest::newRow("default lambda") << true << QueryComposer::defaultSyncLambda() << false << true;
    QTest::newRow("Shift: as is") << true << "{[q] value q}" << true << false;
    QTest::newRow("empty lambda") << true << "" << false << false;
    QTest::newRow("wrapping off") << false << "{[q] value q}" << false << false;
}

void TestRunner::wrapLambdaSentExactly()
{
    QFETCH(bool, wrap);
    QFETCH(QString, lambda);
    QFETCH(bool, runAsIs);
    QFETCH(bool, wrapped);
    TestInstance inst;
    inst.onPattern(".*", kj(5));
    QVERIFY(inst.start());
    Rig rig(inst);
    rig.editor.WrapSyncQueries = wrap;
    rig.editor.SyncLambda = lambda;
    QVERIFY(rig.connectNow());
    rig.runner->run("select from t", true, runAsIs);
    QVERIFY(rig.waitReplies(1));
    const QList<ReceivedMessage> got = inst.received();
    QCOMPARE(got.size(), 1);
    K v = got[0].value.get();
    if (!wrapped) {
        QCOMPARE(charText(v), "select from t");
    } else {
        QCOMPARE(int(v->t), 0);
        QCOMPARE(v->n, 2);
        QCOMPARE(charText(kK(v)[0]), lambda);
        QCOMPARE(charText(kK(v)[1]), "select from t");
    }
    // The flag is one-shot per run.
    QVERIFY(!rig.session.wrapNext);
}

void TestRunner::userInterfaceKeepsRunning()
{
    TestInstance inst;
    inst.on("long", kj(9)).delay(5000);
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(100);
    rig.runner->run("long", true, false);
    QVERIFY(rig.waitReplies(1, 15000));
    // About 50 ticks in 5 s; a blocked event loop would give 0 or 1.
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
    QCOMPARE(rig.lastLong(), 9);
}

void TestRunner::emptyQueryPostsNothing()
{
    TestInstance inst;
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    rig.runner->run("", true, false);
    QVERIFY(rig.waitIdle());
    QTRY_VERIFY(!rig.session.worker().isBusy());
    QVERIFY(rig.replies.isEmpty());
    QVERIFY(rig.console.isEmpty());
    QVERIFY(inst.received().isEmpty());
}

void TestRunner::killAndReconnect()
{
    TestInstance inst;
    inst.on("slow", kj(1)).delay(800);
    inst.on("after", kj(5));
    QVERIFY(inst.start());
    Rig rig(inst);
    QVERIFY(rig.connectNow());
    rig.runner->run("slow", true, false);
    QVERIFY(inst.waitForReceived(1, 5000));
    rig.runner->killAndReconnect();
    QVERIFY(!rig.runner->isRunning());
    QVERIFY(rig.runner->pendingQuery().isEmpty());
    QVERIFY(QTest::qWaitFor([&] { return rig.session.handle() > 0; }, 10000));
    QCOMPARE(inst.handshakes().size(), 2);
    // The next run on the new connection is the only reply shown.
    rig.runner->run("after", true, false);
    QVERIFY(rig.waitReplies(1));
    QCOMPARE(rig.replies.size(), 1);
    QCOMPARE(rig.lastLong(), 5);
}

QTEST_GUILESS_MAIN(TestRunner)
#include "tst_runner.moc"

#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "connect/ActiveQuery.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionController.h"
#include "core/settings/CDlgQSettings.h"
#include "core/values/KRender.h"

#include "kdb/KPtr.h"

#include <QTest>

#include <functional>

using A = Prompter::Answer;
using B = Prompter::Buttons;
using Ic = Prompter::Icon;
using Colour = ConnectionController::Colour;

namespace {
struct FakeQuery : ActiveQuery {
    bool running = false;
    int abandoned = 0;
    bool isRunning() const override { return running; }
    void abandon() override
    {
        ++abandoned;
        running = false;
    }
};

// A controller over a real session, with every signal written to a log.
struct Rig {
    TempHome home;
    std::unique_ptr<SettingsStore> store = home.store();
    CDlgQSettings q;
    CDlgEditorSettings editor;
    ScriptedPrompter prompter;
    CQHelper session;
    ConnectionController controller;
    FakeQuery query;
    QStringList log;
    QList<bool> critical;

    Rig()
        : session(SessionContext{&q, store.get(), &prompter, nullptr, nullptr, {}}),
          controller(session, q, editor, store.get(), prompter)
    {
        controller.setActiveQuery(&query);
        QObject::connect(&controller, &ConnectionController::statusText, [this](int pane, const QString& t, Colour c) {
            log << QStringLiteral("status%1 %2 %3").arg(pane).arg(t, c == Colour::Red ? "red" : "black");
        });
        QObject::connect(&controller, &ConnectionController::serverChanged,
                         [this](const QString& t) { log << "server " + t; });
        QObject::connect(&controller, &ConnectionController::consoleText,
                         [this](const QString& t) { log << "console " + t; });
        QObject::connect(&controller, &ConnectionController::namespaceLoadRequested, [this] { log << "namespace"; });
        QObject::connect(&controller, &ConnectionController::uncheckWatchesRequested, [this] { log << "uncheck"; });
        QObject::connect(&controller, &ConnectionController::criticalMarking,
                         [this](bool c, int) { critical << c; });
    }
    QString sym(const TestInstance& inst) const { return QStringLiteral("`:127.0.0.1:%1::").arg(inst.port()); }

    // Starts a connect and waits for its result, the event loop running.
    int finish(const std::function<void()>& start)
    {
        constexpr int none = 1 << 30;
        int result = none;
        const auto c = QObject::connect(&controller, &ConnectionController::connectFinished,
                                        [&result](int r) { result = r; });
        start();
        const bool done = QTest::qWaitFor([&] { return result != none; }, 30000);
        QObject::disconnect(c);
        return done ? result : -100;
    }
    int connect(const QString& text, bool noHistory = false)
    {
        return finish([&] { controller.connectTo(text, noHistory); });
    }
    static QString connecting(const QString& text) { return "status1 Connecting to " + text + "... black"; }
};
} // namespace

class TestController : public QObject {
    Q_OBJECT
private slots:
    void connectAndDisconnect();
    void failedConnects();
    void histories();
    void runningQueryQuestion_data();
    void runningQueryQuestion();
    void criticalMarking_data();
    void criticalMarking();
    void tlsCommand();
    void passwordsAreMaskedInStatusAndConsole();
    void tlsCommandWithoutOpenSsl();
};

void TestController::passwordsAreMaskedInStatusAndConsole()
{
    TestInstance inst;
    QVERIFY(inst.start());
    Rig rig;
    const QString text = QStringLiteral("`:127.0.0.1:%1:alice:secret").arg(inst.port());
    const QString shown = QStringLiteral("`:127.0.0.1:%1:alice:***").arg(inst.port());
    QVERIFY(rig.connect(text) > 0);
    QCOMPARE(rig.controller.serverText(), text); // the session keeps the real text
    QVERIFY(rig.log.contains(Rig::connecting(shown)));
    QVERIFY(rig.log.contains("status1 Connected to " + shown + " black"));
    QVERIFY(rig.log.contains("console \n! Server changed to " + shown + "\n"));
    // A refused port: the failure names the server without its password too.
    rig.log.clear();
    const QString refused = QStringLiteral("`:127.0.0.1:1:bob:hunter2");
    QVERIFY(rig.connect(refused) < 0);
    for (const QString& line : rig.log)
        QVERIFY2(!line.contains(QStringLiteral("hunter2")) && !line.contains(QStringLiteral("secret")), qPrintable(line));
    QVERIFY(rig.log.contains(QStringLiteral("status1 Can't connect to `:127.0.0.1:1:bob:*** red")));
}

void TestController::connectAndDisconnect()
{
    TestInstance inst;
    QVERIFY(inst.start());
    Rig rig;
    rig.q.NamespaceSQTimeout = 30;
    const QString plain = QStringLiteral("127.0.0.1:%1::").arg(inst.port());
    const QString text = rig.sym(inst);
    QVERIFY(rig.connect(plain) > 0); // normalised
    QCOMPARE(rig.controller.serverText(), text);
    QCOMPARE(rig.log, QStringList({Rig::connecting(text), "server " + text, "uncheck", "namespace",
                                   "status1 Connected to " + text + " black",
                                   "console \n! Server changed to " + text + "\n"}));
    QVERIFY(rig.q.QLoadNSOnConnect);
    QCOMPARE(rig.q.NamespaceSQTimeout, 0);
    QCOMPARE(rig.store->readInt("NamespaceSQTimeout", -1), -1); // the stored value is untouched

    // Connecting again to the same server reports it but changes nothing.
    rig.log.clear();
    QVERIFY(rig.connect(text) > 0);
    QCOMPARE(rig.log, QStringList({Rig::connecting(text), "status1 Connected to " + text + " black",
                                   "console \n! Server changed to " + text + "\n"}));

    rig.log.clear();
    rig.controller.disconnectServer();
    QCOMPARE(rig.controller.reconnectCounter(), ConnectionController::userDisconnect);
    QCOMPARE(rig.session.handle(), -1);
    QCOMPARE(rig.controller.serverText(), QString());
    QCOMPARE(rig.log, QStringList({"status1 Disconnected red", "server "}));
    QCOMPARE(rig.controller.backHistory(), QStringList({text}));
    QVERIFY(QTest::qWaitFor([&] { return inst.clientCount() == 0; }));
}

void TestController::failedConnects()
{
    TestInstance inst;
    inst.setCredentials({"u:p"});
    QVERIFY(inst.start());
    Rig rig;
    QVERIFY(rig.connect(QStringLiteral("`:127.0.0.1:%1:u:p").arg(inst.port())) > 0);
    const int handle = rig.session.handle();

    // Refused credentials: only the status changes, the connection stays.
    rig.log.clear();
    QCOMPARE(rig.connect(QStringLiteral("`:127.0.0.1:%1:u:x").arg(inst.port())), 0);
    QCOMPARE(rig.log, QStringList({Rig::connecting(QStringLiteral("`:127.0.0.1:%1:u:***").arg(inst.port())),
                                   "status1 Disconnected red"}));
    QCOMPARE(rig.session.handle(), handle);

    // Unreachable: the session is closed and the server text cleared.
    TestInstance gone;
    QVERIFY(gone.start());
    const QString dead = QStringLiteral("`:127.0.0.1:%1").arg(gone.port());
    gone.stop();
    rig.log.clear();
    QCOMPARE(rig.connect(dead), -1);
    QCOMPARE(rig.log, QStringList({Rig::connecting(dead), "status1 Can't connect to " + dead + " red", "server "}));
    QCOMPARE(rig.session.handle(), -1);
    QCOMPARE(rig.controller.serverText(), QString());

    rig.log.clear();
    QCOMPARE(rig.connect(QString()), 0);
    QCOMPARE(rig.log, QStringList({"status1 Disconnected red"}));
}

void TestController::histories()
{
    TestInstance a, b, c;
    QVERIFY(a.start() && b.start() && c.start());
    Rig rig;
    const QString sa = rig.sym(a), sb = rig.sym(b), sc = rig.sym(c);
    QVERIFY(rig.connect(sa) > 0);
    QVERIFY(rig.controller.backHistory().isEmpty()); // nothing before
    QVERIFY(rig.connect(sb) > 0);
    QCOMPARE(rig.controller.backHistory(), QStringList({sa}));
    // Going back (no history) to a, with b put on the forward list by the explorer.
    rig.controller.setHistories({}, {sb});
    QVERIFY(rig.connect(sa, true) > 0);
    QCOMPARE(rig.controller.forwardHistory(), QStringList({sb}));
    // A new server empties the forward history.
    QVERIFY(rig.connect(sc) > 0);
    QCOMPARE(rig.controller.backHistory(), QStringList({sa}));
    QVERIFY(rig.controller.forwardHistory().isEmpty());
    // A history whose newest entry is the current server loses that entry.
    rig.controller.setHistories({sa, sc}, {sb, sc});
    QVERIFY(rig.connect(sc) > 0);
    QCOMPARE(rig.controller.backHistory(), QStringList({sa}));
    QCOMPARE(rig.controller.forwardHistory(), QStringList({sb}));
    // The previous server goes on the back history once.
    QVERIFY(rig.connect(sa) > 0);
    QCOMPARE(rig.controller.backHistory(), QStringList({sa, sc}));

    // Previous takes the newest back entry and leaves the current server for Next; Next mirrors it.
    QVERIFY(rig.finish([&] { rig.controller.connectPrevious(); }) > 0);
    QCOMPARE(rig.controller.serverText(), sc);
    QCOMPARE(rig.controller.backHistory(), QStringList({sa}));
    QCOMPARE(rig.controller.forwardHistory(), QStringList({sa}));
    QVERIFY(rig.finish([&] { rig.controller.connectNext(); }) > 0);
    QCOMPARE(rig.controller.serverText(), sa);
    QCOMPARE(rig.controller.backHistory(), QStringList({sa, sc}));
    QVERIFY(rig.controller.forwardHistory().isEmpty());
    rig.controller.connectNext(); // empty history: nothing happens
    QVERIFY(!rig.controller.isConnecting());
    QCOMPARE(rig.controller.serverText(), sa);
}

void TestController::runningQueryQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("No keeps the query") << int(A::No);
    QTest::newRow("Yes abandons it") << int(A::Yes);
}

void TestController::runningQueryQuestion()
{
    QFETCH(int, answer);
    TestInstance a, b;
    QVERIFY(a.start() && b.start());
    Rig rig;
    QVERIFY(rig.connect(rig.sym(a)) > 0);
    const int handle = rig.session.handle();
    rig.query.running = true;
    rig.prompter.expect("Query is still running!\nDo you want to abort it and connect to another server?", "Tovo",
                        B::YesNo, Ic::Warning, A(answer), A::No);
    const int result = rig.connect(rig.sym(b));
    QCOMPARE(rig.prompter.pending(), 0);
    if (answer == int(A::No)) {
        QCOMPARE(result, 0);
        QCOMPARE(rig.query.abandoned, 0);
        QCOMPARE(rig.session.handle(), handle);
        QCOMPARE(rig.controller.serverText(), rig.sym(a));
        return;
    }
    QVERIFY(result > 0);
    QCOMPARE(rig.query.abandoned, 1);
    QCOMPARE(rig.controller.serverText(), rig.sym(b));
    QCOMPARE(rig.controller.backHistory(), QStringList({rig.sym(a)}));
}

void TestController::criticalMarking_data()
{
    QTest::addColumn<QString>("masks");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("critical");
    QTest::newRow("no masks") << "" << "prod" << false;
    QTest::newRow("server text") << "127.0.0" << "" << true;
    QTest::newRow("title") << "x;PROD" << "Tovo - PROD desk" << true;
    QTest::newRow("case-sensitive") << "prod" << "Tovo - PROD desk" << false;
    QTest::newRow("empty entries ignored") << ";;" << "anything" << false;
}

void TestController::criticalMarking()
{
    QFETCH(QString, masks);
    QFETCH(QString, title);
    QFETCH(bool, critical);
    TestInstance inst;
    QVERIFY(inst.start());
    Rig rig;
    rig.editor.CriticalMasks = masks;
    rig.controller.setWindowTitle(title);
    QVERIFY(rig.connect(rig.sym(inst)) > 0);
    QCOMPARE(rig.critical.last(), critical);
    rig.controller.setWindowTitle(QString());
    rig.controller.disconnectServer();
    QCOMPARE(rig.critical.last(), false);
}

void TestController::tlsCommand()
{
    TestInstance inst;
    QVERIFY(inst.start());
    Rig rig;
    QVERIFY(rig.connect(rig.sym(inst)) > 0);
    const QString question = "You are currently connected to the instance.\nChanging TLS Mode only possible by "
                             "disconnecting and reconnecting with changed capability.\nAre you sure you want to do "
                             "that?";
    rig.prompter.expect(question, "Tovo", B::YesNo, Ic::Warning, A::No, A::No);
    rig.controller.toggleTls();
    QVERIFY(!rig.q.EnableTLS);

    // Yes: TLS on and a reconnect, which this plain instance does not speak:
    // the mismatch question, answered No; the flip is saved regardless.
    rig.prompter.expect(question, "Tovo", B::YesNo, Ic::Warning, A::Yes, A::No);
    // Turning TLS off would send the credentials in the clear: No is the default.
    rig.prompter.expect("This instance is not supporting TLS, do you want to turn off TLS and try re-connecting?",
                        "Tovo", B::YesNo, Ic::Warning, A::No, A::No);
    QCOMPARE(rig.finish([&] { rig.controller.toggleTls(); }), -1);
    QVERIFY(rig.q.EnableTLS);
    QCOMPARE(rig.store->readInt("EnableTLS", -1), 1);
    QCOMPARE(rig.session.handle(), -1);
    QCOMPARE(rig.prompter.asked().size(), 3);

    // Disconnected: no question; turning it off again.
    rig.controller.toggleTls();
    QVERIFY(!rig.q.EnableTLS);
    QCOMPARE(rig.store->readInt("EnableTLS", -1), 0);
}

void TestController::tlsCommandWithoutOpenSsl()
{
    Rig rig;
    rig.controller.openSslPresent = [] { return false; };
    QStringList urls;
    connect(&rig.controller, &ConnectionController::openUrlRequested, this, [&](const QString& u) { urls << u; });
    const QString text = "In order to use TLS you should have OpenSSL installed.\n Read https://code.kx.com/q/kb/ssl/ "
                         "for instructions.\nOpen instructions now?";
    rig.prompter.expect(text, "Tovo", B::YesNo, Ic::Warning, A::No);
    rig.prompter.expect(text, "Tovo", B::YesNo, Ic::Warning, A::Yes);
    rig.controller.toggleTls();
    QVERIFY(urls.isEmpty());
    rig.controller.toggleTls();
    QCOMPARE(urls, QStringList({"https://code.kx.com/q/kb/ssl/"}));
    QVERIFY(!rig.q.EnableTLS);
    QCOMPARE(rig.store->readInt("EnableTLS", -1), -1);
}

QTEST_GUILESS_MAIN(TestController)
#include "tst_controller.moc"

// The debugger session without a window, against the scripted instance
// playing the agent: the agent check and injection, the prefix rule,
// prepare, the step commands, breakpoints, a breakpoint hit, exceptions,
// the settings mirrored to the agent, the state query and its override, a
// server change and a lost connection; and the answer, state and listing
// readers on values made here.
#include "AgentSession.h"

#include "debugger/DebugAgent.h"
#include "debugger/DebugListing.h"
#include "debugger/DebugState.h"
#include "debugger/DebugTexts.h"

#include <QFile>
#include <QTemporaryDir>

using Answer = Prompter::Answer;
using Buttons = Prompter::Buttons;
using Icon = Prompter::Icon;

namespace {

const QString kState = QStringLiteral("{@[eval;parse x;");

QString injectQuestion()
{
    return QStringLiteral("Current instance (`:127.0.0.1:1) doesn't contain debugger.\nDo you want to inject it?\n\n"
                          "WARNING: Using debugger can lead to CRASHES and\nHIGH LOAD/SLOW RESPONSE\n\n"
                          "By selecting YES you are confirming that this is\nYOUR OWN DEVELOPER's INSTANCE!");
}

QString script(const QString& replaceAgentLine)
{
    QString s = QString::fromLatin1(kSession);
    return s.replace(QStringLiteral("agent: present"), replaceAgentLine);
}

} // namespace

class TestController : public QObject {
    Q_OBJECT
private slots:
    void agentCheck_data();
    void agentCheck();
    void prepareAndStep();
    void breakpointsFromTheListing();
    void runStopsAtBreakpoint();
    void exceptionsStopWithTheSignalMessage_data();
    void exceptionsStopWithTheSignalMessage();
    void settingsMirrorTheAgent();
    void stateQueryOverride();
    void serverChangeCloses();
    void lostConnection();
    void stackEntriesShowTheirFrames();
    void answers_data();
    void answers();
    void currentLine_data();
    void currentLine();
    void failingItemsStayInTheirPlace();
    void listing();
};

void TestController::agentCheck_data()
{
    QTest::addColumn<QString>("agentLine");
    QTest::addColumn<int>("answer"); // -1: no question
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("needsPreparing");
    QTest::addColumn<QStringList>("sent");
    const QString script = QStringLiteral("<script>");
    QTest::newRow("no agent, No") << "agent: absent" << int(Answer::No) << false << ".z.deb." << false
                                  << QStringList{"count .d", ".z.deb.a"};
    QTest::newRow("no agent, Yes") << "agent: absent" << int(Answer::Yes) << true << ".z.deb." << true
                                   << QStringList{"count .d", ".z.deb.a", script, ".z.deb.n"};
    QTest::newRow("agent there") << "agent: present" << -1 << true << ".z.deb." << true
                                 << QStringList{"count .d", ".z.deb.a", ".z.deb.n"};
    QTest::newRow("a .d namespace") << "agent: dotd" << -1 << true << ".d." << true << QStringList{"count .d", ".d.n"};
    QTest::newRow("prepared before") << "agent: present\nprepared: yes" << -1 << true << ".z.deb." << false
                                     << QStringList{"count .d", ".z.deb.a", ".z.deb.n"};
}

void TestController::agentCheck()
{
    QFETCH(QString, agentLine);
    QFETCH(int, answer);
    QFETCH(bool, opens);
    QFETCH(QString, prefix);
    QFETCH(bool, needsPreparing);
    QFETCH(QStringList, sent);
    AgentSession s;
    QVERIFY(s.start(script(agentLine).replace(QStringLiteral("prepared: no\n"), QString())));
    if (answer >= 0)
        s.prompter.expect(injectQuestion(), QStringLiteral("Tovo"), Buttons::YesNo, Icon::Warning, Answer(answer), Answer::No);
    QSignalSpy checked(s.controller.get(), &DebugController::agentChecked);
    s.controller->checkAgent(s.server);
    QVERIFY(checked.wait(10000) || checked.size() == 1);
    QCOMPARE(checked.first().first().toBool(), opens);
    QCOMPARE(s.prompter.pending(), 0);
    QCOMPARE(s.controller->prefix(), prefix);
    QCOMPARE(s.controller->needsPreparing(), needsPreparing);
    QStringList received = s.instance.receivedTexts();
    // The injection is the agent script, unchanged, as one query.
    for (QString& t : received)
        if (t == QString::fromUtf8(DebugAgent::script()))
            t = QStringLiteral("<script>");
    QCOMPARE(received, sent);
    QCOMPARE(s.agent.injections(), int(sent.contains(QStringLiteral("<script>"))));
}

void TestController::prepareAndStep()
{
    AgentSession s;
    QVERIFY(s.startChecked(QString::fromLatin1(kSession)));
    DebugController& c = *s.controller;
    s.instance.clearReceived();
    QSignalSpy status(&c, &DebugController::statusShown);
    QSignalSpy refreshed(&c, &DebugController::refreshed);

    c.prepare(QStringLiteral("f[1;2]"), false);
    QVERIFY(s.settle());
    QCOMPARE(c.history(), QStringList{"f[1;2]"});
    QCOMPARE(s.agent.preparedCall(), QStringLiteral("f[1;2]"));
    // Then the listing of the entry point, the function the agent is in.
    QCOMPARE(s.commands(), (QStringList{".z.deb.i[{f[1;2]};()]", ".z.deb.na:0b", ".z.deb.pf[{\"Entry point\"}]"}));
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.first().first().toString(), QStringLiteral("Top of the stack: \nCurrent line: 0: \"Entry point\""));
    QCOMPARE(refreshed.size(), 1);
    // Prepared: before the first instruction of the entry program.
    QCOMPARE(c.state().currentLine, 0);
    QCOMPARE(c.state().byteCode, QStringLiteral("0x0a010000"));
    QCOMPARE(c.state().byteSelection(), (std::pair<int, int>{2, 4}));

    struct Expect {
        DebugTexts::Step step;
        QString command, function, line, stackTop;
        QStringList variables;
    };
    const QList<Expect> steps = {
        {DebugTexts::Step::Into, ".z.deb.l[]", "f", "0:  c: g a+b", "f, line 0", {"a", "b"}},
        {DebugTexts::Step::Over, ".z.deb.next[]", "g", "0:  y: neg x", "g, line 0", {"x"}},
        {DebugTexts::Step::Single, ".z.deb.s[]", "g", "1:  y+1", "g, line 1", {"x", "y"}},
        {DebugTexts::Step::Out, ".z.deb.ef[]", "f", "1:  d: c*2", "f, line 1", {"a", "b", "c"}},
        {DebugTexts::Step::Into, ".z.deb.l[]", "f", "2:  d", "f, line 2", {"a", "b", "c", "d"}},
    };
    QStringList listings;
    for (const Expect& e : steps) {
        s.instance.clearReceived();
        status.clear();
        c.step(e.step);
        QVERIFY(s.settle());
        QCOMPARE(s.commands().value(0), e.command);
        QVERIFY2(status.size() == 1 && status.first().first().toString().endsWith(QStringLiteral("Current line: ") + e.line.left(1)
                     + QStringLiteral(": ") + e.line.mid(e.line.indexOf(u' ') + 1).trimmed()),
                 qPrintable(status.value(0).value(0).toString()));
        QCOMPARE(c.functionName(), e.function);
        QVERIFY(c.listing().running());
        QCOMPARE(c.listing().lines().value(c.listing().currentLine()), e.line);
        QStringList names;
        for (const DebugVariable& v : c.variables())
            if (!v.internal)
                names << v.name;
        QCOMPARE(names, e.variables);
        QCOMPARE(c.nameOf(c.state().stack.last().function), e.function);
        for (const QString& t : s.commands())
            if (t.startsWith(QLatin1String(".z.deb.pf[")))
                listings << t;
    }
    // A listing is asked for only when the function changes.
    QCOMPARE(listings, (QStringList{".z.deb.pf[f]", ".z.deb.pf[g]", ".z.deb.pf[f]"}));

    // The last step ends the run: the result is answered.
    status.clear();
    c.step(DebugTexts::Step::Into);
    QVERIFY(s.settle());
    QCOMPARE(status.first().first().toString(), QStringLiteral("-4j"));
    status.clear();
    c.step(DebugTexts::Step::Into);
    QVERIFY(s.settle());
    QCOMPARE(status.first().first().toString(), QStringLiteral("Not running"));

    // An empty call joins the history but is not sent.
    s.instance.clearReceived();
    c.prepare(QStringLiteral("  "), false);
    QVERIFY(s.settle());
    QVERIFY(s.instance.receivedTexts().isEmpty());
    QCOMPARE(c.history(), (QStringList{"  ", "f[1;2]"}));
}

void TestController::breakpointsFromTheListing()
{
    AgentSession s;
    QVERIFY(s.startChecked(QString::fromLatin1(kSession)));
    DebugController& c = *s.controller;
    c.prepare(QStringLiteral("f[1;2]"), false);
    c.step(DebugTexts::Step::Into);
    QVERIFY(s.settle());
    QCOMPARE(c.functionName(), QStringLiteral("f"));
    // F9 with the caret inside line 2 of the listing, then again.
    const int caret = c.listing().lineStarts().value(2) + 3;
    s.instance.clearReceived();
    c.toggleBreakpoint(caret);
    QVERIFY(s.settle());
    QCOMPARE(s.commands().value(0), QStringLiteral(".z.deb.ba[f;2]"));
    QCOMPARE(s.agent.breakpoints(QStringLiteral("f")), QSet<int>{2});
    QCOMPARE(c.breakpointItems(), QStringList{"f, line 2"});
    QCOMPARE(c.listing().breakpointLines(), QList<int>{2});
    QCOMPARE(c.listing().lines().value(2), QStringLiteral("2:* d"));

    s.instance.clearReceived();
    c.toggleBreakpoint(caret);
    QVERIFY(s.settle());
    QCOMPARE(s.commands().value(0), QStringLiteral(".z.deb.bd[f;2]"));
    QVERIFY(s.agent.breakpoints(QStringLiteral("f")).isEmpty());
    QVERIFY(c.breakpointItems().isEmpty());
    QVERIFY(c.listing().breakpointLines().isEmpty());

    // Remove from the list's menu, and Delete All.
    c.toggleBreakpoint(c.listing().lineStarts().value(1));
    c.toggleBreakpoint(c.listing().lineStarts().value(2));
    QVERIFY(s.settle());
    QCOMPARE(c.breakpointItems(), (QStringList{"f, line 1", "f, line 2"}));
    s.instance.clearReceived();
    c.removeBreakpoint(QStringLiteral("f, line 1"));
    QVERIFY(s.settle());
    QCOMPARE(s.commands().value(0), QStringLiteral(".z.deb.bd[f;1]"));
    QCOMPARE(c.breakpointItems(), QStringList{"f, line 2"});
    c.deleteAllBreakpoints();
    QVERIFY(s.settle());
    QVERIFY(c.breakpointItems().isEmpty());
    QVERIFY(s.agent.breakpoints(QStringLiteral("f")).isEmpty());
}

void TestController::runStopsAtBreakpoint()
{
    AgentSession s;
    QVERIFY(s.startChecked(QString::fromLatin1(kSession)));
    DebugController& c = *s.controller;
    c.prepare(QStringLiteral("f[1;2]"), false);
    c.step(DebugTexts::Step::Into);
    QVERIFY(s.settle());
    c.toggleBreakpoint(c.listing().lineStarts().value(1));
    QVERIFY(s.settle());
    QSignalSpy status(&c, &DebugController::statusShown);
    c.step(DebugTexts::Step::Run);
    QVERIFY(s.settle());
    const QString text = status.first().first().toString();
    QVERIFY2(text.startsWith(QStringLiteral("Breakpoint\nTop of the stack: ")) && text.endsWith(QStringLiteral("Current line: 1: d: c*2")),
             qPrintable(text));
    QCOMPARE(c.functionName(), QStringLiteral("f"));
    QCOMPARE(c.listing().currentLine(), 1);
    QCOMPARE(c.listing().breakpointLines(), QList<int>{1});
    // Continuing again runs to the end.
    status.clear();
    c.step(DebugTexts::Step::Run);
    QVERIFY(s.settle());
    QCOMPARE(status.first().first().toString(), QStringLiteral("-4j"));
}

void TestController::exceptionsStopWithTheSignalMessage_data()
{
    QTest::addColumn<QString>("exception");
    QTest::newRow("signal") << "Unary neg has failed with arg `a): type";
    QTest::newRow("timeout") << "Debugger internal timeout, current value .z.deb.timeout:00:05:00";
}

void TestController::exceptionsStopWithTheSignalMessage()
{
    QFETCH(QString, exception);
    AgentSession s;
    QString text = QString::fromLatin1(kSession);
    text.replace(QStringLiteral("step: g 1"), QStringLiteral("exception: ") + exception + QStringLiteral("\nstep: g 1"));
    QVERIFY(s.startChecked(text));
    DebugController& c = *s.controller;
    c.prepare(QStringLiteral("f[1;2]"), false);
    c.step(DebugTexts::Step::Into);
    QVERIFY(s.settle());
    const QString shown = QStringLiteral("Exception: %1\nTop of the stack: \n.z.deb.st[0]: Fn call, line: 0: c: g a+b\n"
                                         "Current line: 0: y: neg x").arg(exception);
    s.prompter.expectInform(QStringLiteral("Execution stopped on Q Signal:\n") + shown, Icon::Warning);
    QSignalSpy status(&c, &DebugController::statusShown);
    c.step(DebugTexts::Step::Run);
    QVERIFY(s.settle());
    QCOMPARE(s.prompter.pending(), 0);
    QCOMPARE(status.first().first().toString(), shown);
    QVERIFY(status.first().at(1).toBool());
    QCOMPARE(c.functionName(), QStringLiteral("g"));
}

void TestController::settingsMirrorTheAgent()
{
    AgentSession s;
    QVERIFY(s.startChecked(QString::fromLatin1(kSession)));
    DebugController& c = *s.controller;
    s.instance.clearReceived();
    c.setHandledSignals(5);
    c.setTimeout(60);
    c.setNative(true);
    c.refresh();
    QVERIFY(s.settle());
    QCOMPARE(s.commands(), (QStringList{".z.deb.e:5", ".z.deb.timeout:`second$60", ".z.deb.na:1b"}));
    QCOMPARE(s.agent.handledSignals(), 5);
    QCOMPARE(s.agent.timeoutSec(), 60);
    QVERIFY(s.agent.native());
    QCOMPARE(c.state().handledSignals, 5);
    QCOMPARE(c.state().timeoutSec, 60);
    QCOMPARE(c.state().native, 1);
}

void TestController::stateQueryOverride()
{
    QTemporaryDir home;
    AgentSession s;
    s.home = home.path();
    QVERIFY(s.startChecked(script(QStringLiteral("agent: dotd"))));
    DebugController& c = *s.controller;

    // Without the file: the ten expressions, with the prefix in place of .z.deb.
    s.instance.clearReceived();
    c.refresh();
    QVERIFY(s.settle());
    const QString sent = s.instance.receivedTexts().value(0);
    QCOMPARE(sent, DebugTexts::stateQuery(QStringLiteral(".d.")));
    QVERIFY(sent.startsWith(QStringLiteral("{@[eval;parse x; {\"ERROR: '\",x}]}each(\"{$[4<>type @[-8!;x;`l];\\\"locked\\\";x]}each .d.a`.f\";")));
    QVERIFY(!sent.contains(QStringLiteral(".z.deb.")));
    QCOMPARE(sent.count(QStringLiteral("\";\"")), 9);

    // With it: its lines joined, .z.deb. replaced as well.
    QFile f(home.filePath(QStringLiteral("debug.txt")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("{@[eval;parse x;{x}]}each(\".z.deb.pl[]\";\r\n\".z.deb.n\")\n");
    f.close();
    s.instance.clearReceived();
    c.refresh();
    QVERIFY(s.settle());
    QCOMPARE(s.instance.receivedTexts().value(0), QStringLiteral("{@[eval;parse x;{x}]}each(\".d.pl[]\";\".d.n\")"));
}

void TestController::serverChangeCloses()
{
    AgentSession s;
    QVERIFY(s.startChecked(QString::fromLatin1(kSession)));
    DebugController& c = *s.controller;
    s.currentServer = QStringLiteral("`:127.0.0.1:2");
    s.prompter.expectInform(QStringLiteral("Tovo connection has changed, Debugger will now close."), Icon::Warning);
    QSignalSpy changed(&c, &DebugController::serverChanged);
    QSignalSpy refreshed(&c, &DebugController::refreshed);
    c.refresh();
    QVERIFY(s.settle());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(refreshed.size(), 0);
    QCOMPARE(s.handle->load(), -1);
    QCOMPARE(s.prompter.pending(), 0);
}

void TestController::lostConnection()
{
    AgentSession s;
    QVERIFY(s.startChecked(QString::fromLatin1(kSession)));
    DebugController& c = *s.controller;
    s.instance.dropClients();
    s.prompter.expectInform(QStringLiteral("Connection to Q instance is lost. Please close debugger and reconnect."),
                            Icon::Warning, QStringLiteral("Q Debugger"));
    QSignalSpy lost(&c, &DebugController::connectionLost);
    c.step(DebugTexts::Step::Into);
    QVERIFY(s.settle());
    QCOMPARE(lost.size(), 1);
    QCOMPARE(s.handle->load(), -1);
    // A refresh on the closed session says the same without sending.
    s.prompter.expectInform(QStringLiteral("Connection to Q instance is lost. Please close debugger and reconnect."),
                            Icon::Warning, QStringLiteral("Q Debugger"));
    c.refresh();
    QCOMPARE(lost.size(), 2);
    QCOMPARE(s.prompter.pending(), 0);
}

void TestController::stackEntriesShowTheirFrames()
{
    AgentSession s;
    QVERIFY(s.startChecked(QString::fromLatin1(kSession)));
    DebugController& c = *s.controller;
    c.prepare(QStringLiteral("f[1;2]"), false);
    c.step(DebugTexts::Step::Into);
    c.step(DebugTexts::Step::Into);
    QVERIFY(s.settle());
    // The printed stack first, then f's call record, then the current frame in g.
    const QList<DebugStackEntry>& stack = c.state().stack;
    QCOMPARE(stack.size(), 3);
    QCOMPARE(stack[0].kind, DebugStackEntry::Printed);
    QCOMPARE(stack[0].text, QStringLiteral("Top of the stack: \n.z.deb.st[0]: Fn call, line: 0: c: g a+b"));
    QCOMPARE(stack[1].kind, DebugStackEntry::Call);
    QCOMPARE(c.nameOf(stack[1].function), QStringLiteral("f"));
    QCOMPARE(stack[1].line, 0);
    QCOMPARE(stack[1].stackIndex, 0);
    QVERIFY(stack[2].top);
    QCOMPARE(c.nameOf(stack[2].function), QStringLiteral("g"));

    c.selectStackEntry(1);
    QVERIFY(s.settle());
    QCOMPARE(c.functionName(), QStringLiteral("f"));
    QCOMPARE(c.listing().currentLine(), 0);
    QCOMPARE(c.variablesStackIndex(), 0);
    QVERIFY(c.variables().isEmpty());
    c.selectStackEntry(2);
    QVERIFY(s.settle());
    QCOMPARE(c.functionName(), QStringLiteral("g"));
    QCOMPARE(c.variablesStackIndex(), -1);
    QCOMPARE(c.variables().value(0).name, QStringLiteral("x"));
    QCOMPARE(c.variables().value(0).value, QStringLiteral("3j"));
    QCOMPARE(DebugTexts::variable(c.prefix(), QStringLiteral("x"), -1), QStringLiteral(".z.deb.a`x"));
    QCOMPARE(DebugTexts::variable(c.prefix(), QStringLiteral("a"), 0), QStringLiteral(".z.deb.st[0][3]`a"));
    QCOMPARE(DebugTexts::stackValue(c.prefix(), 4, false), QStringLiteral(".z.deb.st[4]"));
}

void TestController::answers_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("exception");
    QTest::newRow("none") << "null" << "Query returned NULL" << false;
    QTest::newRow("quoted text") << "abc" << "abc" << false;
    QTest::newRow("an empty text keeps its quotes") << "" << "\"\"" << false;
    QTest::newRow("a symbol") << "`abc" << "`abc" << false;
    QTest::newRow("lines") << "lines" << "Exception: boom\nCurrent line: 1: x" << true;
    QTest::newRow("exception text") << "Exception: type" << "Exception: type" << true;
}

void TestController::answers()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, exception);
    KPtr x;
    if (kind.startsWith(u'`'))
        x = KPtr(ks(kind.mid(1).toUtf8().constData()));
    else if (kind == QLatin1String("lines"))
        x = KPtr(knk(2, kp("Exception: boom"), kp("Current line: 1: x")));
    else if (kind != QLatin1String("null"))
        x = KPtr(kp(kind.toUtf8().constData()));
    KRender r;
    const DebugAnswer a = DebugAnswer::from(x.get(), [&](K v) { return r.render(v); });
    QCOMPARE(a.text, text);
    QCOMPARE(a.exception, exception);
}

void TestController::currentLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::newRow("statement") << "Current line: 3: y: neg x" << 3;
    QTest::newRow("colon in the text") << "Current line: 12: a:b:c" << 12;
    QTest::newRow("not running") << "Not running" << -1;
    QTest::newRow("no number") << "Current line: : x" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestController::currentLine()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QCOMPARE(DebugStateParser::currentLine(text), line);
}

void TestController::failingItemsStayInTheirPlace()
{
    // Items 5 and 6 failed; the others are read as usual.
    K items = ktn(0, 10);
    kK(items)[0] = kp("locked");
    kK(items)[1] = knk(1, knk(1, kp("Top of the stack: ")));
    kK(items)[2] = xD(ktn(0, 0), ktn(0, 0));
    kK(items)[3] = xD(ktn(KS, 0), ktn(0, 0));
    kK(items)[4] = kp("Current line: 2: z");
    kK(items)[5] = kp("ERROR: 'c");
    kK(items)[6] = kp("ERROR: 'n");
    kK(items)[7] = kj(3);
    kK(items)[8] = ki(120);
    kK(items)[9] = kb(1);
    KPtr reply(items);
    KRender r;
    DebugState st;
    QVERIFY(DebugStateParser::parse(reply.get(), [&](K v) { return r.render(v); }, st));
    QCOMPARE(st.function, QStringLiteral("locked"));
    QVERIFY(!st.functionKnown);
    QCOMPARE(st.currentLine, 2);
    QCOMPARE(st.itemErrors.value(5), QStringLiteral("ERROR: 'c"));
    QCOMPARE(st.itemErrors.value(6), QStringLiteral("ERROR: 'n"));
    QVERIFY(st.byteCode.isEmpty());
    QCOMPARE(st.byteSelection(), (std::pair<int, int>{-1, -1}));
    QCOMPARE(st.handledSignals, 3);
    QCOMPARE(st.timeoutSec, 120);
    QCOMPARE(st.native, 1);
    QCOMPARE(st.stack.size(), 1);
    // Anything but a ten-item list is no state.
    KPtr short9(ktn(0, 9));
    for (int i = 0; i < 9; ++i)
        kK(short9.get())[i] = kj(i);
    QVERIFY(!DebugStateParser::parse(short9.get(), [&](K v) { return r.render(v); }, st));
    QVERIFY(!DebugStateParser::parse(nullptr, [&](K v) { return r.render(v); }, st));
}

void TestController::listing()
{
    const QStringList answer{"Top of the stack: ", "0:  a: x+1", "1:* if[a>0;", "2:    b: 2]", "3:  b"};
    DebugListing l = DebugListing::fromAnswer(answer, 2);
    QVERIFY(l.running());
    QCOMPARE(l.lines().size(), 4);
    QCOMPARE(l.lines().first(), QStringLiteral("0:  a: x+1"));
    QCOMPARE(l.statements(), (QList<int>{0, 1, 2, 3}));
    QCOMPARE(l.breakpointLines(), QList<int>{1});
    QCOMPARE(l.currentLine(), 2);
    QCOMPARE(l.lineStarts(), (QList<int>{0, 11, 23, 35}));
    // The caret's line: the last line starting at or before it.
    QCOMPARE(l.lineAt(0), 0);
    QCOMPARE(l.lineAt(10), 0);
    QCOMPARE(l.lineAt(11), 1);
    QCOMPARE(l.lineAt(1000), 3);
    l.setCurrentStatement(7);
    QCOMPARE(l.currentLine(), -1);

    const DebugListing idle = DebugListing::fromAnswer({"Not running"}, 0);
    QVERIFY(!idle.running());
    QCOMPARE(idle.text(), QStringLiteral("Not running"));
    QCOMPARE(idle.currentLine(), -1);
    QVERIFY(idle.breakpointLines().isEmpty());
}

QTEST_GUILESS_MAIN(TestController)
#include "tst_controller.moc"

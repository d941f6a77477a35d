// The debugger through the real window: "Debugger..." on an instance without
// the agent asks before injecting (No leaves the instance untouched and no
// window), Yes injects the script and opens the window on the editor's
// selection, which is prepared and stepped; "Switch to in Debugger" and a
// change of the main window's server.
#include "AgentSession.h"
#include "WindowOnInstance.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "debugger/DebugAgent.h"
#include "debugger/widgets/CDlgDebug.h"
#include "editor/CTovoView.h"
#include "watch/CWatchBar.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

CDlgDebug* debuggerWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<CDlgDebug*>(w))
            return d;
    return nullptr;
}

QString question(const QString& server)
{
    return QStringLiteral("Current instance (%1) doesn't contain debugger.\nDo you want to inject it?\n\n"
                          "WARNING: Using debugger can lead to CRASHES and\nHIGH LOAD/SLOW RESPONSE\n\n"
                          "By selecting YES you are confirming that this is\nYOUR OWN DEVELOPER's INSTANCE!")
        .arg(server);
}

struct App {
    InstanceDebugAgent agent; // outlives the instance whose threads call it
    TestInstance instance;
    WindowOnInstance window;
    ScriptedPrompter& prompter = window.prompter();
    CMainFrame* frame = nullptr;

    bool start()
    {
        QString script = QString::fromLatin1(kSession);
        script.replace(QStringLiteral("agent: present"), QStringLiteral("agent: absent"));
        if (!agent.applyScript(script))
            return false;
        agent.install(instance);
        if (!instance.start())
            return false;
        if (!window.start(instance.port()))
            return false;
        frame = window.frame();
        return true;
    }
    void select(const QString& text)
    {
        CChildFrame* child = frame->activeDocument() ? frame->activeDocument() : frame->newDocument();
        auto* view = qobject_cast<CTovoView*>(child->view());
        view->setText(text);
        view->selectAll();
    }
    int scriptsReceived() const
    {
        return int(instance.receivedTexts().count(QString::fromUtf8(DebugAgent::script())));
    }
};

} // namespace

class TestDebugger : public QObject {
    Q_OBJECT
private slots:
    void noLeavesTheInstanceAlone();
    void opensPreparesAndSteps();
};

void TestDebugger::noLeavesTheInstanceAlone()
{
    App a;
    QVERIFY(a.start());
    QTRY_VERIFY_WITH_TIMEOUT(!a.frame->serverText().isEmpty(), 10000);
    QAction* debugger = a.frame->action(cmd::Debugger);
    QTRY_VERIFY(debugger->isEnabled());
    a.select(QStringLiteral("f[1;2]"));
    a.prompter.expect(question(a.frame->serverText()), QStringLiteral("Tovo"), Prompter::Buttons::YesNo,
                      Prompter::Icon::Warning, Prompter::Answer::No, Prompter::Answer::No);
    debugger->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(a.prompter.pending(), 0, 10000);
    QTest::qWait(100);
    QVERIFY(!debuggerWindow());
    QCOMPARE(a.scriptsReceived(), 0);
    QCOMPARE(a.agent.injections(), 0);
}

void TestDebugger::opensPreparesAndSteps()
{
    App a;
    QVERIFY(a.start());
    QTRY_VERIFY_WITH_TIMEOUT(!a.frame->serverText().isEmpty(), 10000);
    a.select(QStringLiteral("  f[1;2]\n"));
    a.prompter.expect(question(a.frame->serverText()), QStringLiteral("Tovo"), Prompter::Buttons::YesNo,
                      Prompter::Icon::Warning, Prompter::Answer::Yes, Prompter::Answer::No);
    QTRY_VERIFY(a.frame->action(cmd::Debugger)->isEnabled());
    a.frame->action(cmd::Debugger)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(debuggerWindow() && debuggerWindow()->isVisible(), 10000);
    CDlgDebug* d = debuggerWindow();
    // Injected once, byte for byte, then prepared on the trimmed selection.
    QCOMPARE(a.scriptsReceived(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(a.agent.preparedCall(), QStringLiteral("f[1;2]"), 10000);
    QTRY_COMPARE(d->instruction()->text(), QStringLiteral("0x0a010000"));

    // A shown watch pane is evaluated again after every step.
    a.frame->show();
    QDockWidget* watchDock = a.frame->pane(CMainFrame::Watch);
    watchDock->show();
    auto* watches = a.frame->findChild<CWatchBar*>();
    QVERIFY(watches);
    watches->addExpression(QStringLiteral("tovoWatchProbe"));
    const auto watchQueries = [&a] {
        int n = 0;
        for (const QString& text : a.instance.receivedTexts())
            n += text.contains(QStringLiteral("tovoWatchProbe")) ? 1 : 0;
        return n;
    };
    QTest::qWait(200); // an evaluation of the new watch, when the settings ask for one, comes first
    const int beforeSteps = watchQueries();

    // Two steps into f and g: the current line is marked in g's listing.
    QTest::keyClick(d->source(), Qt::Key_F11);
    QTRY_COMPARE_WITH_TIMEOUT(d->source()->text(), QStringLiteral("0:  c: g a+b\n1:  d: c*2\n2:  d"), 10000);
    QTest::keyClick(d->source(), Qt::Key_F11);
    QTRY_COMPARE_WITH_TIMEOUT(d->source()->text(), QStringLiteral("0:  y: neg x\n1:  y+1"), 10000);
    QTRY_VERIFY(d->isCurrentLine(0));
    QCOMPARE(d->stackList()->topLevelItemCount(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(watchQueries() > beforeSteps, 10000);
    if (const QString shots = qEnvironmentVariable("TOVO_SHOTS"); !shots.isEmpty())
        d->grab().save(shots + QStringLiteral("/debugger-app.png"));

    // The window's server changes: Refresh All closes the debugger.
    a.prompter.expectInform(QStringLiteral("Tovo connection has changed, Debugger will now close."),
                            Prompter::Icon::Warning);
    a.frame->action(cmd::Connected)->trigger(); // disconnects
    QTRY_VERIFY_WITH_TIMEOUT(a.frame->serverText().isEmpty(), 10000);
    for (QPushButton* b : d->findChildren<QPushButton*>())
        if (b->text() == QLatin1String("Refresh All"))
            b->click();
    QTRY_COMPARE_WITH_TIMEOUT(a.prompter.pending(), 0, 10000);
    QTRY_VERIFY(!d->isVisible());
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestDebugger t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_debugger.moc"

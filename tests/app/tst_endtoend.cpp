// The whole loop through the real widgets: start with --server, type a query in
// a new document, run it with Ctrl+Enter, read the console and status bar.
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "app/CChildFrame.h"
#include "app/CConnectComboButton.h"
#include "app/CDocumentArea.h"
#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CQueryLink.h"
#include "app/CommandIds.h"
#include "connect/ConnectionController.h"
#include "editor/CDlgFind.h"
#include "editor/CFindReplace.h"
#include "editor/CQLexer.h"
#include "editor/CTovoView.h"
#include "explorer/panes/CClassView.h"
#include "query/QueryLog.h"
#include "results/COutputWnd.h"
#include "results/grid/COutputTable.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QDockWidget>
#include <QTest>
#include <QTimer>

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void queryRunsAndShowsInConsole();
    void errorReplyTurnsRoundtripRed();
    void disconnectChangesTitle();
    void queriesLoggedAndNothingSentWithoutSession();
    void criticalServerMarksViews();
    void documentsKeepTheirServers();
    void findCommandsActOnTheActiveView();
    void ctrlJSizesTheGridFromTheEditor();
    void activeServerKeptForNextStart();

private:
    void type(const QString& text);

    std::unique_ptr<TestInstance> m_instance;
    std::unique_ptr<TempHome> m_home;
    ScriptedPrompter m_prompter;
    std::unique_ptr<CTovoApp> m_app;
    QString m_server;
};

void TestEndToEnd::init()
{
    m_instance = std::make_unique<TestInstance>();
    K three = ktn(KJ, 3);
    for (J i = 0; i < 3; ++i)
        kJ(three)[i] = i;
    m_instance->on(QStringLiteral("til 3"), three);
    m_instance->onError(QStringLiteral("1+`a"), QStringLiteral("type"));
    QVERIFY(m_instance->start());
    m_home = std::make_unique<TempHome>();
    m_server = QStringLiteral("127.0.0.1:%1").arg(m_instance->port());
    m_app = std::make_unique<CTovoApp>(
        CommandLine(QStringLiteral("--homedir:%1 --server:%2").arg(m_home->path(), m_server)), m_prompter,
        m_home->store());
    QVERIFY(m_app->initInstance());
    // The connect of --server runs off the window's thread.
    QTRY_VERIFY_WITH_TIMEOUT(m_app->mainFrame()->serverText().endsWith(m_server), 10000);
    m_app->mainFrame()->onTimer();
}

void TestEndToEnd::cleanup()
{
    m_app.reset();
    m_instance.reset();
    m_home.reset();
}

void TestEndToEnd::type(const QString& text)
{
    CChildFrame* child = m_app->mainFrame()->newDocument();
    auto* view = qobject_cast<QsciScintilla*>(child->view());
    QVERIFY(view);
    m_app->mainFrame()->show();
    m_app->mainFrame()->activateWindow();
    // Ctrl+Enter is the window's shortcut: it needs the window active.
    QVERIFY(QTest::qWaitForWindowActive(m_app->mainFrame()));
    view->setFocus();
    QTest::keyClicks(view, text);
    QCOMPARE(view->text(), text);
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
}

void TestEndToEnd::queryRunsAndShowsInConsole()
{
    QVERIFY(m_app->mainFrame()->serverText().endsWith(m_server));
    QVERIFY(m_app->mainFrame()->windowTitle().endsWith(QStringLiteral("Tovo - ") + m_server));
    type(QStringLiteral("til 3"));
    COutputWnd* out = m_app->mainFrame()->outputWnd();
    QTRY_VERIFY_WITH_TIMEOUT(out->consoleText().contains(QStringLiteral("0j, 1j, 2j")), 5000);
    const QString console = out->consoleText();
    const qsizetype echo = console.indexOf(QStringLiteral("q) til 3"));
    const qsizetype roundtrip = console.indexOf(QStringLiteral("(Roundtrip: "));
    QVERIFY2(echo >= 0 && roundtrip > echo, qPrintable(console));
    QVERIFY(console.indexOf(QStringLiteral("0j, 1j, 2j")) > roundtrip);
    QVERIFY(!m_app->mainFrame()->frameStatusBar()->paneColor(CFrameStatusBar::Progress).isValid());
}

void TestEndToEnd::errorReplyTurnsRoundtripRed()
{
    type(QStringLiteral("1+`a"));
    COutputWnd* out = m_app->mainFrame()->outputWnd();
    QTRY_VERIFY_WITH_TIMEOUT(out->consoleText().contains(QStringLiteral("ERROR: 'type")), 5000);
    QCOMPARE(m_app->mainFrame()->frameStatusBar()->paneColor(CFrameStatusBar::Progress), QColor(Qt::red));
}

void TestEndToEnd::disconnectChangesTitle()
{
    QVERIFY(m_app->mainFrame()->windowTitle().contains(m_server));
    m_app->mainFrame()->action(cmd::Connected)->trigger();
    QVERIFY(m_app->mainFrame()->serverText().isEmpty());
    // The title follows on the frame timer's next tick, which comes every 500 ms.
    auto* timer = m_app->mainFrame()->findChild<QTimer*>(QStringLiteral("frameTimer"));
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 500);
    QSignalSpy tick(timer, &QTimer::timeout);
    QVERIFY(tick.wait(5000));
    QVERIFY(m_app->mainFrame()->windowTitle().endsWith(QStringLiteral(" - Tovo")));
    QCOMPARE(m_app->mainFrame()->action(cmd::Connected)->text(), QStringLiteral("Connect"));

    // "Connect to previous" goes back to the server just left.
    QVERIFY(!m_app->mainFrame()->action(cmd::ConnectNext)->isEnabled());
    QVERIFY(m_app->mainFrame()->action(cmd::ConnectPrevious)->isEnabled());
    m_app->mainFrame()->action(cmd::ConnectPrevious)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(m_app->mainFrame()->serverText().endsWith(m_server), 10000);
    QCOMPARE(m_app->mainFrame()->action(cmd::Connected)->text(), QStringLiteral("Disconnect"));
    QVERIFY(!m_app->mainFrame()->action(cmd::ConnectPrevious)->isEnabled());
}

void TestEndToEnd::queriesLoggedAndNothingSentWithoutSession()
{
    type(QStringLiteral("til 3"));
    COutputWnd* out = m_app->mainFrame()->outputWnd();
    QTRY_VERIFY_WITH_TIMEOUT(out->consoleText().contains(QStringLiteral("0j, 1j, 2j")), 5000);
    QFile log(m_home->filePath(QueryLog::fileName(QDate::currentDate())));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString logged = QString::fromUtf8(log.readAll());
    const QString title = m_app->mainFrame()->activeDocument()->title().remove(u'*');
    QVERIFY2(logged.contains(m_server) && logged.contains(title) && logged.contains(QStringLiteral("til 3")),
             qPrintable(logged));

    // Disconnected, Ctrl+Enter sends nothing and logs nothing; it says why
    // and the quick-connect box takes the focus.
    m_app->mainFrame()->action(cmd::Connected)->trigger();
    const QString before = out->consoleText();
    const qint64 logSize = log.size();
    const int received = m_instance->received().size();
    type(QStringLiteral("til 3"));
    QCOMPARE(m_app->mainFrame()->frameStatusBar()->paneText(CFrameStatusBar::Message),
             QStringLiteral("Not connected: connect to a server first"));
    QTRY_VERIFY(m_app->mainFrame()->connectBox()->isAncestorOf(QApplication::focusWidget())
                || QApplication::focusWidget() == m_app->mainFrame()->connectBox());
    QCOMPARE(out->consoleText(), before);
    QVERIFY(m_app->mainFrame()->runningQuery().isEmpty());
    QVERIFY(!m_app->mainFrame()->frameStatusBar()->isBusy());
    QCOMPARE(QFileInfo(log.fileName()).size(), logSize);
    QCOMPARE(m_instance->received().size(), received);
}

void TestEndToEnd::criticalServerMarksViews()
{
    CMainFrame* frame = m_app->mainFrame();
    CChildFrame* child = frame->newDocument();
    auto* view = qobject_cast<CTovoView*>(child->view());
    QVERIFY(view);
    const QColor normal = view->lexer().paper(0);
    const QColor critical(255, 200, 200); // CriticalBackground's default
    QVERIFY(normal != critical);

    frame->editorSettings().CriticalMasks = QStringLiteral("nothing;127.0.0");
    m_app->queryLink()->controller().updateCriticalMarking();
    QCOMPARE(view->lexer().paper(0), critical);
    // A document opened while connected to a critical instance starts marked.
    auto* later = qobject_cast<CTovoView*>(frame->newDocument()->view());
    QCOMPARE(later->lexer().paper(0), critical);

    // Disconnecting clears the marking once the title no longer names the server.
    frame->action(cmd::Connected)->trigger();
    frame->onTimer();
    QCOMPARE(view->lexer().paper(0), normal);
    QCOMPARE(later->lexer().paper(0), normal);
}

void TestEndToEnd::documentsKeepTheirServers()
{
    TestInstance second;
    QVERIFY(second.start());
    const QString other = QStringLiteral("`:127.0.0.1:%1").arg(second.port());
    CMainFrame* frame = m_app->mainFrame();
    frame->editorSettings().SwitchConnections = true;
    ConnectionController& controller = m_app->queryLink()->controller();
    const QString first = controller.serverText();

    // A new document takes the current server; connecting from it makes the other its own.
    CChildFrame* a = frame->activeDocument();
    CChildFrame* b = frame->newDocument();
    auto server = [](CChildFrame* child) { return qobject_cast<CTovoView*>(child->view())->serverText(); };
    QCOMPARE(server(b), first);
    controller.connectTo(other);
    QTRY_COMPARE_WITH_TIMEOUT(server(b), other, 10000);
    QCOMPARE(server(a), first);
    QVERIFY(frame->documentArea()->documents().size() >= 2);

    // Switching documents switches the connection; the tab tooltip names the server.
    frame->documentArea()->activateDocument(a);
    QTRY_COMPARE_WITH_TIMEOUT(controller.serverText(), first, 10000);
    frame->documentArea()->activateDocument(b);
    QTRY_COMPARE_WITH_TIMEOUT(controller.serverText(), other, 10000);
    QCOMPARE(b->tooltipExtra(), other);

    // With SwitchConnections off, documents follow the connection instead.
    frame->editorSettings().SwitchConnections = false;
    frame->documentArea()->activateDocument(a);
    QCOMPARE(controller.serverText(), other);
    // The second instance goes with this test: let the namespace load of the
    // last switch end first, or it fails, rightly, with "conn. closed".
    auto* explorer = qobject_cast<CClassView*>(frame->pane(CMainFrame::NamespaceExplorer)->widget());
    QVERIFY(explorer);
    QTRY_VERIFY_WITH_TIMEOUT(!explorer->isLoading(), 10000);
}

void TestEndToEnd::findCommandsActOnTheActiveView()
{
    CMainFrame* frame = m_app->mainFrame();
    auto* view = qobject_cast<CTovoView*>(frame->newDocument()->view());
    view->setText(QStringLiteral("abc\nx:abc\n"));
    view->setCursorPosition(0, 0);
    frame->action(cmd::EditFind)->trigger();
    CFindReplace* finder = frame->findChild<CFindReplace*>();
    QVERIFY(finder);
    QCOMPARE(finder->target(), view);
    QVERIFY(finder->dialog()->isVisible());
    finder->dialog()->whatEdit()->setText(QStringLiteral("abc"));
    finder->dialog()->findNextButton()->click();
    QCOMPARE(view->selectedText(), QStringLiteral("abc"));
    frame->action(cmd::EditFindNext)->trigger();
    int line = 0, index = 0;
    view->getCursorPosition(&line, &index);
    QCOMPARE(line, 1);
    QCOMPARE(view->selectedText(), QStringLiteral("abc"));
}

void TestEndToEnd::ctrlJSizesTheGridFromTheEditor()
{
    type(QStringLiteral("til 3"));
    auto* table = m_app->mainFrame()->outputWnd()->findChild<COutputTable*>();
    QVERIFY(table);
    QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 3, 5000);
    const int sized = table->columnWidth(0);
    table->setColumnWidth(0, 3);
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(qobject_cast<CTovoView*>(editor));
    QTest::keyClick(editor, Qt::Key_J, Qt::ControlModifier);
    QCOMPARE(table->columnWidth(0), sized);
}

void TestEndToEnd::activeServerKeptForNextStart()
{
    m_app->exitInstance();
    QVERIFY(m_app->store().readCustomText(QStringLiteral("ActiveServer"), QString()).endsWith(m_server));
    // Started without --server, the kept server is connected again.
    CTovoApp again(CommandLine(QStringLiteral("--homedir:") + m_home->path()), m_prompter, m_home->store());
    QVERIFY(again.initInstance());
    QTRY_VERIFY_WITH_TIMEOUT(again.mainFrame()->serverText().endsWith(m_server), 10000);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"

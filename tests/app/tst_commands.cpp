// The one command registry of the main window: every command reaches its
// owner or is disabled, the owner around the focus comes first, handlers
// leave with their owners, and each key belongs to one command.
#include "../results/GridValues.h"
#include "ScriptedFileChooser.h"
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CActionRegistry.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "chart/CDlgGraph.h"
#include "core/settings/KeptSettings.h"
#include "files/CFileView.h"
#include "files/CVelShellTreeCtrl.h"
#include "editor/CTovoView.h"
#include "results/COutputWnd.h"
#include "results/grid/COutputTable.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QHash>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using Scope = CommandHandlers::Scope;

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void walkEveryCommand();
    void commandsWithoutOwnerAreDisabled();
    void focusedOwnerComesFirst();
    void handlersLeaveWithTheirOwner();
    void statesFollowRules();
    void eachKeyHasOneCommand();
    void windowKeysReachTheFocusedView_data();
    void windowKeysReachTheFocusedView();
    void copyInTheGridFillsTheClipboard();
    void chartGridPlotsTheOutputGrid();
    void showInFileViewAndOpenFromTheTree();
    void dummyFileViewHasNoCommand();

private:
    void showFocused(QWidget* widget)
    {
        frame()->show();
        frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame()));
        widget->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), widget);
    }
    CTovoView* activeView() { return qobject_cast<CTovoView*>(frame()->activeDocument()->view()); }

    std::unique_ptr<TempHome> m_home;
    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_chooser;
    std::unique_ptr<CTovoApp> m_app;
    CMainFrame* frame() { return m_app->mainFrame(); }
    CActionRegistry& registry() { return frame()->actions(); }
};

void TestCommands::init()
{
    m_home = std::make_unique<TempHome>();
    m_prompter = ScriptedPrompter();
    m_chooser = ScriptedFileChooser();
    m_app = std::make_unique<CTovoApp>(CommandLine(QStringLiteral("--homedir:") + m_home->path()), m_prompter,
                                       m_home->store());
    m_app->setFileChooser(&m_chooser);
    QVERIFY(m_app->initInstance());
    QVERIFY(frame()->activeDocument());
}

void TestCommands::cleanup()
{
    m_app.reset();
    m_home.reset();
    QCOMPARE(m_prompter.pending(), 0);
    QCOMPARE(m_chooser.pending(), 0);
}

void TestCommands::walkEveryCommand()
{
    // Dialogs opened by a command are closed as soon as they show.
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [] {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer.start(20);
    showFocused(activeView());
    int triggered = 0;
    for (int id : CActionRegistry::allCommands()) {
        if (id == cmd::AppExit)
            continue; // last, below
        QAction* action = frame()->action(id);
        QVERIFY2(action, qPrintable(QString::number(id)));
        registry().updateCommands();
        if (!action->isEnabled())
            continue;
        // An enabled command always reaches a handler.
        QVERIFY2(registry().target(id), qPrintable(action->text()));
        if (id == cmd::FileOpen || id == cmd::ImportServers || ((id == cmd::FileSave || id == cmd::FileSaveAs) && !frame()->activeDocument()->filePath().size()))
            m_chooser.plan(QString()); // the user cancels the file dialog
        if (id == cmd::AppAbout)
            m_prompter.expectInform(QStringLiteral("Tovo version %1\nA development environment for q and kdb+.")
                                        .arg(QCoreApplication::applicationVersion()),
                                    Prompter::Icon::Information, QStringLiteral("About Tovo"));
        QVERIFY2(registry().run(id), qPrintable(action->text()));
        QCOMPARE(m_chooser.pending(), 0);
        QCOMPARE(m_prompter.pending(), 0);
        ++triggered;
        if (!frame()->activeDocument()) // Close closed it: later commands want a document again
            frame()->newDocument();
    }
    QVERIFY(triggered > 30);
    frame()->action(cmd::LookVS2008)->trigger();
    if (frame()->isFullScreen())
        frame()->action(cmd::FullScreen)->trigger();
    // Exit closes the window.
    frame()->action(cmd::AppExit)->trigger();
    QTRY_VERIFY(!frame()->isVisible());
}

void TestCommands::commandsWithoutOwnerAreDisabled()
{
    // A command without an owner in the window shows disabled and does
    // nothing (the Search toolbar's File filter button has no action yet).
    registry().updateCommands();
    for (int id : CActionRegistry::allCommands()) {
        if (registry().hasHandler(id))
            continue;
        QVERIFY2(!frame()->action(id)->isEnabled(), qPrintable(frame()->action(id)->text()));
        QVERIFY(!registry().run(id));
    }
    QVERIFY(!registry().hasHandler(cmd::FileFilter));
    // Commands whose owner is there but has nothing to act on yet.
    QVERIFY(!frame()->action(cmd::RemoteFilesInventory)->isEnabled()); // no namespace load, no files
    QVERIFY(registry().hasHandler(cmd::QuickWatch));
    QVERIFY(!frame()->action(cmd::QuickWatch)->isEnabled()); // no current server
    // Execute Line and » need a source view (without a session they say so).
    QVERIFY(frame()->action(cmd::ExecuteSelection)->isEnabled());
    frame()->closeDocument(frame()->activeDocument());
    QVERIFY(!frame()->activeDocument());
    QVERIFY(!frame()->action(cmd::ExecuteLine)->isEnabled());
    QVERIFY(!frame()->action(cmd::ExecuteSelection)->isEnabled());
}

void TestCommands::focusedOwnerComesFirst()
{
    // A pane with an inner widget, both answering Debugger while the focus is inside them.
    auto* pane = new QWidget;
    auto* inner = new QLineEdit(pane);
    auto* beside = new QLineEdit(pane);
    auto* layout = new QVBoxLayout(pane);
    layout->addWidget(inner);
    layout->addWidget(beside);
    auto* innerMost = new QLineEdit(inner);
    auto* dock = new QDockWidget(QStringLiteral("Pane"), frame());
    dock->setWidget(pane);
    frame()->addDockWidget(Qt::LeftDockWidgetArea, dock);
    QObject windowOwner;
    QStringList ran;
    CommandHandlers& handlers = frame()->commands();
    handlers.addHandler(cmd::Debugger, &windowOwner, Scope::Window, [&] { ran << "window"; });
    handlers.addHandler(cmd::Debugger, pane, Scope::Focus, [&] { ran << "pane"; });
    handlers.addHandler(cmd::Debugger, inner, Scope::Focus, [&] { ran << "inner"; });
    showFocused(innerMost);
    frame()->action(cmd::Debugger)->trigger();
    showFocused(beside);
    frame()->action(cmd::Debugger)->trigger();
    showFocused(frame()->outputWnd());
    frame()->action(cmd::Debugger)->trigger();
    QCOMPARE(ran, (QStringList{"inner", "pane", "window"}));
    QCOMPARE(registry().target(cmd::Debugger), &windowOwner);
}

void TestCommands::handlersLeaveWithTheirOwner()
{
    // The window may have handlers of its own for these ids: what matters is
    // that the test owner's handlers come and go with it.
    const int before = registry().handlerCount();
    const bool stashBefore = frame()->action(cmd::ResultsStash)->isEnabled();
    const bool chartBefore = frame()->action(cmd::ChartGrid)->isEnabled();
    auto owner = std::make_unique<QObject>();
    bool ran = false;
    frame()->commands().addHandler(cmd::ResultsStash, owner.get(), Scope::Window, [&] { ran = true; });
    frame()->commands().addHandler(cmd::ChartGrid, owner.get(), Scope::Window, [&] { ran = true; });
    QCOMPARE(registry().handlerCount(), before + 2);
    QVERIFY(frame()->action(cmd::ResultsStash)->isEnabled());
    frame()->action(cmd::ResultsStash)->trigger();
    QVERIFY(ran);
    // Registering again replaces the owner's handler.
    frame()->commands().addHandler(cmd::ChartGrid, owner.get(), Scope::Window, [&] { ran = true; });
    QCOMPARE(registry().handlerCount(), before + 2);
    owner.reset();
    QCOMPARE(registry().handlerCount(), before);
    QCOMPARE(frame()->action(cmd::ResultsStash)->isEnabled(), stashBefore);
    QCOMPARE(frame()->action(cmd::ChartGrid)->isEnabled(), chartBefore);
    // removeHandler takes one id only.
    QObject other;
    bool otherRan = false;
    frame()->commands().addHandler(cmd::ResultsStash, &other, Scope::Window, [&] { otherRan = true; });
    frame()->commands().addHandler(cmd::ChartGrid, &other, Scope::Window, [&] { otherRan = true; });
    frame()->commands().removeHandler(cmd::ResultsStash, &other);
    QCOMPARE(frame()->action(cmd::ResultsStash)->isEnabled(), stashBefore);
    if (stashBefore)
        frame()->action(cmd::ResultsStash)->trigger();
    QVERIFY(!otherRan);
    QVERIFY(frame()->action(cmd::ChartGrid)->isEnabled());
    frame()->action(cmd::ChartGrid)->trigger();
    QVERIFY(otherRan);
}

void TestCommands::statesFollowRules()
{
    QObject owner;
    bool allowed = false;
    bool on = false;
    int runs = 0;
    frame()->commands().addHandler(cmd::ResultsStash, &owner, Scope::Window, [&] { ++runs; on = !on; },
                                   [&] { return allowed; }, [&] { return on; });
    QAction* action = frame()->action(cmd::ResultsStash);
    QVERIFY(!action->isEnabled());
    QVERIFY(!registry().run(cmd::ResultsStash)); // a disabled handler does not run
    QCOMPARE(runs, 0);
    allowed = true;
    QVERIFY(!action->isEnabled()); // until the states are brought up to date
    frame()->commands().updateCommands();
    QVERIFY(action->isEnabled());
    QVERIFY(action->isCheckable());
    QVERIFY(!action->isChecked());
    action->trigger();
    QCOMPARE(runs, 1);
    QVERIFY(action->isChecked());
    // The window's timer keeps the states too.
    allowed = false;
    frame()->onTimer();
    QVERIFY(!action->isEnabled());
    // So does opening a menu.
    allowed = true;
    for (QAction* top : frame()->menuBar()->actions())
        if (top->text() == QStringLiteral("&Q"))
            emit top->menu()->aboutToShow();
    QVERIFY(action->isEnabled());
}

void TestCommands::eachKeyHasOneCommand()
{
    // Within the window (and its panes) each key sequence triggers one action only.
    QHash<QKeySequence, QString> owners;
    for (QAction* action : frame()->findChildren<QAction*>()) {
        if (action->shortcutContext() == Qt::WidgetShortcut)
            continue; // a widget's own, shown in its context menu
        for (const QKeySequence& key : action->shortcuts()) {
            QVERIFY2(!owners.contains(key), qPrintable(key.toString() + ": " + owners.value(key) + " and "
                                                       + action->text()));
            owners.insert(key, action->text());
        }
    }
    QVERIFY(owners.contains(QKeySequence(QStringLiteral("Ctrl+C"))));
    QVERIFY(owners.contains(QKeySequence(QStringLiteral("Ctrl+J"))));
}

void TestCommands::windowKeysReachTheFocusedView_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expected"); // text, then selection, wrapping and highlighting after the key
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+U highlighting off") << int(Qt::Key_U) << ctrl << "abc||wrap 0|colour 0";
    QTest::newRow("Ctrl+L wrapping on") << int(Qt::Key_L) << ctrl << "abc||wrap 1|colour 1";
    QTest::newRow("Ctrl+Z undo") << int(Qt::Key_Z) << ctrl << "||wrap 0|colour 1";
    QTest::newRow("Alt+Backspace undo") << int(Qt::Key_Backspace) << int(Qt::AltModifier) << "||wrap 0|colour 1";
    QTest::newRow("Ctrl+A select all") << int(Qt::Key_A) << ctrl << "abc|abc|wrap 0|colour 1";
    QTest::newRow("Ctrl+V paste") << int(Qt::Key_V) << ctrl << "abcpasted||wrap 0|colour 1";
}

void TestCommands::windowKeysReachTheFocusedView()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, expected);
    CTovoView* view = activeView();
    view->setLineWrapping(false);
    view->insert(QStringLiteral("abc"));
    view->processChange();
    view->setCursorPosition(0, 3);
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    showFocused(view);
    QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(QStringLiteral("%1|%2|wrap %3|colour %4")
                 .arg(view->text(), view->selectedText())
                 .arg(int(view->lineWrapping()))
                 .arg(int(view->highlighting())),
             expected);
}

void TestCommands::copyInTheGridFillsTheClipboard()
{
    COutputTable* grid = nullptr;
    for (COutputTable* t : frame()->findChildren<COutputTable*>())
        if (t->place() == COutputTable::Place::OutputPane)
            grid = t;
    QVERIFY(grid);
    KPtr t(gv::table({"s", "n"}, {kv::syms({"x", "y", "z"}), kv::list<J>(KJ, {1, 2, 3})}));
    grid->setValue(t.get());
    frame()->showOutputPane();
    frame()->outputWnd()->rememberAndShowTable();
    showFocused(grid);
    grid->selectRow(1);
    QApplication::clipboard()->clear();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("y\t2\r\n"));
    // The Edit menu's Copy does the same.
    QApplication::clipboard()->clear();
    QVERIFY(frame()->action(cmd::EditCopy)->isEnabled());
    frame()->action(cmd::EditCopy)->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("y\t2\r\n"));
}

void TestCommands::chartGridPlotsTheOutputGrid()
{
    COutputTable* grid = nullptr;
    for (COutputTable* t : frame()->findChildren<COutputTable*>())
        if (t->place() == COutputTable::Place::OutputPane)
            grid = t;
    QVERIFY(grid);
    QAction* chart = frame()->action(cmd::ChartGrid);
    registry().updateCommands();
    QVERIFY(!chart->isEnabled()); // nothing to plot yet
    KPtr t(gv::table({"x", "y"}, {kv::list<J>(KJ, {1, 2, 3}), kv::list<F>(KF, {1.5, 2.5, 0.5})}));
    grid->setValue(t.get());
    registry().updateCommands();
    QVERIFY(chart->isEnabled());
    chart->trigger();
    CDlgGraph* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<CDlgGraph*>(w))
            dialog = found;
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    dialog->close();
}

void TestCommands::showInFileViewAndOpenFromTheTree()
{
    QTemporaryDir dir;
    const QString path = QFileInfo(dir.filePath("feed.q")).absoluteFilePath();
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("upd:{x}\n") > 0);
    file.close();
    auto* view = qobject_cast<CFileView*>(frame()->pane(CMainFrame::FileView)->widget());
    QVERIFY(view && view->tree());
    // The new document has no file: nothing to show.
    registry().updateCommands();
    QVERIFY(!frame()->action(cmd::ShowInFileView)->isEnabled());
    QVERIFY(frame()->openDocument(path));
    frame()->pane(CMainFrame::FileView)->hide();
    registry().updateCommands();
    QVERIFY(frame()->action(cmd::ShowInFileView)->isEnabled());
    frame()->action(cmd::ShowInFileView)->trigger();
    QVERIFY(frame()->pane(CMainFrame::FileView)->isVisibleTo(frame()));
    QCOMPARE(view->tree()->selectedPath(), path);
    // A q script chosen in the tree opens as a document and is remembered.
    frame()->closeDocument(frame()->activeDocument());
    QVERIFY(!frame()->activeDocument() || frame()->activeDocument()->filePath() != path);
    emit view->tree()->openRequested(path);
    QVERIFY(frame()->activeDocument());
    QCOMPARE(frame()->activeDocument()->filePath(), path);
    QCOMPARE(m_app->store().readText(QString::fromLatin1(kept::LastTreePath), QString()), path);
}

void TestCommands::dummyFileViewHasNoCommand()
{
    m_app.reset();
    m_app = std::make_unique<CTovoApp>(
        CommandLine(QStringLiteral("--homedir:") + m_home->path() + QStringLiteral(" --dummyfileview")), m_prompter,
        m_home->store());
    m_app->setFileChooser(&m_chooser);
    QVERIFY(m_app->initInstance());
    auto* view = qobject_cast<CFileView*>(frame()->pane(CMainFrame::FileView)->widget());
    QVERIFY(view);
    QVERIFY(!view->tree());
    QVERIFY(view->findChild<QWidget*>(QStringLiteral("dummy")));
    registry().updateCommands();
    QVERIFY(!frame()->action(cmd::ShowInFileView)->isEnabled());
    QVERIFY(!registry().run(cmd::ShowInFileView));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"

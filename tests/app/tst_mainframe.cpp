#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CChildFrame.h"
#include "app/CConnectComboButton.h"
#include "app/CDlgCustomize.h"
#include "app/CDlgWindows.h"
#include "app/CDocumentArea.h"
#include "app/CToolBarLayout.h"
#include "app/CFrameStatusBar.h"
#include "app/ApplicationLook.h"
#include "core/colors/CDialogFontsColors.h"
#include "core/colors/ColorSchemePresets.h"
#include "editor/CQLexer.h"
#include "editor/CTovoView.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QMenuBar>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

class TestMainFrame : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void panesExistWithTitles();
    void titleFollowsServer();
    void connectBoxHintAndTooltip_data();
    void connectBoxHintAndTooltip();
    void positionPane();
    void shorterMenusWithoutDocument();
    void applicationLookIsStored();
    void unknownLookFallsBack();
    void disabledTextDiffersInEveryLook();
    void darkLookRecoloursOpenViews();
    void tabGroups();
    void busyAnimationFollowsRunningQuery();
    void toolBarLayoutIsKeptAndReset();
    void untrustedToolBarLayout();
    void windowsDialog();

private:
    std::unique_ptr<TempHome> m_home;
    ScriptedPrompter m_prompter;
    std::unique_ptr<CTovoApp> m_app;
    CMainFrame* frame() { return m_app->mainFrame(); }
};

void TestMainFrame::init()
{
    m_home = std::make_unique<TempHome>();
    m_app = std::make_unique<CTovoApp>(CommandLine(QStringLiteral("--homedir:") + m_home->path()), m_prompter,
                                       m_home->store());
    QVERIFY(m_app->initInstance());
}

void TestMainFrame::cleanup()
{
    m_app.reset();
    m_home.reset();
}

void TestMainFrame::panesExistWithTitles()
{
    const QList<QPair<int, QString>> panes = {
        {CMainFrame::NamespaceExplorer, "Namespace Explorer"}, {CMainFrame::ServerView, "Server View"},
        {CMainFrame::Watch, "Watch"}, {CMainFrame::ResultsHistory, "Results History"},
        {CMainFrame::FileView, "File View"}, {CMainFrame::Output, "Output"}, {CMainFrame::GridView, "Grid View"},
        {CMainFrame::ImageView, "Image view"}, {CMainFrame::Properties, "Properties"}};
    for (const auto& [id, title] : panes) {
        QDockWidget* dock = frame()->pane(id);
        QVERIFY2(dock, qPrintable(title));
        QCOMPARE(dock->windowTitle(), title);
        QCOMPARE(dock->widget()->minimumSize(), QSize(100, 100));
    }
    QCOMPARE(frame()->dockWidgetArea(frame()->pane(CMainFrame::Output)), Qt::BottomDockWidgetArea);
    QCOMPARE(frame()->dockWidgetArea(frame()->pane(CMainFrame::Properties)), Qt::RightDockWidgetArea);
    QCOMPARE(frame()->dockWidgetArea(frame()->pane(CMainFrame::FileView)), Qt::LeftDockWidgetArea);
}

void TestMainFrame::titleFollowsServer()
{
    frame()->activeDocument()->setTitle(QStringLiteral("d.q"));
    frame()->onTimer();
    QCOMPARE(frame()->windowTitle(), QStringLiteral("d.q - Tovo"));
    frame()->setServer(QStringLiteral("`h:5001:u:p"), QStringLiteral("\\eu\\prod"));
    frame()->onTimer();
    QCOMPARE(frame()->windowTitle(), QStringLiteral("d.q - Tovo - h:5001 (\\eu\\prod)"));
    // Only a change of server rebuilds the title.
    frame()->setServer(QStringLiteral("`h:5001:u:p"), QStringLiteral("other"));
    frame()->onTimer();
    QCOMPARE(frame()->windowTitle(), QStringLiteral("d.q - Tovo - h:5001 (\\eu\\prod)"));
    // Disconnecting shows within one tick of the 500 ms timer.
    frame()->setServer(QString(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(frame()->windowTitle(), QStringLiteral("d.q - Tovo"), 600);
}

void TestMainFrame::connectBoxHintAndTooltip_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("disconnected") << "" << "" << "" << "Disconnected" << "Disconnected";
    QTest::newRow("not in tree") << "`h:1" << "`h:1" << "" << "" << "Not in server tree";
    QTest::newRow("not current") << "`x:2" << "`h:1" << "\\a" << "<- Not Current!" << "\\a";
    QTest::newRow("title first line") << "`h:1" << "`h:1" << "\\eu\\prod\nsecond" << "\\eu\\prod"
                                      << "\\eu\\prod\nsecond";
    QTest::newRow("break first") << "`h:1" << "`h:1" << "\nabc" << "\nabc" << "\nabc";
}

void TestMainFrame::connectBoxHintAndTooltip()
{
    QFETCH(QString, typed);
    QFETCH(QString, server);
    QFETCH(QString, title);
    QFETCH(QString, hint);
    QFETCH(QString, tooltip);
    CConnectComboButton* box = frame()->connectBox();
    QVERIFY(box);
    frame()->onTimer(); // the first tick takes the box out of step-with-server mode
    box->setEditText(typed);
    frame()->setServer(server, title);
    frame()->onTimer();
    QCOMPARE(box->connectEdit()->hint(), hint);
    QCOMPARE(box->toolTip(), tooltip);
}

void TestMainFrame::positionPane()
{
    frame()->onTimer();
    QCOMPARE(frame()->frameStatusBar()->paneText(CFrameStatusBar::Position), QStringLiteral("Ln 1  Ch 1 Row 0"));
    auto* edit = qobject_cast<QsciScintilla*>(frame()->activeDocument()->view());
    QVERIFY(edit);
    edit->setText(QStringLiteral("a\nbcd"));
    edit->setCursorPosition(1, 3);
    frame()->onTimer();
    QCOMPARE(frame()->frameStatusBar()->paneText(CFrameStatusBar::Position), QStringLiteral("Ln 2  Ch 4 Row 0"));
    frame()->documentArea()->closeDocument(frame()->activeDocument());
    frame()->onTimer();
    QCOMPARE(frame()->frameStatusBar()->paneText(CFrameStatusBar::Position), QString());
}

void TestMainFrame::shorterMenusWithoutDocument()
{
    QVERIFY(frame()->action(cmd::FileSave)->isVisible());
    frame()->documentArea()->closeDocument(frame()->activeDocument());
    for (int id : {cmd::FileSave, cmd::FileSaveAs, cmd::FilePrint, cmd::FilePrintPreview, cmd::GoToLine,
                   cmd::RemoteFilesInventory, cmd::LineWrapping, cmd::SyntaxHighlight})
        QVERIFY2(!frame()->action(id)->isVisible(), qPrintable(QString::number(id)));
    QVERIFY(frame()->action(cmd::FileNew)->isVisible());
    bool windowMenuShown = false;
    for (QAction* a : frame()->menuBar()->actions())
        if (a->text() == QStringLiteral("&Window"))
            windowMenuShown = a->isVisible();
    QVERIFY(!windowMenuShown);
    frame()->action(cmd::FileNew)->trigger();
    QVERIFY(frame()->action(cmd::FileSave)->isVisible());
}

void TestMainFrame::applicationLookIsStored()
{
    QCOMPARE(frame()->applicationLook(), 210);
    QVERIFY(frame()->action(cmd::LookVS2008)->isChecked());
    frame()->action(cmd::LookBlack)->trigger();
    QCOMPARE(m_app->store().readInt(QStringLiteral("ApplicationLook"), 0), 216);
    QVERIFY(frame()->action(cmd::LookBlack)->isChecked());
    frame()->action(cmd::LookVS2008)->trigger();
    QCOMPARE(m_app->store().readInt(QStringLiteral("ApplicationLook"), 0), 210);
}

void TestMainFrame::unknownLookFallsBack()
{
    m_app->store().writeInt(QStringLiteral("ApplicationLook"), 211);
    CTovoApp again(CommandLine(), m_prompter, m_home->store());
    QVERIFY(again.initInstance());
    QCOMPARE(again.mainFrame()->applicationLook(), 211);
    // Shown as the Office 2007 look.
    QVERIFY(again.mainFrame()->action(cmd::LookBlue)->isChecked());
}

void TestMainFrame::darkLookRecoloursOpenViews()
{
    auto* view = qobject_cast<CTovoView*>(frame()->activeDocument()->view());
    QVERIFY(view);
    const QColor light = view->lexer().defaultPaper();
    QCOMPARE(light, QColor(Qt::white));
    const QImage cutOnLight = frame()->action(cmd::EditCut)->icon().pixmap(32, 32).toImage();
    // The dark look brings the dark scheme: the open editor recolours at once and the scheme is stored.
    frame()->action(cmd::LookDark)->trigger();
    // The toolbar icons are drawn again in ink for the dark toolbar.
    QVERIFY(frame()->action(cmd::EditCut)->icon().pixmap(32, 32).toImage() != cutOnLight);
    QCOMPARE(view->lexer().defaultPaper(), QColor(0x1E, 0x1F, 0x22));
    QVERIFY(QApplication::palette().color(QPalette::Base).lightness() < 60);
    CDialogFontsColors stored;
    stored.load(m_app->store());
    QVERIFY(ColorSchemePresets::isDarkPreset(stored));
    // Back to a light look: the light scheme returns.
    frame()->action(cmd::LookVS2008)->trigger();
    QCOMPARE(view->lexer().defaultPaper(), light);
    stored.load(m_app->store());
    QVERIFY(ColorSchemePresets::isLightPreset(stored));
    // A scheme of the user's own is kept whatever the look.
    stored.setColor(CDialogFontsColors::Comment, 0x123456);
    stored.save(m_app->store());
    CTovoApp again(CommandLine(QStringLiteral("--homedir:") + m_home->path()), m_prompter, m_home->store());
    QVERIFY(again.initInstance());
    again.mainFrame()->action(cmd::LookDark)->trigger();
    stored.load(m_app->store());
    QCOMPARE(stored.color(CDialogFontsColors::Comment), 0x123456u);
    QVERIFY(!ColorSchemePresets::isDarkPreset(stored));
}

void TestMainFrame::disabledTextDiffersInEveryLook()
{
    // A disabled menu command must not look like an enabled one, whatever the look.
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    QVERIFY(app);
    const QPalette before = app->palette();
    for (int id = cmd::LookWindows2000; id <= cmd::LookDark; ++id) {
        if (!ApplicationLook::isKnown(id))
            continue;
        ApplicationLook::apply(*app, id);
        const QPalette p = app->palette();
        for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
            const QColor on = p.color(QPalette::Active, role), off = p.color(QPalette::Disabled, role);
            const int distance = std::abs(on.red() - off.red()) + std::abs(on.green() - off.green())
                + std::abs(on.blue() - off.blue());
            QVERIFY2(distance >= 96, qPrintable(QStringLiteral("look %1, role %2: %3 vs %4")
                                                     .arg(id).arg(role).arg(on.name(), off.name())));
        }
    }
    app->setPalette(before);
}

void TestMainFrame::tabGroups()
{
    CDocumentArea* area = frame()->documentArea();
    QVERIFY(!area->canNewGroup(Qt::Horizontal)); // one document: nothing to split off
    CChildFrame* second = frame()->newDocument();
    QVERIFY(area->canNewGroup(Qt::Horizontal));
    QVERIFY(!area->canMoveToGroup(1));
    area->newGroup(Qt::Horizontal);
    QCOMPARE(area->groupCount(), 2);
    QCOMPARE(area->groupOf(second), 1);
    QVERIFY(area->canMoveToGroup(-1));
    QVERIFY(!area->canNewGroup(Qt::Vertical)); // one document left in each group
    area->moveToGroup(-1);
    QCOMPARE(area->groupCount(), 1); // the emptied group goes away
    QCOMPARE(area->documents().size(), 2);
}

void TestMainFrame::busyAnimationFollowsRunningQuery()
{
    frame()->setRunningQuery(QStringLiteral("til 10"));
    frame()->onTimer();
    QVERIFY(frame()->frameStatusBar()->isBusy());
    frame()->setRunningQuery(QString());
    frame()->onTimer();
    QVERIFY(!frame()->frameStatusBar()->isBusy());
}

namespace {
QList<int> toolBarIds(QToolBar* bar)
{
    QList<int> ids;
    for (QAction* a : bar->actions()) {
        if (a->isSeparator())
            ids.append(0);
        else if (QWidget* w = bar->widgetForAction(a); w && w->inherits("CConnectComboButton"))
            ids.append(cmd::ConnectToServer);
        else if (a->data().isValid())
            ids.append(a->data().toInt());
        else
            ids.append(-1); // another box
    }
    return ids;
}
} // namespace

void TestMainFrame::toolBarLayoutIsKeptAndReset()
{
    QToolBar* search = frame()->searchToolBar();
    const QList<int> before = toolBarIds(search);
    QVERIFY(before.contains(cmd::Refresh));
    QVERIFY(frame()->connectBox());

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CDlgCustomize*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectToolBar(1);
        dialog->removeAt(0);               // Refresh off the Search toolbar
        dialog->selectToolBar(0);
        dialog->addCommand(cmd::Debugger); // after nothing selected: at the end
        dialog->accept();
    });
    frame()->action(cmd::Customize)->trigger();
    QVERIFY(!toolBarIds(search).contains(cmd::Refresh));
    QCOMPARE(toolBarIds(frame()->standardToolBar()).last(), cmd::Debugger);
    QVERIFY(frame()->connectBox()); // the box survives a refill

    // Kept for the next start of this profile.
    CTovoApp again(CommandLine(), m_prompter, m_home->store());
    QVERIFY(again.initInstance());
    QVERIFY(!toolBarIds(again.mainFrame()->searchToolBar()).contains(cmd::Refresh));
    QCOMPARE(toolBarIds(again.mainFrame()->standardToolBar()).last(), cmd::Debugger);

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CDlgCustomize*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectToolBar(1);
        dialog->resetToolBar();
        dialog->accept();
    });
    frame()->action(cmd::Customize)->trigger();
    QCOMPARE(toolBarIds(search), before);
}

void TestMainFrame::untrustedToolBarLayout()
{
    m_app->store().writeState(QStringLiteral("ToolBar-Search"), QByteArray("32936,zz,,-5,99999999999,0,32939"));
    CToolBarLayout layout(QStringLiteral("Search"), {1, 2});
    layout.load(m_app->store(), [](int id) { return id == 32936 || id == 32939; });
    QCOMPARE(layout.items(), (QList<int>{32936, 0, 32939}));
}

void TestMainFrame::windowsDialog()
{
    CChildFrame* first = frame()->activeDocument();
    CChildFrame* second = frame()->newDocument();
    second->setTitle(QStringLiteral("b.q"));
    CDlgWindows dialog(*frame()->documentArea());
    QCOMPARE(dialog.list()->count(), 2);
    QCOMPARE(dialog.list()->currentItem()->text(), QStringLiteral("b.q"));
    connect(&dialog, &CDlgWindows::closeRequested, frame()->documentArea(), &CDocumentArea::closeRequested);
    dialog.list()->setCurrentRow(0);
    dialog.activateSelected();
    QCOMPARE(frame()->activeDocument(), first);
    dialog.list()->clearSelection();
    dialog.list()->item(1)->setSelected(true);
    dialog.closeSelected();
    QCOMPARE(frame()->documentArea()->documents(), QList<CChildFrame*>{first});
    QCOMPARE(dialog.list()->count(), 1);
}

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"

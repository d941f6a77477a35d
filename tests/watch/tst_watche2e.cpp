// Watches and quick watch through the real window against the scripted test
// instance: queries refresh the watch pane from one combined query (values,
// a failing expression, a changed value and their colours), Ctrl+W adds from
// the editor, a server change unchecks, shutdown saves Watches.cfg, and
// Ctrl+Q opens quick watch on a keyed table with both access paths.
#include "InstanceScript.h"
#include "ScriptedFileChooser.h"
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "connect/ConnectionController.h"
#include "core/colors/CDialogFontsColors.h"
#include "core/commands/CommandHandlers.h"
#include "query/QueryRunner.h"
#include "editor/CTovoView.h"
#include "explorer/panes/CClassView.h"
#include "explorer/panes/NamespaceTreeModel.h"
#include "watch/CQuickWatchDialog.h"
#include "watch/CWatchBar.h"
#include "watch/CWatchListCtrl.h"
#include "watch/WatchListModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

const char* const kScript = R"(
query: 1+1
reply: 2
query: kt
reply: ([k:1 2] v:`x`y)
watch-value: counter -> 1
watch-value: counter -> 2
watch-value: stable -> `a`b!1 2
watch-error: missing -> missing
ns-variable: .feed.limit type=-7 count=1 size=8
)";

QColor colourOf(const CDialogFontsColors& scheme, int element)
{
    const std::uint32_t ref = scheme.color(element);
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

void shoot(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("TOVO_SHOTS");
    if (!folder.isEmpty())
        widget->grab().save(folder + u'/' + name);
}

} // namespace

class TestWatchEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void queriesRefreshTheWatches();
    void quickWatchOnAKeyedTable();
    void failedEvaluationShownInThePane();

private:
    CMainFrame* frame() const { return m_app->mainFrame(); }
    CWatchBar* bar() const { return qobject_cast<CWatchBar*>(frame()->pane(CMainFrame::Watch)->widget()); }
    CTovoView* view() const { return qobject_cast<CTovoView*>(frame()->activeDocument()->view()); }
    QString value(int row) const { return bar()->model()->index(row, 1).data().toString(); }
    QVariant foreground(int row, int column) const
    {
        return bar()->model()->index(row, column).data(Qt::ForegroundRole);
    }

    std::unique_ptr<TestInstance> m_instance;
    std::unique_ptr<TempHome> m_home;
    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_chooser;
    std::unique_ptr<CTovoApp> m_app;
    QString m_server;
};

void TestWatchEndToEnd::init()
{
    m_instance = std::make_unique<TestInstance>();
    InstanceScript::Settings settings;
    QString error;
    QVERIFY2(InstanceScript::apply(QString::fromLatin1(kScript), *m_instance, settings, &error), qPrintable(error));
    QVERIFY(m_instance->start());
    m_home = std::make_unique<TempHome>();
    QFile watches(m_home->filePath(QStringLiteral("Watches.cfg")));
    QVERIFY(watches.open(QIODevice::WriteOnly));
    watches.write("\tcounter\r\n\tmissing\r\n\tstable\r\nidle\r\n");
    watches.close();
    m_server = QStringLiteral("127.0.0.1:%1").arg(m_instance->port());
    m_app = std::make_unique<CTovoApp>(
        CommandLine(QStringLiteral("--homedir:%1 --server:%2").arg(m_home->path(), m_server)), m_prompter,
        m_home->store());
    m_app->setFileChooser(&m_chooser);
    QVERIFY(m_app->initInstance());
    QTRY_VERIFY_WITH_TIMEOUT(frame()->serverText().endsWith(m_server), 10000);
    frame()->resize(1100, 700);
    frame()->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame()));
    frame()->pane(CMainFrame::Watch)->show();
    frame()->pane(CMainFrame::Watch)->raise();
}

void TestWatchEndToEnd::cleanup()
{
    m_app.reset();
    m_instance.reset();
    m_home.reset();
}

void TestWatchEndToEnd::queriesRefreshTheWatches()
{
    // Watches.cfg was loaded when the pane was made; values start empty.
    // Connecting to the --server unchecked them (QUncheckWatches is on):
    // the user checks the first three again.
    QCOMPARE(bar()->model()->rowCount(), 4);
    QVERIFY(value(0).isEmpty());
    for (int row = 0; row < 4; ++row) {
        QVERIFY(!bar()->model()->list().at(row).checked);
        if (row < 3)
            QVERIFY(bar()->model()->setData(bar()->model()->index(row, 0), Qt::Checked, Qt::CheckStateRole));
    }
    CDialogFontsColors scheme;
    scheme.load(m_app->store());
    const QColor changed = colourOf(scheme, CDialogFontsColors::ChangedValue);
    const QColor failed = colourOf(scheme, CDialogFontsColors::UndefinedErrorWatch);
    const QColor inactive = colourOf(scheme, CDialogFontsColors::InactiveWatch);

    // A query's reply refreshes the watches: one combined query of the checked ones.
    QSignalSpy evaluated(bar(), &CWatchBar::evaluated);
    m_instance->clearReceived();
    m_app->queryLink()->run(QStringLiteral("1+1"), false);
    QTRY_COMPARE_WITH_TIMEOUT(evaluated.size(), 1, 10000);
    const QString query = QStringLiteral(R"((@[value;"counter";`$"!SIGNAL!",];@[value;"missing";`$"!SIGNAL!",];)"
                                         R"(@[value;"stable";`$"!SIGNAL!",];1;0h))");
    QVERIFY(m_instance->receivedTexts().contains(query));
    QCOMPARE(value(0), QStringLiteral("1j"));
    QCOMPARE(value(1), QStringLiteral("ERROR: '!missing"));
    QVERIFY(value(2).contains(u'!'));
    QVERIFY(value(3).isEmpty());
    QCOMPARE(foreground(0, 1).value<QColor>(), changed);
    QVERIFY(!foreground(0, 0).isValid());
    QCOMPARE(foreground(1, 0).value<QColor>(), failed);
    QCOMPARE(foreground(1, 1).value<QColor>(), failed);
    QCOMPARE(foreground(3, 0).value<QColor>(), inactive);
    QCOMPARE(foreground(3, 1).value<QColor>(), inactive);

    // The next query: counter changed, stable did not.
    m_app->queryLink()->run(QStringLiteral("1+1"), false);
    QTRY_COMPARE_WITH_TIMEOUT(evaluated.size(), 2, 10000);
    QCOMPARE(value(0), QStringLiteral("2j"));
    QCOMPARE(foreground(0, 1).value<QColor>(), changed);
    QVERIFY(!foreground(2, 1).isValid());
    QCOMPARE(foreground(1, 1).value<QColor>(), failed);
    bar()->list()->autoSizeColumns();
    shoot(frame(), QStringLiteral("watch-pane-window.png"));
    shoot(frame()->pane(CMainFrame::Watch), QStringLiteral("watch-pane.png"));

    // "Query to output" sends the expression as a query of its own and its
    // reply does not refresh the watches.
    const int sent = int(m_instance->receivedTexts().size());
    bar()->list()->selectRow(2);
    bar()->queryToOutput();
    QTRY_VERIFY_WITH_TIMEOUT(m_instance->receivedTexts().size() > sent, 10000);
    QCOMPARE(m_instance->receivedTexts().at(sent), QStringLiteral("stable"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->queryLink()->runner().isRunning(), 10000);
    QVERIFY(!bar()->isEvaluating());
    QCOMPARE(evaluated.size(), 2);

    // A hidden pane is not refreshed after a query.
    frame()->pane(CMainFrame::Watch)->hide();
    m_instance->clearReceived();
    m_app->queryLink()->run(QStringLiteral("1+1"), false);
    QTRY_VERIFY_WITH_TIMEOUT(m_instance->receivedTexts().contains(QStringLiteral("1+1")), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_app->queryLink()->runner().isRunning(), 10000);
    QVERIFY(!bar()->isEvaluating());
    QCOMPARE(m_instance->receivedTexts(), QStringList{"1+1"});
    frame()->pane(CMainFrame::Watch)->show();

    // Ctrl+W in the editor adds the identifier at the caret; again toggles it off.
    view()->setText(QStringLiteral("__newvar+1"));
    view()->setCursorPosition(0, 3);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(bar()->model()->rowCount(), 5);
    QCOMPARE(bar()->model()->list().at(4).expression, QStringLiteral("newvar"));
    QVERIFY(bar()->model()->list().at(4).checked);
    QTest::keyClick(view(), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(bar()->model()->rowCount(), 4);

    // The namespace explorer's "Add Watch" on a variable adds its full name.
    auto* explorer = qobject_cast<CClassView*>(frame()->pane(CMainFrame::NamespaceExplorer)->widget());
    QVERIFY(explorer);
    QTRY_VERIFY_WITH_TIMEOUT(explorer->model()->indexOf(QStringLiteral(".feed.limit")).isValid(), 10000);
    std::unique_ptr<QMenu> menu(
        explorer->createContextMenu(explorer->model()->indexOf(QStringLiteral(".feed.limit")), nullptr));
    QAction* addWatch = nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == QStringLiteral("Add Watch"))
            addWatch = action;
    QVERIFY(addWatch && addWatch->isEnabled());
    addWatch->trigger();
    QCOMPARE(bar()->model()->list().items().back().expression, QStringLiteral(".feed.limit"));
    bar()->model()->removeWatches({bar()->model()->rowCount() - 1});

    // Another server: the watches are unchecked.
    TestInstance other;
    QVERIFY(other.start());
    m_app->queryLink()->controller().connectTo(QStringLiteral("127.0.0.1:%1").arg(other.port()));
    QTRY_VERIFY_WITH_TIMEOUT(frame()->serverText().endsWith(QString::number(other.port())), 10000);
    for (const WatchItem& item : bar()->model()->list().items())
        QVERIFY2(!item.checked, qPrintable(item.expression));

    // Shutdown writes the list back.
    frame()->storeState();
    QFile saved(m_home->filePath(QStringLiteral("Watches.cfg")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("counter\r\nmissing\r\nstable\r\nidle\r\n"));
}

void TestWatchEndToEnd::failedEvaluationShownInThePane()
{
    // The instance goes away: the next evaluation cannot connect, and every
    // checked watch says so in the failed watches' colour instead of keeping
    // a value it no longer has (or none at all).
    for (int row = 0; row < 2; ++row)
        QVERIFY(bar()->model()->setData(bar()->model()->index(row, 0), Qt::Checked, Qt::CheckStateRole));
    QSignalSpy evaluated(bar(), &CWatchBar::evaluated);
    bar()->evaluate();
    QTRY_COMPARE_WITH_TIMEOUT(evaluated.size(), 1, 10000);
    QCOMPARE(value(0), QStringLiteral("1j"));
    QCOMPARE(value(1), QStringLiteral("ERROR: '!missing"));
    CDialogFontsColors scheme;
    scheme.load(m_app->store());
    const QColor failed = colourOf(scheme, CDialogFontsColors::UndefinedErrorWatch);
    QCOMPARE(foreground(1, 1).value<QColor>(), failed);
    QVERIFY(foreground(0, 1).value<QColor>() != failed);

    m_instance->stop();
    bar()->evaluate();
    QTRY_COMPARE_WITH_TIMEOUT(evaluated.size(), 2, 10000);
    for (int row = 0; row < 2; ++row) {
        QCOMPARE(value(row), QStringLiteral("ERROR: 'could not connect"));
        QCOMPARE(foreground(row, 0).value<QColor>(), failed);
        QCOMPARE(foreground(row, 1).value<QColor>(), failed);
    }
    QVERIFY(value(2).isEmpty()); // unchecked: not evaluated, not failed
    frame()->resizeDocks({frame()->pane(CMainFrame::Watch)}, {520}, Qt::Horizontal);
    bar()->list()->autoSizeColumns();
    shoot(frame()->pane(CMainFrame::Watch), QStringLiteral("30-watch-failed.png"));
}

void TestWatchEndToEnd::quickWatchOnAKeyedTable()
{
    QAction* quick = frame()->action(cmd::QuickWatch);
    view()->setText(QStringLiteral("kt"));
    view()->setCursorPosition(0, 1);
    frame()->commands().updateCommands();
    QVERIFY(quick->isEnabled());
    // Ctrl+Q in the editor.
    frame()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame()));
    view()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view()));
    QTest::keyClick(view(), Qt::Key_Q, Qt::ControlModifier);
    CQuickWatchDialog* dialog = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((dialog = frame()->findChild<CQuickWatchDialog*>()) != nullptr, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->tree()->topLevelItemCount() == 1, 10000);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Quick Watch"));
    QCOMPARE(dialog->expressionBox()->currentText(), QStringLiteral("kt"));
    QVERIFY(m_instance->receivedTexts().contains(QStringLiteral("kt")));

    // Physical: the keyed table's value table and its column.
    QTreeWidgetItem* root = dialog->tree()->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("dictionary/keyed table"));
    QCOMPARE(root->childCount(), 2);
    QCOMPARE(root->child(1)->text(0), QStringLiteral("[1] (table/flip)"));
    QVERIFY(dialog->selectPath({1, 0, 1, 0}));
    QCOMPARE(dialog->pathField()->text(), QStringLiteral("kS(kK(kK(kK(pK)[1]->k)[1])[0])"));
    QVERIFY(dialog->valueView()->toPlainText().contains(u'x'));
    QVERIFY(dialog->pathField()->isVisible());
    dialog->tree()->expandAll();
    shoot(dialog, QStringLiteral("quickwatch-keyed-table-physical.png"));

    // Logical: one entry for the keys, then the value columns by name; the
    // expression field indexes the last expression.
    dialog->logicalButton()->click();
    QVERIFY(!dialog->pathField()->isVisible());
    root = dialog->tree()->topLevelItem(0);
    QCOMPARE(root->childCount(), 1);
    QVERIFY(root->child(0)->text(0).startsWith(u'['));
    QVERIFY(dialog->selectPath({0, 0}));
    QCOMPARE(dialog->tree()->currentItem()->text(0), QStringLiteral("[`v] (2 symbols)"));
    QVERIFY(dialog->expressionBox()->currentText().startsWith(QStringLiteral("(kt)[")));
    QVERIFY(dialog->expressionBox()->currentText().endsWith(QStringLiteral("][`v]")));
    QCOMPARE(dialog->expressionBox()->itemText(0), QStringLiteral("kt"));
    dialog->tree()->expandAll();
    shoot(dialog, QStringLiteral("quickwatch-keyed-table-logical.png"));

    // Requery an expression that fails: the tree shows the error.
    dialog->expressionBox()->setEditText(QStringLiteral("nosuch"));
    QSignalSpy rebuilt(dialog, &CQuickWatchDialog::rebuilt);
    dialog->requery();
    QTRY_COMPARE_WITH_TIMEOUT(rebuilt.size(), 1, 10000);
    QCOMPARE(dialog->tree()->topLevelItem(0)->text(0), QStringLiteral("signal atom"));
    QVERIFY(dialog->valueView()->toPlainText().contains(QStringLiteral("unscripted")));
    // Escape closes it; Ctrl+Q opens a new one.
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(!frame()->findChild<CQuickWatchDialog*>());
    frame()->activateWindow();
    view()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view()));
    QTest::keyClick(view(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(frame()->findChild<CQuickWatchDialog*>() != nullptr, 10000);
    frame()->findChild<CQuickWatchDialog*>()->close();
    QTRY_VERIFY(!frame()->findChild<CQuickWatchDialog*>());
}

QTEST_MAIN(TestWatchEndToEnd)
#include "tst_watche2e.moc"

// The namespace explorer through the real window: connecting loads the
// instance's namespaces, selecting a function shows its properties, and a
// double click sends its name as a query; the inventories list what was
// loaded and jump to it.
#include "ScriptedPrompter.h"
#include "InstanceNamespaces.h"
#include "TestInstance.h"
#include "WindowOnInstance.h"
#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "editor/CLookupListBox.h"
#include "editor/CTovoView.h"
#include "explorer/panes/CClassView.h"
#include "explorer/panes/CDlgDependency.h"
#include "explorer/panes/CDlgInventory.h"
#include "explorer/panes/CPropertiesWnd.h"
#include "explorer/panes/NamespaceTreeModel.h"
#include "query/QueryRunner.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

class TestExplorer : public QObject {
    Q_OBJECT
private slots:
    void loadSelectAndQuery();
    void autoCompleteListsTheLoadedNames();
};

void TestExplorer::autoCompleteListsTheLoadedNames()
{
    TestInstance instance;
    InstanceNamespaces::Function upd;
    upd.params = {QStringLiteral("t"), QStringLiteral("x")};
    upd.body = QStringLiteral("{[t;x] t insert x}");
    instance.namespaces().addFunction(QStringLiteral("upd"), upd);
    instance.namespaces().addFunction(QStringLiteral(".feed.upd"), upd);
    InstanceNamespaces::Table trades;
    trades.columns = {{QStringLiteral("sym"), 's', {}, {}}};
    instance.namespaces().addTable(QStringLiteral("trades"), trades);
    instance.namespaces().addVariable(QStringLiteral(".feed.limit"), {-7, 1, 8});
    instance.on(QStringLiteral("slow"), kj(1)).delay(20000);
    QVERIFY(instance.start());
    WindowOnInstance window;
    QVERIFY(window.start(instance.port()));
    CMainFrame* frame = window.frame();
    auto* explorer = window.pane<CClassView>(CMainFrame::NamespaceExplorer);
    QTRY_VERIFY_WITH_TIMEOUT(explorer->model()->indexOf(QStringLiteral(".feed.upd")).isValid(), 10000);
    QTRY_VERIFY(!explorer->isLoading());

    frame->show();
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame));
    auto* view = qobject_cast<CTovoView*>(frame->activeDocument()->view());
    QVERIFY(view);
    view->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), view);
    QVERIFY(frame->action(cmd::AutoComplete)->isEnabled());
    // Ctrl+Space through the window's command: root names, the best one chosen.
    QTest::keyClicks(view, QStringLiteral("x:up"));
    QTest::keyClick(view, Qt::Key_Space, Qt::ControlModifier);
    CLookupListBox* list = view->lookupList();
    QVERIFY(list && list->isVisible());
    QStringList listed;
    for (int i = 0; i < list->count(); ++i)
        listed << list->itemText(i);
    QCOMPARE(listed, QStringList({QStringLiteral("trades"), QStringLiteral("upd[t;x]")}));
    QCOMPARE(list->itemText(list->current()), QStringLiteral("upd[t;x]"));
    if (const QString shots = qEnvironmentVariable("TOVO_SHOTS"); !shots.isEmpty())
        frame->grab().save(shots + QStringLiteral("/autocomplete-window.png"));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(view->text(), QStringLiteral("x:upd[t;x]"));
    QVERIFY(!list->isVisible());
    // A namespace's names without its prefix; "[" inserts the name only.
    QTest::keyClicks(view, QStringLiteral(";.feed.li"));
    QTest::keyClick(view, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(list->isVisible());
    QCOMPARE(list->itemText(list->current()), QStringLiteral("limit"));
    QCOMPARE(list->count(), 2);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClicks(view, QStringLiteral("["));
    QCOMPARE(view->text(), QStringLiteral("x:upd[t;x];.feed.upd["));
    QVERIFY(!list->isVisible());
    // While a query runs, Esc with the list open only hides the list; the
    // next Esc stops the query.
    QueryRunner& runner = window.app()->queryLink()->runner();
    window.app()->queryLink()->run(QStringLiteral("slow"), false);
    QTRY_VERIFY(runner.isRunning());
    QTest::keyClick(view, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(list->isVisible());
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!list->isVisible());
    QVERIFY(runner.isRunning());
    QTest::keyClick(view, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!runner.isRunning(), 5000);
    QCOMPARE(view->text(), QStringLiteral("x:upd[t;x];.feed.upd["));
}

void TestExplorer::loadSelectAndQuery()
{
    TestInstance instance;
    InstanceNamespaces::Function f;
    f.params = {QStringLiteral("t"), QStringLiteral("x")};
    f.body = QStringLiteral("{[t;x] t insert x}");
    f.globals = {QStringLiteral("trades")};
    instance.namespaces().addFunction(QStringLiteral(".feed.upd"), f);
    instance.namespaces().addVariable(QStringLiteral(".feed.trades"), {98, 10, 400});
    InstanceNamespaces::Function run;
    run.params = {QStringLiteral("n")};
    run.body = QStringLiteral("{[n] upd[trades;n]}");
    run.globals = {QStringLiteral("upd"), QStringLiteral("trades")};
    instance.namespaces().addFunction(QStringLiteral(".feed.run"), run);
    K names = ktn(KS, 2);
    kS(names)[0] = ss(const_cast<char*>(".feed.run"));
    kS(names)[1] = ss(const_cast<char*>(".feed.upd"));
    instance.on(QStringLiteral("{x!{.:[x]}each x}(),{x@where {112h<>type .:[x]}each x}(),`.feed.run`.feed.upd"),
                xD(names, knk(2, kj(1), kj(2))));
    instance.on(QStringLiteral(".feed.upd"), kj(7));
    instance.on(QStringLiteral("delete trades from `.feed"), ks(".feed"));
    QVERIFY(instance.start());
    WindowOnInstance window;
    QVERIFY(window.start(instance.port()));
    CMainFrame* frame = window.frame();
    auto* view = window.pane<CClassView>(CMainFrame::NamespaceExplorer);
    auto* properties = window.pane<CPropertiesWnd>(CMainFrame::Properties);
    ScriptedPrompter& prompter = window.prompter();
    QVERIFY(view && properties);

    // Connecting to the server loads its namespaces.
    QTRY_VERIFY_WITH_TIMEOUT(view->model()->indexOf(QStringLiteral(".feed.upd")).isValid(), 10000);
    QTRY_VERIFY(!view->isLoading());

    // Selecting the function shows its properties.
    QVERIFY(view->selectByName(QStringLiteral(".feed.upd")));
    QTreeWidget* grid = properties->grid();
    const auto found = grid->findItems(QStringLiteral("Parameters"), Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.front()->text(1), QStringLiteral("[t;x]"));
    QCOMPARE(grid->topLevelItem(0)->text(0), QStringLiteral("Function"));
    QCOMPARE(view->model()->indexOf(QStringLiteral(".feed.upd")).data().toString(), QStringLiteral("upd[t;x]"));

    // A double click on it sends its name as a query.
    frame->show();
    frame->pane(CMainFrame::NamespaceExplorer)->raise();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    const QModelIndex index = view->model()->indexOf(QStringLiteral(".feed.upd"));
    view->tree()->scrollTo(index);
    const QRect rect = view->tree()->visualRect(index);
    // Not a service query (those name it in their lists): the user's query.
    auto userQuery = [&instance] {
        for (const QString& text : instance.receivedTexts())
            if (text.contains(QStringLiteral(".feed.upd")) && !text.contains(QStringLiteral(".z.tovo.ns")))
                return true;
        return false;
    };
    QVERIFY(!userQuery());
    QVERIFY(!rect.isEmpty());
    QTest::mouseClick(view->tree()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(view->tree()->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_VERIFY_WITH_TIMEOUT(userQuery(), 10000);
    QCOMPARE(properties->queryText(), QStringLiteral(".feed.upd"));
    // The run has ended (the pane may query again) before the window closes.
    QTRY_VERIFY_WITH_TIMEOUT(properties->canQuery(), 10000);

    // Q > Functions Inventory...: the loaded function with its body in the
    // preview; "Close && Jump To" selects it in the tree.
    view->selectByName(QStringLiteral(".feed"));
    QAction* functions = frame->action(cmd::FunctionsInventory);
    QVERIFY(functions->isEnabled());
    QString listed, previewed;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDlgInventory*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        listed = dialog->list()->topLevelItem(0) ? dialog->list()->topLevelItem(0)->text(0) : QString();
        previewed = dialog->preview()->toPlainText();
        if (const QString shots = qEnvironmentVariable("TOVO_SHOTS"); !shots.isEmpty()) {
            dialog->bodyFilter()->setText(QStringLiteral("insert"));
            dialog->refill();
            dialog->list()->setCurrentItem(dialog->list()->topLevelItem(0));
            dialog->grab().save(shots + QStringLiteral("/functions-inventory-body-filter.png"));
            dialog->bodyFilter()->clear();
            dialog->refill();
            dialog->list()->setCurrentItem(dialog->list()->topLevelItem(0));
        }
        dialog->jumpButton()->click();
    });
    functions->trigger();
    QCOMPARE(listed, QStringLiteral(".feed.run"));
    QCOMPARE(previewed, QStringLiteral("{[n] upd[trades;n]}"));
    QCOMPARE(view->selectedName(), QStringLiteral(".feed.run"));
    // The variables inventory lists the table; Close keeps the selection.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDlgInventory*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        listed = dialog->list()->topLevelItem(0) ? dialog->list()->topLevelItem(0)->text(0) : QString();
        dialog->reject();
    });
    frame->action(cmd::VariablesInventory)->trigger();
    QCOMPARE(listed, QStringLiteral(".feed.trades"));
    QCOMPARE(view->selectedName(), QStringLiteral(".feed.run"));

    // Show Dependencies: the tree and the call graph of .feed.run.
    QVERIFY(view->selectByName(QStringLiteral(".feed.run")));
    CDlgDependency* deps = view->showDependencies(CDlgDependency::Dependencies);
    QVERIFY(deps && deps->isVisible());
    QCOMPARE(deps->callGraph(), QStringLiteral(".feed.run[n]\r\n    .feed.upd[t;x]\r\n        .feed.trades (var)\r\n"
                                               "    .feed.trades (var)\r\n"));
    QTreeWidgetItem* top = deps->tree()->topLevelItem(0);
    QCOMPARE(top->text(0), QStringLiteral(".feed.run"));
    QCOMPARE(top->childCount(), 2);
    deps->tree()->setCurrentItem(top->child(0));
    QCOMPARE(deps->upperPane()->toPlainText(), QStringLiteral(".feed.run:{[n] upd[trades;n]}"));
    QCOMPARE(deps->lowerPane()->toPlainText(), QStringLiteral(".feed.upd:{[t;x] t insert x}"));
    if (const QString shots = qEnvironmentVariable("TOVO_SHOTS"); !shots.isEmpty())
        deps->grab().save(shots + QStringLiteral("/dependency-explorer.png"));
    // Show Callers of .feed.upd: .feed.run uses it.
    QVERIFY(view->selectByName(QStringLiteral(".feed.upd")));
    view->showDependencies(CDlgDependency::Callers);
    QCOMPARE(deps->callGraph(), QStringLiteral(".feed.upd[t;x]\r\n    .feed.run[n]\r\n"));
    deps->hide();

    // Get source (w/ all dependents): every function of the walk, in one document.
    QVERIFY(view->selectByName(QStringLiteral(".feed.run")));
    const int before = frame->documentArea()->documents().size();
    view->getSourceWithDependents();
    QTRY_COMPARE_WITH_TIMEOUT(frame->documentArea()->documents().size(), before + 1, 10000);
    QCOMPARE(qobject_cast<CTovoView*>(frame->activeDocument()->view())->text(),
             QStringLiteral(".feed.run:1j;\n\n.feed.upd:2j;\n\n"));
    QVERIFY(view->selectByName(QStringLiteral(".feed.upd")));

    // Get source: the definition in a new, unmodified document.
    const int documents = frame->documentArea()->documents().size();
    view->getSource();
    QTRY_COMPARE_WITH_TIMEOUT(frame->documentArea()->documents().size(), documents + 1, 10000);
    auto* source = qobject_cast<CTovoView*>(frame->activeDocument()->view());
    QVERIFY(source);
    QCOMPARE(source->text(), QStringLiteral(".feed.upd:7j;\n\n"));
    QVERIFY(!source->isModified());

    // Delete from namespace: No sends nothing; Yes sends the delete and the
    // item leaves the tree.
    const QString question = QStringLiteral("You are about to delete trades from `.feed\n Are you absolutely sure???");
    QVERIFY(view->selectByName(QStringLiteral(".feed.trades")));
    prompter.expect(question, QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                    Prompter::Answer::No, Prompter::Answer::No);
    view->deleteSelected();
    QVERIFY(!instance.receivedTexts().contains(QStringLiteral("delete trades from `.feed")));
    prompter.expect(question, QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                    Prompter::Answer::Yes, Prompter::Answer::No);
    view->deleteSelected();
    QTRY_VERIFY_WITH_TIMEOUT(!view->model()->indexOf(QStringLiteral(".feed.trades")).isValid(), 10000);
    QVERIFY(instance.receivedTexts().contains(QStringLiteral("delete trades from `.feed")));
    QCOMPARE(prompter.pending(), 0);
    window.close();
}

QTEST_MAIN(TestExplorer)
#include "tst_explorer.moc"

// The Server View pane as a widget: its commands registered for the focus,
// enabled rules following the selection, Enter, "." and the context menu,
// "Copy connection symbol" and the filter box.
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "connect/CServerView.h"
#include "connect/ServerExplorer.h"
#include "connect/ServerList.h"
#include "core/commands/CommandHandlers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeView>

namespace {
// Records the handlers a pane registers.
class FakeHandlers : public CommandHandlers {
public:
    struct Entry {
        QObject* owner;
        Scope scope;
        Run run;
        Rule enabled;
    };
    QMap<int, Entry> entries;
    void addHandler(int id, QObject* owner, Scope scope, Run run, Rule enabled, Rule) override
    {
        entries.insert(id, {owner, scope, std::move(run), std::move(enabled)});
    }
    void removeHandler(int id, QObject*) override { entries.remove(id); }
    void updateCommands() override {}
};

struct Pane {
    TempHome home;
    ScriptedPrompter prompter;
    std::unique_ptr<ServerList> list;
    std::unique_ptr<ServerExplorer> explorer;
    std::unique_ptr<CServerView> view;
    QStringList connects;
    Pane()
    {
        QFile f(home.filePath("Servers.cfg"));
        if (f.open(QIODevice::WriteOnly))
            f.write("`:h1:5001:u:pw`Prod`ticker\r\n`:h2:5002::`Dev`sandbox\r\n");
        f.close();
        list = std::make_unique<ServerList>(home.filePath("Servers.cfg"), prompter);
        explorer = std::make_unique<ServerExplorer>(*list, prompter, nullptr);
        list->load();
        ServerExplorer::Hooks hooks;
        hooks.connect = [this](const QString& symbol, std::function<void(int)> done) {
            connects.append(symbol);
            explorer->setCurrentServer(symbol);
            done(1);
        };
        explorer->setHooks(hooks);
        view = std::make_unique<CServerView>(*explorer);
        view->show();
    }
    QModelIndex node(int line) { return explorer->model().indexOfLine(line); }
    void select(const QModelIndex& at) { view->tree()->setCurrentIndex(at); }
};
} // namespace

class TestServerView : public QObject {
    Q_OBJECT
private slots:
    void commandsRegisteredForFocus();
    void enterAndDotKeys();
    void contextMenuAndCopy();
    void filterBoxFeedsExplorer();
};

void TestServerView::commandsRegisteredForFocus()
{
    Pane pane;
    FakeHandlers handlers;
    pane.view->registerCommands(handlers);
    QCOMPARE(handlers.entries.size(), ServerExplorer::commands().size());
    const auto edit = handlers.entries.value(ServerExplorer::Edit);
    QCOMPARE(edit.owner, pane.view.get());
    QCOMPARE(edit.scope, CommandHandlers::Scope::Focus);
    pane.select(pane.node(1).parent()); // a folder
    QVERIFY(!edit.enabled());
    QVERIFY(handlers.entries.value(ServerExplorer::NewFolder).enabled());
    pane.select(pane.node(1));
    QVERIFY(edit.enabled());
    handlers.entries.value(ServerExplorer::Connect).run();
    QCOMPARE(pane.connects, QStringList{"`:h1:5001:u:pw"});
}

void TestServerView::enterAndDotKeys()
{
    Pane pane;
    QTreeView* tree = pane.view->tree();
    tree->setFocus();
    const QModelIndex folder = pane.node(2).parent();
    pane.select(folder);
    const bool expanded = tree->isExpanded(folder);
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(tree->isExpanded(folder), !expanded);
    QVERIFY(pane.connects.isEmpty());
    pane.select(pane.node(2));
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(pane.connects, QStringList{"`:h2:5002::"});
    QVERIFY(pane.node(2).data(ServerTreeModel::MarkedRole).toBool());
    QCOMPARE(pane.view->action(ServerExplorer::Connect)->text(), QStringLiteral("Disconnect"));

    pane.prompter.expect(QStringLiteral("Are you sure you want to delete this connection?"), QStringLiteral("Warning"),
                         Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No);
    pane.select(pane.node(1));
    QTest::keyClick(tree, Qt::Key_Period);
    QCOMPARE(pane.prompter.pending(), 0);
}

void TestServerView::contextMenuAndCopy()
{
    Pane pane;
    pane.select(pane.node(1));
    std::unique_ptr<QMenu> menu(pane.view->createContextMenu());
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (off)"));
    QCOMPARE(texts, (QStringList{"Connect", "Launch Tovo", "Add...", "Clone...", "Edit...", "Delete", "New folder... (off)",
                                 "Save to...", "Load from...", "Reload Config", "Copy connection symbol"}));
    pane.view->action(CServerView::CopySymbol)->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("`:h1:5001:u:pw"));
    pane.select(pane.node(1).parent());
    pane.view->updateActions();
    QVERIFY(!pane.view->action(CServerView::CopySymbol)->isEnabled());
    QVERIFY(pane.view->action(ServerExplorer::NewFolder)->isEnabled());
}

void TestServerView::filterBoxFeedsExplorer()
{
    Pane pane;
    QTest::keyClicks(pane.view->filterBox(), QStringLiteral("sand"));
    QCOMPARE(pane.explorer->filterText(), QStringLiteral("sand"));
    pane.explorer->tick();
    pane.explorer->tick();
    QVERIFY(!pane.node(1).isValid());
    QVERIFY(pane.node(2).isValid());
    QVERIFY(pane.view->tree()->isExpanded(pane.node(2).parent()));
    pane.view->action(ServerExplorer::ReloadTree)->trigger();
    QVERIFY(pane.view->filterBox()->text().isEmpty());
    QVERIFY(pane.node(1).isValid());
}

QTEST_MAIN(TestServerView)
#include "tst_serverview.moc"

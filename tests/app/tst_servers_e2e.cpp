// The server tree through the real window: a Servers.cfg of three folders,
// a double click that connects to the scripted instance, the bold node and
// the window title; a filter typed into the pane's box rebuilds the tree once;
// the subscription dialog from the Q menu.
#include "ScriptedFileChooser.h"
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "app/CActionRegistry.h"
#include "app/CConnectComboButton.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "connect/CDlgServerConn.h"
#include "connect/CServerView.h"
#include "connect/ServerExplorer.h"
#include "query/CDlgSubscription.h"
#include "query/SubscriptionFeed.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>

class TestServersEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void doubleClickConnectsAndMarks();
    void filterRebuildsOnce();
    void subscriptionFromMenu();
    void connectToServerCommand();
    void importFromFileMenu();
    // With TOVO_SHOTS set to a folder: pictures of the pane, the dialog and the subscription.
    void screenshots();

private:
    QModelIndex find(const QString& text, const QModelIndex& at = {});

    std::unique_ptr<TestInstance> m_instance;
    std::unique_ptr<TempHome> m_home;
    ScriptedPrompter m_prompter;
    std::unique_ptr<CTovoApp> m_app;
    CServerView* m_view = nullptr;
};

void TestServersEndToEnd::init()
{
    m_instance = std::make_unique<TestInstance>();
    m_instance->addTickerplant({QStringLiteral("trade")}, 100, -1, 3);
    QVERIFY(m_instance->start());
    m_home = std::make_unique<TempHome>();
    QFile file(m_home->filePath("Servers.cfg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("`:prod-a:5001::`Prod`Europe`ticker\r\n"
                              "`:127.0.0.1:%1:alice:secret`Uat`rdb\r\n"
                              "`:dev:7000::`Dev`sandbox\r\n")
                   .arg(m_instance->port())
                   .toLatin1());
    file.close();
    m_app = std::make_unique<CTovoApp>(CommandLine(QStringLiteral("--homedir:%1").arg(m_home->path())), m_prompter,
                                       m_home->store());
    QVERIFY(m_app->initInstance());
    QDockWidget* dock = m_app->mainFrame()->pane(CMainFrame::ServerView);
    m_view = qobject_cast<CServerView*>(dock->widget());
    QVERIFY(m_view);
    dock->show();
    dock->raise();
}

void TestServersEndToEnd::cleanup()
{
    m_app.reset();
    m_instance.reset();
    m_home.reset();
}

void TestServersEndToEnd::importFromFileMenu()
{
    static ScriptedFileChooser chooser; // outlives the window of this test
    m_app->setFileChooser(&chooser);
    CMainFrame* frame = m_app->mainFrame();
    frame->actions().updateCommands();
    QAction* import = frame->action(cmd::ImportServers);
    QVERIFY(import->isEnabled());
    const QByteArray before = [this] {
        QFile f(m_home->filePath("Servers.cfg"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    // Cancelled: nothing happens.
    chooser.plan(QString());
    import->trigger();
    QCOMPARE(chooser.pending(), 0);
    // A file of no known format: said so, the list as it was.
    const QString bad = m_home->filePath("notes.txt");
    {
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("just notes\n");
    }
    chooser.plan(bad);
    m_prompter.expectInform(bad + QStringLiteral(" was not imported: it is none of the server lists Tovo reads: a "
                                                 "Studio for kdb+ properties file (server.NAME.host keys), a kdb-studio "
                                                 "servers file (JSON) or VS Code settings with \"kdb.servers\"."),
                            Prompter::Icon::Error, QStringLiteral("Import Servers"));
    import->trigger();
    QCOMPARE(m_prompter.pending(), 0);
    QFile list(m_home->filePath("Servers.cfg"));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QCOMPARE(list.readAll(), before);
    list.close();
    // VS Code settings: three servers, the tree shows them at once.
    chooser.plan(QStringLiteral(TOVO_IMPORT_FIXTURES "/settings.json"));
    m_prompter.expectInform(QStringLiteral("kdb VS Code extension: 3 servers imported, 0 already in the list skipped."),
                            Prompter::Icon::Information, QStringLiteral("Import Servers"));
    import->trigger();
    QCOMPARE(m_prompter.pending(), 0);
    QVERIFY(find(QStringLiteral("Production")).isValid());
    QVERIFY(find(QStringLiteral("uat")).isValid());
}

QModelIndex TestServersEndToEnd::find(const QString& text, const QModelIndex& at)
{
    const QAbstractItemModel* model = m_view->tree()->model();
    for (int row = 0; row < model->rowCount(at); ++row) {
        const QModelIndex child = model->index(row, 0, at);
        if (child.data().toString() == text)
            return child;
        const QModelIndex deeper = find(text, child);
        if (deeper.isValid())
            return deeper;
    }
    return {};
}

void TestServersEndToEnd::doubleClickConnectsAndMarks()
{
    QTreeView* tree = m_view->tree();
    QCOMPARE(tree->model()->index(0, 0).data().toString(), QStringLiteral("KDB+ Servers"));
    for (const char* folder : {"Prod", "Uat", "Dev"})
        QVERIFY(find(QString::fromLatin1(folder)).isValid());
    const QModelIndex rdb = find(QStringLiteral("rdb"));
    QVERIFY(rdb.isValid());
    QVERIFY(!rdb.data(ServerTreeModel::MarkedRole).toBool());
    tree->expandAll();
    tree->scrollTo(rdb);
    const QRect rect = tree->visualRect(rdb);
    QVERIFY(rect.isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_VERIFY(m_app->mainFrame()->serverText().contains(QString::number(m_instance->port())));
    QVERIFY(find(QStringLiteral("rdb")).data(ServerTreeModel::MarkedRole).toBool());
    QCOMPARE(m_app->mainFrame()->serverTitle(), QStringLiteral("Uat\\rdb"));
    m_app->mainFrame()->onTimer();
    const QString title = m_app->mainFrame()->windowTitle();
    QVERIFY2(title.endsWith(QStringLiteral("Tovo - 127.0.0.1:%1 (Uat\\rdb)").arg(m_instance->port())), qPrintable(title));
    QVERIFY2(!title.contains(QStringLiteral("secret")), qPrintable(title));
    QCOMPARE(m_view->action(ServerExplorer::Connect)->text(), QStringLiteral("Disconnect"));
    QCOMPARE(m_instance->handshakes().last().credentials, QByteArray("alice:secret"));
}

void TestServersEndToEnd::connectToServerCommand()
{
    CMainFrame* frame = m_app->mainFrame();
    QAction* command = frame->action(cmd::ConnectToServer);
    QVERIFY(command->isEnabled());
    // An empty box: the connection dialog opens as "Quick Connect"; Cancel connects nothing.
    frame->connectBox()->setEditText(QString());
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* dialog = qobject_cast<CDlgServerConn*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        shown = dialog->windowTitle();
        dialog->reject();
    });
    command->trigger();
    QVERIFY2(!shown.isEmpty(), "the connection dialog did not open");
    QVERIFY(frame->serverText().isEmpty());
    // The box's text connects at once.
    const QString server = QStringLiteral("127.0.0.1:%1").arg(m_instance->port());
    frame->connectBox()->setEditText(server);
    command->trigger();
    QTRY_VERIFY(frame->serverText().endsWith(server));
}

void TestServersEndToEnd::filterRebuildsOnce()
{
    ServerExplorer& explorer = m_view->explorer();
    const int before = explorer.rebuilds();
    m_view->filterBox()->setFocus();
    QTest::keyClicks(m_view->filterBox(), QStringLiteral("sand"));
    QCOMPARE(explorer.rebuilds(), before);
    // One to two seconds after the last key, once.
    QTRY_COMPARE_WITH_TIMEOUT(explorer.rebuilds(), before + 1, 4000);
    explorer.tick(); // later ticks find nothing new
    explorer.tick();
    QCOMPARE(explorer.rebuilds(), before + 1);
    QVERIFY(find(QStringLiteral("sandbox")).isValid());
    QVERIFY(!find(QStringLiteral("ticker")).isValid());
    QVERIFY(!find(QStringLiteral("rdb")).isValid());
}

void TestServersEndToEnd::subscriptionFromMenu()
{
    m_app->mainFrame()->action(cmd::TestSubscription)->trigger();
    CDlgSubscription* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<CDlgSubscription*>(w))
            dialog = found;
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    dialog->instanceEdit()->setText(QStringLiteral("`:127.0.0.1:%1").arg(m_instance->port()));
    dialog->tableBox()->setEditText(QStringLiteral("trade"));
    dialog->subscribeButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isSubscribed(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->paints() >= 3, 5000);
    dialog->subscribeButton()->click();
    QVERIFY(!dialog->isSubscribed());
}

void TestServersEndToEnd::screenshots()
{
    const QString dir = qEnvironmentVariable("TOVO_SHOTS");
    if (dir.isEmpty())
        QSKIP("TOVO_SHOTS not set");
    CMainFrame* frame = m_app->mainFrame();
    frame->resize(1200, 800);
    m_view->explorer().run(ServerExplorer::ReloadConfig, {});
    m_view->tree()->expandAll();
    const QModelIndex rdb = find(QStringLiteral("rdb"));
    m_view->explorer().activate(rdb);
    QTRY_VERIFY(frame->serverText().contains(QString::number(m_instance->port())));
    frame->onTimer();
    QTest::keyClicks(m_view->filterBox(), QStringLiteral("r"));
    QTRY_VERIFY_WITH_TIMEOUT(!find(QStringLiteral("sandbox")).isValid(), 4000);
    m_view->tree()->expandAll();
    QVERIFY(frame->grab().save(dir + QStringLiteral("/servers-pane-filter.png")));

    ScriptedPrompter prompter;
    auto store = m_home->store();
    const QString symbol = QStringLiteral("`:127.0.0.1:%1:alice:secret").arg(m_instance->port());
    m_instance->addVersionService();
    CDlgServerConn dialog(QStringLiteral("`Uat`rdb"), symbol, false, prompter, *store, frame->qSettings());
    dialog.show();
    prompter.expectInform(QStringLiteral("Successfully connected to ") + symbol, Prompter::Icon::Information,
                          QStringLiteral("Success"));
    QSignalSpy tested(&dialog, &CDlgServerConn::testFinished);
    dialog.testButton()->click();
    QVERIFY(tested.wait(10000));
    QVERIFY(dialog.grab().save(dir + QStringLiteral("/connection-dialog-test.png")));

    m_app->mainFrame()->action(cmd::TestSubscription)->trigger();
    CDlgSubscription* subscription = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<CDlgSubscription*>(w))
            subscription = found;
    QVERIFY(subscription);
    subscription->tableBox()->setEditText(QStringLiteral("trade"));
    subscription->subscribeButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(subscription->paints() >= 20, 5000);
    subscription->updateState();
    QVERIFY(subscription->grab().save(dir + QStringLiteral("/subscription-updates.png")));
    subscription->stop();
}

QTEST_MAIN(TestServersEndToEnd)
#include "tst_servers_e2e.moc"

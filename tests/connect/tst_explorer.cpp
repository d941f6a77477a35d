// The server explorer's logic: filter, marking and title, the pane's commands
// with their dialogs and default names, moving a server between folders and
// quick connect. Dialogs and connects are scripted hooks.
#include "ScriptedFileChooser.h"
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "connect/ConnectionSymbol.h"
#include "connect/ServerExplorer.h"
#include "connect/ServerFilter.h"
#include "connect/ServerList.h"
#include "connect/ServerMarking.h"

#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

using A = Prompter::Answer;
using B = Prompter::Buttons;
using I = Prompter::Icon;
using E = ServerExplorer;

namespace {
QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QStringList treeTexts(const QAbstractItemModel& model, const QModelIndex& at = {}, int level = 0)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(at); ++row) {
        const QModelIndex child = model.index(row, 0, at);
        out << QString(level * 2, u' ') + child.data().toString()
                + (child.data(ServerTreeModel::MarkedRole).toBool() && level > 0 ? QStringLiteral(" *") : QString());
        out << treeTexts(model, child, level + 1);
    }
    return out;
}

const QByteArray kFile = "`:prod1:5001::`Prod`Europe`ticker\r\n"
                         "# comment\r\n"
                         "`:prod2:5002:alice:secret`Prod`rdb\r\n"
                         "`:dev:6000::`Dev`sandbox\r\n"
                         "`:loose:7000::\r\n";

// An explorer over a scripted server list, with hooks that record.
struct Fixture {
    TempHome home;
    ScriptedPrompter prompter;
    ScriptedFileChooser chooser;
    std::unique_ptr<ServerList> list;
    std::unique_ptr<ServerExplorer> explorer;
    QList<E::EditRequest> edits;
    std::optional<E::EditResult> editAnswer;
    QStringList connects;
    int connectResult = 1;
    int disconnects = 0;
    QString folderAnswer;
    QStringList remembered;
    QList<QStringList> launches;

    explicit Fixture(const QByteArray& file = kFile)
    {
        writeFile(home.filePath("Servers.cfg"), file);
        list = std::make_unique<ServerList>(home.filePath("Servers.cfg"), prompter);
        explorer = std::make_unique<ServerExplorer>(*list, prompter, &chooser);
        list->load();
        E::Hooks hooks;
        hooks.editServer = [this](const E::EditRequest& r) {
            edits.append(r);
            return editAnswer;
        };
        hooks.askFolderName = [this] { return folderAnswer; };
        hooks.connect = [this](const QString& symbol, std::function<void(int)> done) {
            connects.append(symbol);
            if (connectResult > 0)
                explorer->setCurrentServer(ConnectionSymbol::normalise(symbol));
            done(connectResult);
        };
        hooks.disconnect = [this] {
            ++disconnects;
            explorer->setCurrentServer(QString());
        };
        hooks.launch = [this](const QString& program, const QStringList& args) {
            launches.append(QStringList{program} + args);
            return true;
        };
        hooks.rememberQuickConnect = [this](const QString& t) { remembered.append(t); };
        explorer->setHooks(hooks);
    }
    ServerTreeModel& model() { return explorer->model(); }
    QModelIndex node(int line) { return model().indexOfLine(line); }
    QModelIndex folder(const QStringList& path)
    {
        QModelIndex at = model().rootIndex();
        for (const QString& part : path) {
            QModelIndex found;
            for (int row = 0; row < model().rowCount(at); ++row)
                if (model().index(row, 0, at).data().toString() == part)
                    found = model().index(row, 0, at);
            at = found;
        }
        return at;
    }
    QString file() { return QString::fromLatin1(readFile(home.filePath("Servers.cfg"))); }
};
} // namespace

class TestExplorer : public QObject {
    Q_OBJECT
private slots:
    void filterMatches_data();
    void filterMatches();
    void filterAdmitsCurrentServer();
    void filterRebuildsOnceAfterTyping();
    void reloadTreeClearsFilter();

    void markingAndTitle_data();
    void markingAndTitle();
    void passwordsNeverShown();

    void commandRules();
    void connectAndDisconnect();
    void connectFailureReported();
    void addDefaultNames_data();
    void addDefaultNames();
    void addTwiceGivesTwoEntries();
    void cloneAndEdit();
    void deleteServerAndFolder();
    void newFolder();
    void launchArguments();
    void saveToAndLoadFrom();
    void dragMovesServer();
    void quickConnect();
};

void TestExplorer::filterMatches_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");
    QTest::newRow("plain") << "tick" << "ticker(`:h:1::)" << true;
    QTest::newRow("case") << "TiCk" << "ticker(`:h:1::)" << true;
    QTest::newRow("pieces in order") << "tic*h:1" << "ticker(`:h:1::)" << true;
    QTest::newRow("pieces out of order") << "h:1*tic" << "ticker(`:h:1::)" << false;
    QTest::newRow("no anchoring") << "cke" << "ticker(`:h:1::)" << true;
    QTest::newRow("only stars") << "***" << "anything" << true;
    QTest::newRow("piece reused") << "t*t" << "t(x)" << false;
    QTest::newRow("missing") << "rdb" << "ticker(`:h:1::)" << false;
}

void TestExplorer::filterMatches()
{
    QFETCH(QString, filter);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    QCOMPARE(ServerFilter::matches(filter, text), matches);
}

void TestExplorer::filterAdmitsCurrentServer()
{
    Fixture fx;
    fx.explorer->setCurrentServer(QStringLiteral("`:DEV:6000::"));
    fx.explorer->filterTyped(QStringLiteral("europe*tick"));
    fx.explorer->tick();
    fx.explorer->tick();
    // "europe" is a folder, not the name: only the current server stays (its
    // symbol compared ignoring case; the marking compares exactly).
    QCOMPARE(treeTexts(fx.model()), (QStringList{"KDB+ Servers", "  Dev", "    sandbox"}));
    QCOMPARE(fx.explorer->title(), QStringLiteral("\\Dev\\sandbox"));
    fx.explorer->filterTyped(QStringLiteral("*"));
    fx.explorer->tick();
    fx.explorer->tick();
    QCOMPARE(treeTexts(fx.model()).size(), 8);
}

void TestExplorer::filterRebuildsOnceAfterTyping()
{
    Fixture fx;
    const int before = fx.explorer->rebuilds();
    for (const char* text : {"r", "rd", "rdb"}) {
        fx.explorer->filterTyped(QString::fromLatin1(text));
        fx.explorer->tick(); // typing recently: no rebuild yet
    }
    QCOMPARE(fx.explorer->rebuilds(), before);
    fx.explorer->tick();
    QCOMPARE(fx.explorer->rebuilds(), before + 1);
    fx.explorer->tick();
    QCOMPARE(fx.explorer->rebuilds(), before + 1);
    QCOMPARE(treeTexts(fx.model()), (QStringList{"KDB+ Servers", "  Prod", "    rdb"}));
    // The same text typed again changes nothing.
    fx.explorer->filterTyped(QStringLiteral("rdb"));
    fx.explorer->tick();
    fx.explorer->tick();
    QCOMPARE(fx.explorer->rebuilds(), before + 1);
}

void TestExplorer::reloadTreeClearsFilter()
{
    Fixture fx;
    fx.explorer->filterTyped(QStringLiteral("rdb"));
    fx.explorer->tick();
    fx.explorer->tick();
    QSignalSpy cleared(fx.explorer.get(), &ServerExplorer::filterCleared);
    fx.explorer->run(E::ReloadTree, {});
    QCOMPARE(cleared.count(), 1);
    QVERIFY(fx.explorer->filterText().isEmpty());
    QCOMPARE(treeTexts(fx.model()).size(), 8);
}

void TestExplorer::markingAndTitle_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QList<int>>("marked");
    QTest::addColumn<QString>("title");
    QTest::newRow("one") << kFile << "`:prod1:5001::" << QList<int>{1} << "Prod\\Europe\\ticker";
    QTest::newRow("normalised, colon added") << kFile << "dev:6000::" << QList<int>{4} << "Dev\\sandbox";
    QTest::newRow("several") << QByteArray("`:h:1::`A`x\r\n`:h:1::`B`y\r\n") << "`:h:1::" << QList<int>{1, 2}
                             << "A\\x\nB\\y";
    QTest::newRow("upper-case fallback") << kFile << "`:PROD1:5001" << QList<int>{} << "\\Prod\\Europe\\ticker";
    QTest::newRow("none") << kFile << "`:other:1::" << QList<int>{} << "";
    QTest::newRow("disconnected") << kFile << "" << QList<int>{} << "";
}

void TestExplorer::markingAndTitle()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, server);
    QFETCH(QList<int>, marked);
    QFETCH(QString, title);
    Fixture fx(file);
    QSignalSpy titles(fx.explorer.get(), &ServerExplorer::titleChanged);
    fx.explorer->setCurrentServer(server);
    QCOMPARE(fx.explorer->title(), title);
    QList<int> lines;
    for (const QModelIndex& at : fx.model().markedIndexes())
        lines.append(at.data(ServerTreeModel::LineRole).toInt());
    QCOMPARE(lines, marked);
    QCOMPARE(titles.count(), title.isEmpty() ? 0 : 1);
    for (int line : marked)
        QCOMPARE(fx.explorer->connectText(fx.node(line)), QStringLiteral("Disconnect"));
    // The marking survives a rebuild.
    fx.explorer->run(E::ReloadConfig, {});
    QCOMPARE(fx.model().markedIndexes().size(), marked.size());
}

void TestExplorer::passwordsNeverShown()
{
    Fixture fx;
    for (int mode : {0, 1, 2}) {
        fx.explorer->setShowServersAs(mode);
        const QString all = treeTexts(fx.model()).join(u'\n');
        QVERIFY2(!all.contains(QStringLiteral("secret")), qPrintable(all));
    }
    fx.explorer->setShowServersAs(1);
    QCOMPARE(fx.node(3).data().toString(), QStringLiteral("rdb(`:prod2:5002:alice:***)"));
    fx.explorer->setCurrentServer(QStringLiteral("`:prod2:5002:alice:secret"));
    QCOMPARE(fx.explorer->title(), QStringLiteral("Prod\\rdb"));
    QCOMPARE(ConnectionSymbol::masked(QStringLiteral("`:h:1:u:p:w")), QStringLiteral("`:h:1:u:***"));
    QCOMPARE(ConnectionSymbol::masked(QStringLiteral("`:h:1:u:")), QStringLiteral("`:h:1:u:"));
}

void TestExplorer::commandRules()
{
    Fixture fx;
    const QModelIndex server = fx.node(1);
    const QModelIndex folder = fx.folder({"Prod"});
    const QModelIndex root = fx.model().rootIndex();
    for (int id : {E::Connect, E::Launch, E::Clone, E::Edit, E::Delete}) {
        QVERIFY(fx.explorer->isEnabled(id, server));
        QVERIFY(!fx.explorer->isEnabled(id, folder));
        QVERIFY(!fx.explorer->isEnabled(id, {}));
    }
    QVERIFY(fx.explorer->isEnabled(E::NewFolder, folder));
    QVERIFY(fx.explorer->isEnabled(E::NewFolder, root));
    QVERIFY(!fx.explorer->isEnabled(E::NewFolder, server));
    for (int id : {E::Add, E::SaveTo, E::LoadFrom, E::ReloadConfig}) {
        QVERIFY(fx.explorer->isEnabled(id, server));
        QVERIFY(fx.explorer->isEnabled(id, folder));
        QVERIFY(fx.explorer->isEnabled(id, {}));
    }
    QCOMPARE(fx.explorer->connectText(server), QStringLiteral("Connect"));
}

void TestExplorer::connectAndDisconnect()
{
    Fixture fx;
    fx.explorer->activate(fx.node(1));
    QCOMPARE(fx.connects, QStringList{"`:prod1:5001::"});
    QCOMPARE(fx.explorer->title(), QStringLiteral("Prod\\Europe\\ticker"));
    QVERIFY(fx.node(1).data(ServerTreeModel::MarkedRole).toBool());
    // Connect on the current server disconnects.
    fx.explorer->run(E::Connect, fx.node(1));
    QCOMPARE(fx.disconnects, 1);
    QCOMPARE(fx.connects.size(), 1);
    QVERIFY(fx.explorer->title().isEmpty());
    QVERIFY(!fx.node(1).data(ServerTreeModel::MarkedRole).toBool());
    // Enter on a folder connects nothing.
    fx.explorer->activate(fx.folder({"Prod"}));
    QCOMPARE(fx.connects.size(), 1);
}

void TestExplorer::connectFailureReported()
{
    Fixture fx;
    fx.connectResult = -1;
    fx.prompter.expectInform(QStringLiteral("Unable to connect to `:dev:6000::"), I::Error, QStringLiteral("Error"));
    fx.explorer->run(E::Connect, fx.node(4));
    QCOMPARE(fx.prompter.pending(), 0);
}

void TestExplorer::addDefaultNames_data()
{
    QTest::addColumn<QStringList>("select"); // a folder path, or "line" and a number
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("namePath");
    QTest::newRow("nothing selected") << QStringList{} << false << "`New server";
    QTest::newRow("root") << QStringList{"root"} << false << "`New server";
    QTest::newRow("folder") << QStringList{"Prod", "Europe"} << false << "`Prod`Europe`New server";
    QTest::newRow("server's folder") << QStringList{"line", "3"} << false << "`Prod`New server";
    QTest::newRow("connected") << QStringList{"Dev"} << true << "`Dev`Current server";
}

void TestExplorer::addDefaultNames()
{
    QFETCH(QStringList, select);
    QFETCH(bool, connected);
    QFETCH(QString, namePath);
    Fixture fx;
    if (connected)
        fx.explorer->setCurrentServer(QStringLiteral("`:prod1:5001::"));
    QModelIndex at;
    if (select.value(0) == QStringLiteral("line"))
        at = fx.node(select.value(1).toInt());
    else if (select.value(0) == QStringLiteral("root"))
        at = fx.model().rootIndex();
    else if (!select.isEmpty())
        at = fx.folder(select);
    fx.explorer->run(E::Add, at);
    QCOMPARE(fx.edits.size(), 1);
    QCOMPARE(fx.edits[0].namePath, namePath);
    QCOMPARE(fx.edits[0].symbol, connected ? QStringLiteral("`:prod1:5001::") : QString());
    QVERIFY(fx.edits[0].addMode);
    QVERIFY(fx.file().toLatin1() == kFile); // cancelled: nothing written
}

void TestExplorer::addTwiceGivesTwoEntries()
{
    Fixture fx;
    fx.editAnswer = E::EditResult{QStringLiteral("`Dev`New server"), QStringLiteral("`:n:1::"), false};
    fx.explorer->run(E::Add, fx.folder({"Dev"}));
    fx.prompter.expect(QStringLiteral("The name you've chosen already in use for symbol:\n`:n:1::\n"
                                      "Are you sure you want to replace it with:\n`:n:1:: ?"),
                       QStringLiteral("Warning"), B::YesNo, I::Warning, A::No, A::No);
    fx.explorer->run(E::Add, fx.folder({"Dev"}));
    QCOMPARE(fx.prompter.pending(), 0);
    QVERIFY(fx.connects.isEmpty());
    QCOMPARE(fx.file().count(QStringLiteral("`:n:1::`Dev`New server")), 1);
    // Without the list's name check (a name typed twice into the file by hand) both show.
    writeFile(fx.home.filePath("Servers.cfg"), "`:n:1::`Dev`New server\r\n`:n:2::`Dev`New server\r\n");
    fx.explorer->run(E::ReloadConfig, {});
    QCOMPARE(treeTexts(fx.model()), (QStringList{"KDB+ Servers", "  Dev", "    New server", "    New server"}));
}

void TestExplorer::cloneAndEdit()
{
    Fixture fx;
    fx.explorer->run(E::Clone, fx.node(3));
    QCOMPARE(fx.edits.last().namePath, QStringLiteral("`Prod`Copy of rdb"));
    QCOMPARE(fx.edits.last().symbol, QStringLiteral("`:prod2:5002:alice:secret"));

    fx.editAnswer = E::EditResult{QStringLiteral("`Dev`sandbox2"), QStringLiteral("`:dev:6001::"), true};
    fx.explorer->run(E::Edit, fx.node(4));
    QCOMPARE(fx.edits.last().namePath, QStringLiteral("`Dev`sandbox"));
    QVERIFY(!fx.edits.last().addMode);
    QCOMPARE(fx.file(), QStringLiteral("`:prod1:5001::`Prod`Europe`ticker\r\n# comment\r\n"
                                       "`:prod2:5002:alice:secret`Prod`rdb\r\n`:dev:6001::`Dev`sandbox2\r\n"
                                       "`:loose:7000::\r\n"));
    // Connect after saving was ticked.
    QCOMPARE(fx.connects, QStringList{"`:dev:6001::"});
    QCOMPARE(fx.explorer->title(), QStringLiteral("Dev\\sandbox2"));
}

void TestExplorer::deleteServerAndFolder()
{
    Fixture fx;
    fx.explorer->run(E::Delete, fx.folder({"Prod"})); // no question, nothing written
    QCOMPARE(fx.file().toLatin1(), kFile);
    fx.prompter.expect(QStringLiteral("Are you sure you want to delete this connection?"), QStringLiteral("Warning"),
                       B::YesNo, I::Warning, A::Yes, A::No);
    fx.explorer->run(E::Delete, fx.node(3));
    QCOMPARE(fx.prompter.pending(), 0);
    QVERIFY(!fx.file().contains(QStringLiteral("rdb")));
    QVERIFY(fx.file().contains(QStringLiteral("# comment")));
}

void TestExplorer::newFolder()
{
    Fixture fx;
    QSignalSpy added(fx.explorer.get(), &ServerExplorer::folderAdded);
    fx.folderAnswer = QStringLiteral("`A`sia`");
    fx.explorer->run(E::NewFolder, fx.folder({"Prod"}));
    QCOMPARE(added.count(), 1);
    const QModelIndex folder = added.at(0).at(0).value<QModelIndex>();
    QCOMPARE(folder.data().toString(), QStringLiteral("Asia"));
    QCOMPARE(fx.model().namePathOf(folder), QStringLiteral("`Prod`Asia"));
    QCOMPARE(fx.file().toLatin1(), kFile); // not stored until an entry is saved in it
    fx.explorer->run(E::Add, folder);
    QCOMPARE(fx.edits.last().namePath, QStringLiteral("`Prod`Asia`New server"));
    fx.folderAnswer = QStringLiteral("``");
    fx.explorer->run(E::NewFolder, fx.folder({"Prod"}));
    QCOMPARE(added.count(), 1);
}

void TestExplorer::launchArguments()
{
    Fixture fx;
    fx.explorer->setProgram(QStringLiteral("/opt/tovo"));
    fx.explorer->run(E::Launch, fx.node(1));
    QCOMPARE(fx.launches.value(0), (QStringList{"/opt/tovo", "--server:\"`:prod1:5001::\"", "--profile:\"`:prod1:5001::\""}));
}

void TestExplorer::saveToAndLoadFrom()
{
    Fixture fx;
    const QString copy = fx.home.filePath("copy.cfg");
    fx.chooser.plan(copy);
    fx.explorer->run(E::SaveTo, {});
    QCOMPARE(readFile(copy), kFile);
    writeFile(copy, "`:other:1::`Other`one\r\n");
    fx.chooser.plan(copy);
    fx.explorer->run(E::LoadFrom, {});
    QCOMPARE(treeTexts(fx.model()), (QStringList{"KDB+ Servers", "  Other", "    one"}));
    fx.chooser.plan(QString()); // cancelled
    fx.explorer->run(E::LoadFrom, {});
    QCOMPARE(fx.file(), QStringLiteral("`:other:1::`Other`one\r\n"));
}

void TestExplorer::dragMovesServer()
{
    Fixture fx;
    QModelIndex server = fx.node(4);
    std::unique_ptr<QMimeData> data(fx.model().mimeData({server}));
    QVERIFY(data);
    QVERIFY(!fx.model().canDropMimeData(data.get(), Qt::MoveAction, -1, -1, fx.node(1)));
    const QModelIndex europe = fx.folder({"Prod", "Europe"});
    QVERIFY(fx.model().canDropMimeData(data.get(), Qt::MoveAction, -1, -1, europe));
    QVERIFY(!fx.model().dropMimeData(data.get(), Qt::MoveAction, -1, -1, europe)); // the view removes nothing
    QTRY_VERIFY(fx.file().contains(QStringLiteral("`:dev:6000::`Prod`Europe`sandbox")));
    QCOMPARE(fx.file(), QStringLiteral("`:prod1:5001::`Prod`Europe`ticker\r\n# comment\r\n"
                                       "`:prod2:5002:alice:secret`Prod`rdb\r\n`:dev:6000::`Prod`Europe`sandbox\r\n"
                                       "`:loose:7000::\r\n"));
    // Onto the root, and onto a name already used there (asked, as Edit asks).
    fx.explorer->moveServer(4, QString());
    QVERIFY(fx.file().contains(QStringLiteral("`:dev:6000::`sandbox\r\n")));
    writeFile(fx.home.filePath("Servers.cfg"), "`:a:1::`X`s\r\n`:b:2::`Y`s\r\n");
    fx.explorer->run(E::ReloadConfig, {});
    fx.prompter.expect(QStringLiteral("The name you've chosen already in use for symbol:\n`:b:2::\n"
                                      "Are you sure you want to replace it with:\n`:a:1:: ?"),
                       QStringLiteral("Warning"), B::YesNo, I::Warning, A::No, A::No);
    fx.explorer->moveServer(1, QStringLiteral("`Y"));
    QCOMPARE(fx.prompter.pending(), 0);
    QCOMPARE(fx.file(), QStringLiteral("`:a:1::`X`s\r\n`:b:2::`Y`s\r\n"));
}

void TestExplorer::quickConnect()
{
    Fixture fx;
    fx.explorer->quickConnect(QStringLiteral("  h:5001  "));
    QCOMPARE(fx.connects, QStringList{"h:5001"});
    QCOMPARE(fx.remembered, QStringList{"h:5001"});
    QVERIFY(fx.edits.isEmpty());

    // A failed connect opens the dialog; OK connects to its symbol, nothing saved.
    fx.connectResult = -1;
    fx.editAnswer = E::EditResult{QStringLiteral("`Quick Connect`New server"), QStringLiteral("`:h:5002::"), true};
    fx.explorer->quickConnect(QStringLiteral("h:5002"));
    QCOMPARE(fx.edits.size(), 1);
    QCOMPARE(fx.edits[0].namePath, QStringLiteral("`Quick Connect`New server"));
    QCOMPARE(fx.edits[0].symbol, QStringLiteral("h:5002"));
    QCOMPARE(fx.connects, (QStringList{"h:5001", "h:5002", "`:h:5002::"}));
    QCOMPARE(fx.file().toLatin1(), kFile);

    // A lone backquote is empty: the dialog, no connect first.
    fx.explorer->quickConnect(QStringLiteral("`"));
    QCOMPARE(fx.edits.size(), 2);
    QCOMPARE(fx.edits[1].symbol, QString());
    QCOMPARE(fx.remembered.size(), 2);
}

QTEST_GUILESS_MAIN(TestExplorer)
#include "tst_explorer.moc"

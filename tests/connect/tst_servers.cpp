#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "connect/ConnectionSymbol.h"
#include "connect/ServerList.h"
#include "connect/ServerTreeModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using A = Prompter::Answer;
using B = Prompter::Buttons;
using I = Prompter::Icon;

namespace {
constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

// While it lives, no file of this process can grow (RLIMIT_FSIZE 0, SIGXFSZ
// ignored): writes fail whoever runs the test.
class NoFileGrowth {
public:
    NoFileGrowth()
    {
#ifndef Q_OS_WIN
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (getrlimit(RLIMIT_FSIZE, &m_old) == 0) {
            rlimit none = m_old;
            none.rlim_cur = 0;
            m_active = setrlimit(RLIMIT_FSIZE, &none) == 0;
        }
#endif
    }
    ~NoFileGrowth()
    {
#ifndef Q_OS_WIN
        if (m_active)
            setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
#endif
    }
    bool active() const { return m_active; }

private:
    bool m_active = false;
#ifndef Q_OS_WIN
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
#endif
};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

const QString deleteText = QStringLiteral("Are you sure you want to delete this connection?");

QString conflictText(const QString& stored, const QString& wanted)
{
    return QStringLiteral("The name you've chosen already in use for symbol:\n") + stored
        + QStringLiteral("\nAre you sure you want to replace it with:\n") + wanted + QStringLiteral(" ?");
}

// The tree's texts, depth first, indented by level.
QStringList treeTexts(const ServerTreeModel& model, const QModelIndex& at = {}, int level = 0)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(at); ++row) {
        const QModelIndex child = model.index(row, 0, at);
        out << QString(level * 2, u' ') + child.data().toString();
        out << treeTexts(model, child, level + 1);
    }
    return out;
}
} // namespace

class TestServers : public QObject {
    Q_OBJECT
private slots:
    void compose_data();
    void compose();
    void normalise_data();
    void normalise();
    void parse_data();
    void parse();

    void loadGrammar();
    void missingFileIsCreated();
    void hostileFilesAreRefused();
    void rewritesKeepLinkAndPermissions();
    void unopenableFileReportsFatal();
    void appendLineBreakRule_data();
    void appendLineBreakRule();
    void editInPlaceKeepsOtherLines();
    void nameConflict_data();
    void nameConflict();
    void deleteEntries();
    void failedRewriteLeavesFileWhole();
    void saveToAndLoadFrom();

    void treeShowAs_data();
    void treeShowAs();
    void treeFoldersAndDuplicates();
};

void TestServers::compose_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("symbol");
    QTest::newRow("no credentials") << "dbhost" << 5001 << "" << "" << "`:dbhost:5001::";
    QTest::newRow("credentials") << "dbhost" << 5001 << "u" << "p:w" << "`:dbhost:5001:u:p:w";
    QTest::newRow("port 0") << "dbhost" << 0 << "u" << "p" << "`:dbhost::u:p";
    QTest::newRow("trailing blanks trimmed") << "h" << 1 << "u" << "p  " << "`:h:1:u:p";
}

void TestServers::compose()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, symbol);
    QCOMPARE(ConnectionSymbol::compose(host, port, user, password), symbol);
}

void TestServers::normalise_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("host:port") << "h:5001" << "`:h:5001";
    QTest::newRow("`host:port") << "`h:5001" << "`:h:5001";
    QTest::newRow("already") << "`:h:5001:u:p" << "`:h:5001:u:p";
    QTest::newRow(":host:port") << ":h:5001" << "`:h:5001";
    QTest::newRow("host only") << "h" << "`:h";
    QTest::newRow("empty") << "" << "";
}

void TestServers::normalise()
{
    QFETCH(QString, text);
    QFETCH(QString, normalised);
    QCOMPARE(ConnectionSymbol::normalise(text), normalised);
}

void TestServers::parse_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("credentials");
    QTest::newRow("full") << "`:dbhost:5001:u:p" << "dbhost" << 5001 << "u:p";
    QTest::newRow("password with colons") << "`:h:5001:u:p:q" << "h" << 5001 << "u:p:q";
    QTest::newRow("empty credentials") << "`:h:5001::" << "h" << 5001 << ":";
    QTest::newRow("password only") << "`:h:5001::pw" << "h" << 5001 << ":pw";
    QTest::newRow("empty host") << "`::5001" << "" << 5001 << "";
    QTest::newRow("no port") << "`:h" << "h" << 0 << "";
    QTest::newRow("bare host") << "h" << "h" << 0 << "";
    QTest::newRow("bare host:port") << "h:7" << "h" << 7 << "";
    QTest::newRow("port not a number") << "`:h:abc:u:p" << "h" << 0 << "u:p";
    QTest::newRow("port leading digits") << "`:h:12x:u" << "h" << 12 << "u";
    QTest::newRow("huge port saturates") << "`:h:99999999999999999999" << "h" << INT_MAX << "";
}

void TestServers::parse()
{
    QFETCH(QString, symbol);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, credentials);
    const ConnectionTarget t = ConnectionSymbol::parse(symbol);
    QCOMPARE(t.host, host);
    QCOMPARE(t.port, port);
    QCOMPARE(t.credentials, credentials);
}

void TestServers::loadGrammar()
{
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    writeFile(path, "`:dbhost:5001::`Production`ticker\r\n"
                    "# a comment\n"
                    "   `:h2:5002:u:p`Production`Europe`rdb\n"
                    "\r\n"
                    "`:solo:1::\r\n"
                    "``:h3:5003::`Production`ticker\r\n"
                    "x`:h4:5004::`ignored");
    ScriptedPrompter prompter;
    ServerList list(path, prompter);
    QVERIFY(list.load());
    const QList<ServerEntry>& e = list.entries();
    QCOMPARE(e.size(), 4);
    QCOMPARE(e[0].line, 1);
    QCOMPARE(e[0].symbol, "`:dbhost:5001::");
    QCOMPARE(e[0].namePath, "`Production`ticker");
    QCOMPARE(e[1].line, 3);
    QCOMPARE(e[1].symbol, "`:h2:5002:u:p");
    QCOMPARE(e[1].components(), QStringList({"Production", "Europe", "rdb"}));
    QCOMPARE(e[2].line, 5);
    QVERIFY(!e[2].hasNamePath);
    QCOMPARE(e[2].namePath, "`:solo:1::");
    QCOMPARE(e[3].line, 6);
    QCOMPARE(e[3].symbol, "`:h3:5003::");
    // Two entries of one name: the later line's symbol wins in the map.
    QCOMPARE(list.symbolFor("`Production`ticker"), "`:h3:5003::");
    QCOMPARE(list.map().size(), 3);
    QCOMPARE(list.entryAt(3)->namePath, "`Production`Europe`rdb");
    QVERIFY(!list.entryAt(2));
}

void TestServers::missingFileIsCreated()
{
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    ScriptedPrompter prompter;
    ServerList list(path, prompter);
    QVERIFY(list.load());
    QVERIFY(QFile::exists(path));
    QVERIFY(list.entries().isEmpty());
    // It will hold passwords: nobody but the user may read it.
    QCOMPARE(QFile::permissions(path) & kOthers, QFileDevice::Permissions());
}

void TestServers::hostileFilesAreRefused()
{
#ifdef Q_OS_WIN
    QSKIP("FIFOs and device links are POSIX");
#else
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    ScriptedPrompter prompter;
    // A FIFO would block the reader for ever, a link to /dev/zero never end.
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    ServerList fifo(path, prompter);
    QVERIFY(!fifo.load());
    QCOMPARE(fifo.errorString(), QStringLiteral("not a regular file"));
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    ServerList device(path, prompter);
    QVERIFY(!device.load());
    QVERIFY(QFile::remove(path));
    // Beyond the size bound: refused, not read.
    QFile big(path);
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(ServerList::kMaxFileBytes + 1));
    big.close();
    ServerList huge(path, prompter);
    QVERIFY(!huge.load());
    QVERIFY(huge.errorString().contains(QStringLiteral("larger")));
#endif
}

void TestServers::rewritesKeepLinkAndPermissions()
{
#ifdef Q_OS_WIN
    QSKIP("links and POSIX permissions");
#else
    // Servers.cfg is a link to a private file kept elsewhere; every kind of change goes to that file.
    TempHome home, elsewhere;
    const QString real = elsewhere.filePath("servers-real.cfg");
    writeFile(real, "`:a:1:u:secret`a\r\n");
    QVERIFY(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QString path = home.filePath("Servers.cfg");
    QVERIFY(QFile::link(real, path));
    ScriptedPrompter prompter;
    prompter.expect(deleteText, "Warning", B::YesNo, I::Warning, A::Yes, A::No);
    ServerList list(path, prompter);
    QVERIFY(list.load());
    QCOMPARE(list.save("`b", "`:b:2:u:pw", QString(), 0), ServerList::Result::Done); // added
    QCOMPARE(list.save("`a", "`:a:3:u:secret", "`a", 1), ServerList::Result::Done); // edited
    QCOMPARE(list.remove("`b", 2), ServerList::Result::Done);                         // deleted
    QVERIFY(QFileInfo(path).isSymLink());
    QCOMPARE(readFile(real), QByteArray("`:a:3:u:secret`a\r\n"));
    QCOMPARE(QFile::permissions(real) & kOthers, QFileDevice::Permissions());
    // No temporary file is left in either folder.
    QCOMPARE(QDir(home.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList {"Servers.cfg"});
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList {"servers-real.cfg"});
    // A list the user shares with the group stays shared after a rewrite.
    QVERIFY(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    QCOMPARE(list.save("`c", "`:c:4::", QString(), 0), ServerList::Result::Done);
    QCOMPARE(QFile::permissions(real) & kOthers, QFileDevice::Permissions(QFileDevice::ReadGroup));
    QCOMPARE(prompter.pending(), 0);
#endif
}

void TestServers::unopenableFileReportsFatal()
{
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    QVERIFY(QDir(home.path()).mkdir("Servers.cfg")); // a folder cannot be opened as the file
    ScriptedPrompter prompter;
    prompter.expect(QStringLiteral("Can't open file ") + path
                        + " for writing.\nMake sure readonly attribute is off and you have permissions for tovo dir, "
                          "then try launching tovo again.",
                    "Tovo - Fatal startup error", B::Ok, I::Error, A::Ok);
    ServerList list(path, prompter);
    QVERIFY(!list.loadOrReport());
    QCOMPARE(prompter.pending(), 0);
}

void TestServers::appendLineBreakRule_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("empty file") << QByteArray() << QByteArray("`:n:1::`new");
    QTest::newRow("last line without break") << QByteArray("# c") << QByteArray("# c\r\n`:n:1::`new");
    QTest::newRow("ends in CRLF") << QByteArray("# c\r\n") << QByteArray("# c\r\n`:n:1::`new");
    QTest::newRow("ends in LF") << QByteArray("# c\n") << QByteArray("# c\n`:n:1::`new");
    QTest::newRow("one byte") << QByteArray("x") << QByteArray("x\r\n`:n:1::`new");
}

void TestServers::appendLineBreakRule()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    writeFile(path, before);
    ScriptedPrompter prompter;
    ServerList list(path, prompter);
    QVERIFY(list.load());
    QCOMPARE(list.save("`new", "`:n:1::", QString(), 0), ServerList::Result::Done);
    QCOMPARE(readFile(path), after);
    QCOMPARE(list.symbolFor("`new"), "`:n:1::");
}

void TestServers::editInPlaceKeepsOtherLines()
{
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    writeFile(path, "# head\n`:a:1::`A`one\r\n  not an entry\n`:b:2::`B`two");
    ScriptedPrompter prompter;
    ServerList list(path, prompter);
    QVERIFY(list.load());
    QCOMPARE(list.save("`A`uno", "`:a:9:u:p", "`A`one", 2), ServerList::Result::Done);
    QCOMPARE(readFile(path), QByteArray("# head\r\n`:a:9:u:p`A`uno\r\n  not an entry\r\n`:b:2::`B`two\r\n"));
    QCOMPARE(QDir(home.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList {"Servers.cfg"});
    QCOMPARE(list.entries().size(), 2);
    QCOMPARE(list.entryAt(2)->namePath, "`A`uno");
}

void TestServers::nameConflict_data()
{
    QTest::addColumn<int>("replaceAnswer");
    QTest::addColumn<int>("deleteAnswer");
    QTest::addColumn<QByteArray>("after");
    const QByteArray before = "`:x:1::`dup\r\n# keep\r\n`:e:2::`edit\r\n";
    QTest::newRow("No keeps the file") << int(A::No) << -1 << before;
    QTest::newRow("Yes, Yes replaces") << int(A::Yes) << int(A::Yes) << QByteArray("# keep\r\n`:e:3::`dup\r\n");
    QTest::newRow("Yes, then No to the delete")
        << int(A::Yes) << int(A::No) << QByteArray("`:x:1::`dup\r\n# keep\r\n`:e:3::`dup\r\n");
}

// Renaming the entry on line 3 to a name that line 1 holds: the duplicate is
// deleted first, and the edit still lands on the edited entry's line.
void TestServers::nameConflict()
{
    QFETCH(int, replaceAnswer);
    QFETCH(int, deleteAnswer);
    QFETCH(QByteArray, after);
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    writeFile(path, "`:x:1::`dup\r\n# keep\r\n`:e:2::`edit\r\n");
    ScriptedPrompter prompter;
    prompter.expect(conflictText("`:x:1::", "`:e:3::"), "Warning", B::YesNo, I::Warning, A(replaceAnswer), A::No);
    if (deleteAnswer >= 0)
        prompter.expect(deleteText, "Warning", B::YesNo, I::Warning, A(deleteAnswer), A::No);
    ServerList list(path, prompter);
    QVERIFY(list.load());
    const auto result = list.save("`dup", "`:e:3::", "`edit", 3);
    QCOMPARE(result, replaceAnswer == int(A::No) ? ServerList::Result::Cancelled : ServerList::Result::Done);
    QCOMPARE(readFile(path), after);
    QCOMPARE(prompter.pending(), 0);
}

void TestServers::deleteEntries()
{
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    writeFile(path, "`:a:1::`a\r\n# c\r\n`:a:1::`a\r\n`:b:2::`b\r\n `:a:1::`a\r\n");
    ScriptedPrompter prompter;
    prompter.expect(deleteText, "Warning", B::YesNo, I::Warning, A::No, A::No);
    prompter.expect(deleteText, "Warning", B::YesNo, I::Warning, A::Yes, A::No);
    prompter.expect(deleteText, "Warning", B::YesNo, I::Warning, A::Yes, A::No);
    ServerList list(path, prompter);
    QVERIFY(list.load());
    QCOMPARE(list.remove("`b", 4), ServerList::Result::Cancelled);
    QCOMPARE(list.entries().size(), 4);
    QCOMPARE(list.remove("`b", 4), ServerList::Result::Done);
    QCOMPARE(readFile(path), QByteArray("`:a:1::`a\r\n# c\r\n`:a:1::`a\r\n `:a:1::`a\r\n"));
    // By name: every line that is exactly the symbol and the name path.
    QCOMPARE(list.remove("`a", 0), ServerList::Result::Done);
    QCOMPARE(readFile(path), QByteArray("# c\r\n `:a:1::`a\r\n"));
    QCOMPARE(list.entries().size(), 1);
    QCOMPARE(list.entries()[0].line, 2);
}

void TestServers::failedRewriteLeavesFileWhole()
{
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    const QByteArray before = "# c\n`:a:1::`a\r\n`:b:2::`b";
    writeFile(path, before);
    ScriptedPrompter prompter;
    prompter.expect(deleteText, "Warning", B::YesNo, I::Warning, A::Yes, A::No);
    ServerList list(path, prompter);
    QVERIFY(list.load());
    {
        // No file may grow (not even for root): writing the temporary file fails.
        NoFileGrowth noGrowth;
        if (!noGrowth.active())
            QSKIP("file sizes cannot be capped here");
        QCOMPARE(list.save("`a", "`:a:7::", "`a", 2), ServerList::Result::Failed);
        QCOMPARE(readFile(path), before);
        QCOMPARE(list.remove("`b", 3), ServerList::Result::Failed);
        QCOMPARE(readFile(path), before);
        QCOMPARE(list.save("`n", "`:n:1::", QString(), 0), ServerList::Result::Failed); // an added entry too
        QCOMPARE(readFile(path), before);
    }
    QCOMPARE(list.entries().size(), 2);
    QCOMPARE(QDir(home.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList {"Servers.cfg"});
}

void TestServers::saveToAndLoadFrom()
{
    TempHome home;
    const QString path = home.filePath("Servers.cfg");
    writeFile(path, "`:a:1::`a\r\n");
    ScriptedPrompter prompter;
    ServerList list(path, prompter);
    QVERIFY(list.load());
    const QString copy = home.filePath("copy.cfg");
    writeFile(copy, "old contents that are longer than the new ones");
    QVERIFY(list.saveTo(copy));
    QCOMPARE(readFile(copy), QByteArray("`:a:1::`a\r\n"));

    const QString other = home.filePath("other.cfg");
    writeFile(other, "`:z:9::`F`z\n");
    int reloads = 0;
    connect(&list, &ServerList::reloaded, this, [&] { ++reloads; });
    QVERIFY(list.loadFrom(other));
    QCOMPARE(reloads, 1);
    QCOMPARE(readFile(path), QByteArray("`:z:9::`F`z\n"));
    QCOMPARE(list.symbolFor("`F`z"), "`:z:9::");
    QVERIFY(!list.contains("`a"));
    QVERIFY(!list.loadFrom(home.filePath("missing.cfg")));
    QCOMPARE(readFile(path), QByteArray("`:z:9::`F`z\n"));
}

void TestServers::treeShowAs_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << "`:h:5001::" << 0 << "x";
    QTest::newRow("1") << "`:h:5001::" << 1 << "x(`:h:5001::)";
    QTest::newRow("2") << "`:h:5001::" << 2 << "x(`:h:5001)";
    QTest::newRow("2 with credentials") << "`:h:5001:u:p" << 2 << "x(`:h:5001)";
    QTest::newRow("2 fewer colons") << "`:h" << 2 << "x(`:h)";
}

void TestServers::treeShowAs()
{
    QFETCH(QString, symbol);
    QFETCH(int, mode);
    QFETCH(QString, text);
    TempHome home;
    writeFile(home.filePath("Servers.cfg"), (symbol + "`F`x").toLatin1());
    ScriptedPrompter prompter;
    ServerList list(home.filePath("Servers.cfg"), prompter);
    QVERIFY(list.load());
    ServerTreeModel model;
    model.setShowServersAs(mode);
    model.setServerList(&list);
    QCOMPARE(treeTexts(model), QStringList({"KDB+ Servers", "  F", "    " + text}));
}

void TestServers::treeFoldersAndDuplicates()
{
    TempHome home;
    writeFile(home.filePath("Servers.cfg"), "`:a:1::`P`E`a\r\n"
                                            "`:b:2::`p`b\r\n"
                                            "`:c:3::`P`c\r\n"
                                            "`:solo:4::\r\n"
                                            "`:d:5::`P`E`a\r\n");
    ScriptedPrompter prompter;
    ServerList list(home.filePath("Servers.cfg"), prompter);
    QVERIFY(list.load());
    ServerTreeModel model;
    model.setServerList(&list);
    QCOMPARE(treeTexts(model), QStringList({"KDB+ Servers", "  P", "    E", "      a", "      a", "    c", "  p", "    b",
                                            "  `:solo:4::"}));
    const QModelIndex second = model.indexOfLine(5);
    QVERIFY(second.isValid());
    QCOMPARE(second.data(ServerTreeModel::SymbolRole).toString(), "`:d:5::");
    QCOMPARE(second.data(ServerTreeModel::LineRole).toInt(), 5);
    QCOMPARE(model.parent(second).data().toString(), "E");
    QVERIFY(!model.rootIndex().data(ServerTreeModel::LineRole).isValid());
    // The model follows the list's reloads.
    prompter.expect(deleteText, "Warning", B::YesNo, I::Warning, A::Yes, A::No);
    QCOMPARE(list.remove("`P`c", 3), ServerList::Result::Done);
    QCOMPARE(treeTexts(model), QStringList({"KDB+ Servers", "  P", "    E", "      a", "      a", "  p", "    b",
                                            "  `:solo:4::"}));
}

QTEST_GUILESS_MAIN(TestServers)
#include "tst_servers.moc"

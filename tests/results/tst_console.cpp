#include "results/ConsoleTranscript.h"
#include "results/SymbolList.h"

#include <QTest>

class TestConsole : public QObject {
    Q_OBJECT
private slots:
    void keepsNewestQueries();
    void trimDropsLeadingMessages();
    void echoNeverTrims();
    void trimCases_data();
    void trimCases();
    void cutLongResults_data();
    void cutLongResults();
    void symbolList_data();
    void symbolList();
};

namespace {
QString run(ConsoleTranscript& t, const QString& query, const QString& reply, const ConsoleTranscript::Limits& l)
{
    t.append(QStringLiteral("q) ") + query, l);
    t.append(reply + QStringLiteral("\r\n"), l);
    return t.text();
}
} // namespace

void TestConsole::keepsNewestQueries()
{
    ConsoleTranscript t;
    const ConsoleTranscript::Limits limits{5, 2};
    t.append(QStringLiteral("\n! Server changed to `h:1\n"), limits);
    run(t, QStringLiteral("a"), QStringLiteral("1"), limits);
    run(t, QStringLiteral("b"), QStringLiteral("2"), limits);
    run(t, QStringLiteral("c"), QStringLiteral("3"), limits);
    QCOMPARE(t.text(), QStringLiteral("q) b\r\n2\r\n\r\nq) c\r\n3\r\n\r\n"));
}

void TestConsole::trimDropsLeadingMessages()
{
    ConsoleTranscript t;
    const ConsoleTranscript::Limits limits{5, 1};
    t.append(QStringLiteral("Connection handle invalid, reconnecting..."), limits);
    t.append(QStringLiteral("q) x"), limits);
    t.append(QStringLiteral("1\r\n"), limits);
    // One echo only: nothing to drop yet, the leading message stays.
    QVERIFY(t.text().startsWith(QStringLiteral("Connection")));
    t.append(QStringLiteral("q) y"), limits);
    const auto change = t.append(QStringLiteral("2\r\n"), limits);
    QVERIFY(change.trimmed);
    QCOMPARE(t.text(), QStringLiteral("q) y\r\n2\r\n\r\n"));
}

void TestConsole::echoNeverTrims()
{
    ConsoleTranscript t;
    const ConsoleTranscript::Limits limits{5, 1};
    t.append(QStringLiteral("q) a"), limits);
    t.append(QStringLiteral("q) b"), limits);
    const auto change = t.append(QStringLiteral("q) c"), limits);
    QVERIFY(!change.trimmed);
    QCOMPARE(t.text(), QStringLiteral("q) a\r\nq) b\r\nq) c\r\n"));
}

void TestConsole::trimCases_data()
{
    QTest::addColumn<QString>("transcript");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("expected");
    QTest::newRow("limit off") << "q) a\r\nq) b\r\n" << 0 << "q) a\r\nq) b\r\n";
    QTest::newRow("negative limit off") << "q) a\r\nq) b\r\n" << -3 << "q) a\r\nq) b\r\n";
    QTest::newRow("within limit") << "q) a\r\nq) b\r\n" << 2 << "q) a\r\nq) b\r\n";
    QTest::newRow("drop one") << "q) a\r\nq) b\r\nq) c\r\n" << 2 << "q) b\r\nq) c\r\n";
    QTest::newRow("drop two") << "q) a\r\nq) b\r\nq) c\r\n" << 1 << "q) c\r\n";
    QTest::newRow("leading text") << "hello\r\nq) a\r\nq) b\r\n" << 1 << "q) b\r\n";
    QTest::newRow("leading text, within limit") << "hello\r\nq) a\r\n" << 1 << "hello\r\nq) a\r\n";
    QTest::newRow("echo-like text mid-line kept") << "q) a x q) y\r\nq) b\r\n" << 1 << "q) b\r\n";
    QTest::newRow("empty") << "" << 1 << "";
}

void TestConsole::trimCases()
{
    QFETCH(QString, transcript);
    QFETCH(int, max);
    QFETCH(QString, expected);
    ConsoleTranscript::trim(transcript, max);
    QCOMPARE(transcript, expected);
}

void TestConsole::cutLongResults_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("consoleLength");
    QTest::newRow("1001 over 1K") << 1001 << 1 << 1005;
    QTest::newRow("1000 at 1K") << 1000 << 1 << 1000;
    QTest::newRow("limit off") << 100000 << 0 << 100000;
}

void TestConsole::cutLongResults()
{
    QFETCH(int, length);
    QFETCH(int, limit);
    QFETCH(int, consoleLength);
    const QString text(length, u'x');
    const QString copy = ConsoleTranscript::cut(text, limit);
    QCOMPARE(copy.size(), consoleLength);
    if (consoleLength != length)
        QVERIFY(copy.endsWith(QStringLiteral("x<...>")));
    ConsoleTranscript t;
    t.append(text, {limit, 25});
    QCOMPARE(t.text(), copy + QStringLiteral("\r\n"));
}

void TestConsole::symbolList_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("expected");
    QTest::newRow("three") << "`one`two`three" << "`$(\"one\";\"two\";\"three\")";
    QTest::newRow("text before first backquote dropped") << "x: `a`b" << "`$(\"a\";\"b\")";
    QTest::newRow("only backquotes") << "```" << "`$)";
    QTest::newRow("blanks stay in pieces") << "`a `b\r\n" << "`$(\"a \";\"b\r\n\")";
    QTest::newRow("no backquote") << "abc" << "`$(\"abc\")";
}

void TestConsole::symbolList()
{
    QFETCH(QString, selection);
    QFETCH(QString, expected);
    QCOMPARE(SymbolList::fromSelection(selection), expected);
}

QTEST_GUILESS_MAIN(TestConsole)
#include "tst_console.moc"

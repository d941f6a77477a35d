#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "query/QueryLog.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {
QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
} // namespace

class TestQueryLog : public QObject {
    Q_OBJECT
private slots:
    void entriesAppendPerDay();
    void entryFormat();
    void unopenableFileIsReported();
};

void TestQueryLog::entriesAppendPerDay()
{
    TempHome home;
    ScriptedPrompter prompter;
    QueryLog log(home.home(), prompter);
    const QDateTime evening(QDate(2024, 3, 9), QTime(23, 59, 58));
    const QDateTime later(QDate(2024, 3, 9), QTime(23, 59, 59));
    const QDateTime midnight(QDate(2024, 3, 10), QTime(0, 0, 1));
    QVERIFY(log.log("`:h:1::", "a.q", "1+1", evening));
    QVERIFY(log.log("`:h:1::", "b.q", "select from t\nwhere x>1", later));
    QVERIFY(log.log("`:h:1::", "a.q", "2+2", midnight));
    const QString day1 = home.filePath("queries_2024.03.09.log");
    const QString day2 = home.filePath("queries_2024.03.10.log");
    QCOMPARE(readFile(day1), QueryLog::entry(evening, "`:h:1::", "a.q", "1+1")
                                 + QueryLog::entry(later, "`:h:1::", "b.q", "select from t\nwhere x>1"));
    QCOMPARE(readFile(day2), QueryLog::entry(midnight, "`:h:1::", "a.q", "2+2"));
}

void TestQueryLog::entryFormat()
{
    const QDateTime at(QDate(2024, 1, 2), QTime(3, 4, 5));
    const QByteArray e = QueryLog::entry(at, "`:h:1::", "", "x:\u00e9");
    QVERIFY2(e.startsWith("/ "), e.constData());
    // An empty source title: " from " then the line break at once.
    QVERIFY2(e.endsWith(" on `:h:1:: from \n  x:\xc3\xa9\n"), e.constData());
    // The time stamp holds the clock time of the moment logged.
    QVERIFY2(e.contains("03:04:05"), e.constData());
    QCOMPARE(QueryLog::fileName(QDate(2025, 12, 31)), "queries_2025.12.31.log");
}

void TestQueryLog::unopenableFileIsReported()
{
    TempHome home;
    const QDateTime at(QDate(2024, 1, 2), QTime(3, 4, 5));
    const QString path = home.filePath("queries_2024.01.02.log");
    QVERIFY(QDir(home.path()).mkdir("queries_2024.01.02.log"));
    ScriptedPrompter prompter;
    QFile probe(path);
    QVERIFY(!probe.open(QIODevice::ReadWrite | QIODevice::Append));
    prompter.expectInform(path + "\n" + probe.errorString(), Prompter::Icon::Error);
    QueryLog log(home.home(), prompter);
    QVERIFY(!log.log("s", "t", "q", at));
    QCOMPARE(prompter.pending(), 0);
}

QTEST_GUILESS_MAIN(TestQueryLog)
#include "tst_querylog.moc"

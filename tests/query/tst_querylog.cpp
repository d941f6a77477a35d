#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "query/QueryLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    void passwordsAreMasked_data();
    void passwordsAreMasked();
    void logsArePrivate();
    void missingHomeWritesNothingAndAsksNothing();
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
    // Shown once, not before every query.
    QVERIFY(!log.log("s", "t", "q2", at));
}

void TestQueryLog::passwordsAreMasked_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("logged");
    QTest::newRow("user and password") << "`:host:5001:alice:s3cret" << "`:host:5001:alice:***";
    QTest::newRow("password with colons") << "`:host:5001:alice:a:b:c" << "`:host:5001:alice:***";
    QTest::newRow("password without user") << "`:host:5001::pw" << "`:host:5001::***";
    QTest::newRow("no password") << "`:host:5001:alice:" << "`:host:5001:alice:";
    QTest::newRow("no credentials") << "`:host:5001::" << "`:host:5001::";
    QTest::newRow("host and port") << "`:host:5001" << "`:host:5001";
    QTest::newRow("empty port") << "`:host::u:pw" << "`:host::u:***";
}

void TestQueryLog::passwordsAreMasked()
{
    QFETCH(QString, server);
    QFETCH(QString, logged);
    QCOMPARE(QueryLog::maskPassword(server), logged);
    TempHome home;
    ScriptedPrompter prompter;
    QueryLog log(home.home(), prompter);
    const QDateTime at(QDate(2024, 1, 2), QTime(3, 4, 5));
    QVERIFY(log.log(server, "a.q", "1+1", at));
    const QByteArray line = readFile(home.filePath("queries_2024.01.02.log"));
    QVERIFY2(line.contains(" on " + logged.toUtf8() + " from a.q\n  1+1\n"), line.constData());
    const QString password = server.section(u':', 4);
    if (!password.isEmpty())
        QVERIFY(!line.contains(":" + password.toUtf8()));
}

void TestQueryLog::logsArePrivate()
{
    TempHome home;
    ScriptedPrompter prompter;
    QueryLog log(home.home(), prompter);
    const QDateTime at(QDate(2024, 1, 2), QTime(3, 4, 5));
    QVERIFY(log.log("`:h:1:u:p", "a.q", "1+1", at));
    const QString path = home.filePath("queries_2024.01.02.log");
    QCOMPARE(QFile::permissions(path)
                 & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
             QFileDevice::Permissions());
}

void TestQueryLog::missingHomeWritesNothingAndAsksNothing()
{
    TempHome home;
    ScriptedPrompter prompter; // any question or message would fail the test
    QueryLog log(HomeFolder(home.filePath("missing")), prompter);
    const QDateTime at(QDate(2024, 1, 2), QTime(3, 4, 5));
    for (int i = 0; i < 3; ++i)
        QVERIFY(!log.log("`:h:1::", "a.q", "1+1", at));
    QVERIFY(!QFileInfo::exists(home.filePath("missing")));
    QCOMPARE(prompter.pending(), 0);
}

QTEST_GUILESS_MAIN(TestQueryLog)
#include "tst_querylog.moc"

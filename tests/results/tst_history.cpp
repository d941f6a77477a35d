// The result history and stash: limits, order, labels, removal and the
// references they hold; the roundtrip and size texts of a record.
#include "GridValues.h"

#include "results/history/CResultWithInfo.h"
#include "results/history/ResultHistory.h"
#include "results/history/ResultStash.h"

#include <QSignalSpy>
#include <QTest>

using namespace gv;

namespace {

CResultInfo info(const QString& received, const QString& query = QString())
{
    CResultInfo r;
    r.received = received;
    r.query = query;
    return r;
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void historyKeepsTheNewest_data();
    void historyKeepsTheNewest();
    void historyRemoveAndReferences();
    void stashLabels();
    void stashRemoveSelectsNeighbour();
    void roundtripText_data();
    void roundtripText();
};

void TestHistory::historyKeepsTheNewest_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("queries");
    QTest::newRow("three of five") << 3 << QStringList {"q5", "q4", "q3"};
    QTest::newRow("one") << 1 << QStringList {"q5"};
    QTest::newRow("more than recorded") << 100 << QStringList {"q5", "q4", "q3", "q2", "q1"};
    QTest::newRow("negative counts as none") << -4 << QStringList {};
}

void TestHistory::historyKeepsTheNewest()
{
    QFETCH(int, limit);
    QFETCH(QStringList, queries);
    ResultHistory history;
    history.setLimitSource([limit] { return limit; });
    QSignalSpy changed(&history, &ResultHistory::changed);
    KPtr v(longs(0, 3));
    for (int i = 1; i <= 5; ++i)
        history.record(v.get(), info(QString::number(i), QStringLiteral("q%1").arg(i)));
    history.record(nullptr, info(QStringLiteral("none")));
    QCOMPARE(changed.count(), 5);
    QStringList shown;
    for (int i = 0; i < history.size(); ++i)
        shown << history.at(i).info.query;
    QCOMPARE(shown, queries);
    QCOMPARE(v->r, int(queries.size())); // one reference per kept record
}

void TestHistory::historyRemoveAndReferences()
{
    ResultHistory history;
    history.setLimitSource([] { return 10; });
    KPtr a(longs(0, 1)), b(longs(0, 2));
    history.record(a.get(), info(QStringLiteral("a")));
    history.record(b.get(), info(QStringLiteral("b")));
    history.record(a.get(), info(QStringLiteral("a2")));
    QCOMPARE(a->r, 2);
    history.remove({2, 0, 2, 7});
    QCOMPARE(history.size(), 1);
    QCOMPARE(history.at(0).info.received, QStringLiteral("b"));
    QCOMPARE(a->r, 0);
    history.clear();
    QCOMPARE(b->r, 0);
}

void TestHistory::stashLabels()
{
    ResultStash stash;
    KPtr v(longs(0, 3)), w(longs(0, 4));
    QCOMPARE(stash.add(v.get(), info(QStringLiteral("Monday, 10:00:00 GMT"))), 0);
    QCOMPARE(stash.add(w.get(), info(QStringLiteral("Monday, 11:00:00 GMT"))), 1);
    // The same label, ignoring case: the first entry, and the new record is dropped.
    QCOMPARE(stash.add(w.get(), info(QStringLiteral("MONDAY, 10:00:00 gmt"))), 0);
    QCOMPARE(stash.size(), 2);
    QCOMPARE(stash.at(0).value.get(), v.get());
    QCOMPARE(w->r, 1);
    QCOMPARE(stash.add(nullptr, info(QStringLiteral("x"))), -1);
    QCOMPARE(stash.label(1), QStringLiteral("Monday, 11:00:00 GMT"));
}

void TestHistory::stashRemoveSelectsNeighbour()
{
    ResultStash stash;
    KPtr v(longs(0, 3));
    for (const char* label : {"a", "b", "c"})
        stash.add(v.get(), info(QString::fromLatin1(label)));
    QCOMPARE(stash.remove(1), 1); // "c" moves into place
    QCOMPARE(stash.label(1), QStringLiteral("c"));
    QCOMPARE(stash.remove(1), 0); // the last: the one before it
    QCOMPARE(stash.remove(0), -1); // the only one: nothing left to show
    QCOMPARE(stash.size(), 0);
    QCOMPARE(v->r, 0);
    QCOMPARE(stash.remove(0), -1);
}

void TestHistory::roundtripText_data()
{
    QTest::addColumn<int>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("45 ms") << 45 << "045ms";
    QTest::newRow("999 ms") << 999 << "999ms";
    QTest::newRow("one second") << 1000 << "00:01.000";
    QTest::newRow("a minute and a half") << 90500 << "01:30.500";
    QTest::newRow("an hour, two minutes, 3004 ms") << (3600 + 120) * 1000 + 3004 << "01:02:03.004";
}

void TestHistory::roundtripText()
{
    QFETCH(int, ms);
    QFETCH(QString, text);
    CResultWithInfo record;
    record.info.roundtrip = ms;
    QCOMPARE(record.roundtripText(), text);
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"

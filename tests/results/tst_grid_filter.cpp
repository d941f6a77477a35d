// Filtering a grid and the numbers of its status bar: each column type's
// conditions (text, every comparison, nulls, infinities, operands that do not
// read), filters over a table with nulls and over a keyed table, filters
// composed with sorting, runs on a thread that a newer text or value cancels,
// exports of the shown rows, and the statistics of a mixed selection.
#include "GridValues.h"

#include "results/export/CsvExport.h"
#include "results/grid/CKTableRenderer.h"
#include "results/grid/FilterCondition.h"
#include "results/grid/GridFilter.h"
#include "results/grid/GridFilterRunner.h"
#include "results/grid/GridStatistics.h"
#include "results/grid/TableColumns.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace gv;

namespace {

constexpr int kDay2024 = 8766; // 2024.01.01 in days from 2000.01.01
constexpr long long kHour = 3600LL * 1000000000LL;

// The rows of a column that pass a filter text, as the grid tests them.
QList<int> matching(K column, const QString& text)
{
    const FilterCondition condition = FilterCondition::parse(text, column->t);
    FilterCondition::Scratch scratch;
    QList<int> rows;
    for (long long r = 0; r < TableColumns::length(column); ++r)
        if (condition.matches(column, r, scratch))
            rows << int(r);
    return rows;
}

} // namespace

class TestGridFilter : public QObject {
    Q_OBJECT
private slots:
    void conditionPerType_data();
    void conditionPerType();
    void conditionKinds_data();
    void conditionKinds();
    void tableWithNulls();
    void keyedTable();
    void sortingComposes();
    void runsOnThreadAndCancels();
    void newValueDropsRunAndTexts();
    void exportsShownRows();
    void statisticsOfMixedSelection();
    void statusTexts_data();
    void statusTexts();
};

void TestGridFilter::conditionPerType_data()
{
    QTest::addColumn<KPtr>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("rows");

    auto longsCase = [](const char* name, const char* text, QList<int> rows) {
        QTest::newRow(name) << own(list<J>(KJ, {5, nj, 100, 150, wj, -wj})) << QString::fromLatin1(text) << rows;
    };
    longsCase("long >", ">100", {3, 4});
    longsCase("long >=", ">=100", {2, 3, 4});
    longsCase("long <", "<100", {0, 5});
    longsCase("long <=", "<=5", {0, 5});
    longsCase("long =", "=100", {2});
    longsCase("long = with type letter", "= 100j", {2});
    longsCase("long <> leaves nulls out", "<>100", {0, 3, 4, 5});
    longsCase("long != same as <>", "!=100", {0, 3, 4, 5});
    longsCase("long =0N", "=0N", {1});
    longsCase("long <>0N", "<>0N", {0, 2, 3, 4, 5});
    longsCase("long null", "null", {1});
    longsCase("long !null", "!NULL", {0, 2, 3, 4, 5});
    longsCase("long >=0W", ">=0W", {4});
    longsCase("long <-1000 takes -0W", "<-1000", {5});
    longsCase("long substring of text", "10", {2});
    longsCase("long substring of null text", "0N", {1});
    longsCase("long operand not a number", ">abc", {});
    longsCase("long ordered against null", ">0N", {});
    longsCase("long operator alone", ">", {0, 1, 2, 3, 4, 5});
    longsCase("long blank", "  ", {0, 1, 2, 3, 4, 5});

    QTest::newRow("short beyond range") << own(list<int>(KH, {1, nh})) << QStringLiteral("=70000") << QList<int>{};
    QTest::newRow("int <=") << own(list<I>(KI, {ni, -3, 7})) << QStringLiteral("<=7") << QList<int>{1, 2};
    QTest::newRow("byte hex") << own(list<int>(KG, {0x1f, 0xff})) << QStringLiteral(">0x20") << QList<int>{1};
    QTest::newRow("boolean 1b") << own(list<int>(KB, {1, 0, 1})) << QStringLiteral("=1b") << QList<int>{0, 2};
    QTest::newRow("boolean has no null") << own(list<int>(KB, {1, 0})) << QStringLiteral("=0N") << QList<int>{};

    const auto floats = [] { return own(list<double>(KF, {1.5, qnan, -2, qinf})); };
    QTest::newRow("float >") << floats() << QStringLiteral(">1") << QList<int>{0, 3};
    QTest::newRow("float =") << floats() << QStringLiteral("=1.5") << QList<int>{0};
    QTest::newRow("float =0n") << floats() << QStringLiteral("=0n") << QList<int>{1};
    QTest::newRow("float >=-0w") << floats() << QStringLiteral(">=-0w") << QList<int>{0, 2, 3};
    QTest::newRow("real <") << own(list<float>(KE, {0.5f, std::nanf(""), -1.f})) << QStringLiteral("<1e")
                             << QList<int>{0, 2};

    const auto dates = [] { return own(list<I>(KD, {kDay2024, ni, kDay2024 - 1})); };
    QTest::newRow("date <=") << dates() << QStringLiteral("<=2024.01.01") << QList<int>{0, 2};
    QTest::newRow("date >") << dates() << QStringLiteral(">2023.12.31") << QList<int>{0};
    QTest::newRow("date = a month") << dates() << QStringLiteral("=2024.01") << QList<int>{0};
    QTest::newRow("date substring") << dates() << QStringLiteral("2024.01") << QList<int>{0};
    QTest::newRow("date =0Nd") << dates() << QStringLiteral("=0Nd") << QList<int>{1};
    QTest::newRow("date no such day") << dates() << QStringLiteral(">2024.02.30") << QList<int>{};

    const auto stamps = [] {
        return own(list<J>(KP, {kDay2024 * nsPerDay + 10 * kHour, kDay2024 * nsPerDay, nj}));
    };
    QTest::newRow("timestamp >= with time") << stamps() << QStringLiteral(">=2024.01.01D10:00") << QList<int>{0};
    QTest::newRow("timestamp > a date") << stamps() << QStringLiteral(">2024.01.01") << QList<int>{0};
    QTest::newRow("timestamp < next day") << stamps() << QStringLiteral("<2024.01.02") << QList<int>{0, 1};
    QTest::newRow("timestamp = nanoseconds") << stamps() << QStringLiteral("=2024.01.01D00:00:00.000000000")
                                             << QList<int>{1};
    QTest::newRow("timestamp T form") << stamps() << QStringLiteral("=2024.01.01T10:00:00") << QList<int>{0};

    QTest::newRow("month <") << own(list<I>(KM, {288, 287})) << QStringLiteral("<2024.01m") << QList<int>{1};
    QTest::newRow("month >= a date") << own(list<I>(KM, {288, 287})) << QStringLiteral(">=2024.01.15")
                                     << QList<int>{0};
    QTest::newRow("time <") << own(list<I>(KT, {36000000, ni, 3600000})) << QStringLiteral("<09:00")
                            << QList<int>{2};
    QTest::newRow("time >=") << own(list<I>(KT, {36000000, ni, 3600000})) << QStringLiteral(">=10:00:00.000")
                             << QList<int>{0};
    QTest::newRow("minute >=") << own(list<I>(KU, {600, 30})) << QStringLiteral(">=10:00") << QList<int>{0};
    QTest::newRow("second <") << own(list<I>(KV, {59, 61})) << QStringLiteral("<00:01:00") << QList<int>{0};
    QTest::newRow("timespan >") << own(list<J>(KN, {kHour, -1})) << QStringLiteral(">0D00:30") << QList<int>{0};
    QTest::newRow("timespan < negative") << own(list<J>(KN, {kHour, -1})) << QStringLiteral("<00:00")
                                         << QList<int>{1};
    QTest::newRow("datetime >=") << own(list<double>(KZ, {kDay2024 + 0.5, kDay2024 - 0.5}))
                                 << QStringLiteral(">=2024.01.01T12:00") << QList<int>{0};

    const auto symbols = [] { return own(syms({"IBM", "MSFT", "", "ibm"})); };
    QTest::newRow("symbol =") << symbols() << QStringLiteral("=IBM") << QList<int>{0};
    QTest::newRow("symbol = backquoted") << symbols() << QStringLiteral("=`IBM") << QList<int>{0};
    QTest::newRow("symbol substring any case") << symbols() << QStringLiteral("ib") << QList<int>{0, 3};
    QTest::newRow("symbol > byte-wise") << symbols() << QStringLiteral(">I") << QList<int>{0, 1, 3};
    QTest::newRow("symbol <>") << symbols() << QStringLiteral("<>IBM") << QList<int>{1, 3};
    QTest::newRow("symbol =`") << symbols() << QStringLiteral("=`") << QList<int>{2};
    QTest::newRow("symbol null") << symbols() << QStringLiteral("null") << QList<int>{2};
    QTest::newRow("symbol substring beyond ASCII") << own(syms({"Z\u00fcrich", "Bern", "ZUG"})) << QStringLiteral("Z\u00dc")
                                                   << QList<int>{0};

    const auto texts = [] { return own(strings({"apple", "", "banana"})); };
    QTest::newRow("string =") << texts() << QStringLiteral("=apple") << QList<int>{0};
    QTest::newRow("string substring") << texts() << QStringLiteral("AN") << QList<int>{2};
    QTest::newRow("string >") << texts() << QStringLiteral(">b") << QList<int>{2};
    QTest::newRow("string null") << texts() << QStringLiteral("null") << QList<int>{1};

    QTest::newRow("char =") << own(kp("ab ")) << QStringLiteral("=a") << QList<int>{0};
    QTest::newRow("char >") << own(kp("ab ")) << QStringLiteral(">a") << QList<int>{1};
    QTest::newRow("char null") << own(kp("ab ")) << QStringLiteral("null") << QList<int>{2};

    QTest::newRow("mixed numbers") << own(knk(4, kj(5), kp("x"), kf(2.5), kj(nj))) << QStringLiteral("<=5")
                                   << QList<int>{0, 2};
    QTest::newRow("mixed null") << own(knk(3, kj(5), kp(""), kj(nj))) << QStringLiteral("null") << QList<int>{1, 2};
}

void TestGridFilter::conditionPerType()
{
    QFETCH(KPtr, column);
    QFETCH(QString, text);
    QFETCH(QList<int>, rows);
    QList<int> found = matching(column.get(), text);
    std::sort(found.begin(), found.end());
    std::sort(rows.begin(), rows.end());
    QCOMPARE(found, rows);
}

void TestGridFilter::conditionKinds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("op");

    using Op = FilterCondition::Op;
    QTest::newRow("empty") << QString() << int(KJ) << int(Op::None);
    QTest::newRow("equal alone") << QStringLiteral("=") << int(KS) << int(Op::None);
    QTest::newRow("text") << QStringLiteral("IB") << int(KS) << int(Op::Contains);
    QTest::newRow("text with a blank inside") << QStringLiteral("a b") << int(0) << int(Op::Contains);
    QTest::newRow("<>") << QStringLiteral("<>1") << int(KJ) << int(Op::NotEqual);
    QTest::newRow("<= before <") << QStringLiteral("<=1") << int(KJ) << int(Op::LessEqual);
    QTest::newRow(">= before >") << QStringLiteral(">=1") << int(KJ) << int(Op::GreaterEqual);
    QTest::newRow("=0N is null") << QStringLiteral("=0N") << int(KI) << int(Op::IsNull);
    QTest::newRow("<>0n is not null") << QStringLiteral("<>0n") << int(KF) << int(Op::NotNull);
    QTest::newRow("< null is invalid") << QStringLiteral("<0N") << int(KJ) << int(Op::Invalid);
    QTest::newRow("date operand on a long") << QStringLiteral(">2024.01.01") << int(KJ) << int(Op::Invalid);
    QTest::newRow("date beyond timestamps") << QStringLiteral(">9999.01.01") << int(KP) << int(Op::Invalid);
    QTest::newRow("month 13") << QStringLiteral("=2024.13") << int(KM) << int(Op::Invalid);
    QTest::newRow("span beyond timespans") << QStringLiteral("=99999999D00:00") << int(KN) << int(Op::Invalid);
    QTest::newRow("span hours beyond timespans") << QStringLiteral("=106750D999999:00") << int(KN) << int(Op::Invalid);
    QTest::newRow("span of days") << QStringLiteral(">=2D12:00") << int(KN) << int(Op::GreaterEqual);
}

void TestGridFilter::conditionKinds()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QFETCH(int, op);
    QCOMPARE(int(FilterCondition::parse(text, type).op()), op);
}

void TestGridFilter::tableWithNulls()
{
    CKTableRenderer grid;
    KPtr t(table({"sym", "price", "size"},
                 {syms({"IBM", "MSFT", "", "IBM", "AAPL"}), list<double>(KF, {101.5, qnan, 99, 120, 100}),
                  list<J>(KJ, {100, 200, nj, 300, 50})}));
    QCOMPARE(grid.setValue(t.get()), CKTableRenderer::Outcome::Shown);
    GridFilterRunner filter(&grid);
    QSignalSpy applied(&filter, &GridFilterRunner::applied);

    filter.setText(1, QStringLiteral(">=100"));
    QCOMPARE(displayOrder(grid), (QList<int>{0, 3, 4}));
    QVERIFY(grid.isFiltered());
    QCOMPARE(grid.totalRows(), 5);
    // Every box must hold: sym has text, size is not null.
    filter.setText(0, QStringLiteral("i"));
    filter.setText(2, QStringLiteral("!null"));
    QCOMPARE(gridText(grid), QStringLiteral("sym|price|size\nIBM|101.5|100\nIBM|120|300"));
    QVERIFY(!grid.hasCurrentCell());

    filter.setText(1, QStringLiteral(">x"));
    QVERIFY(!filter.isValid(1));
    QVERIFY(filter.isValid(0));
    QCOMPARE(grid.rowCount(), 0);

    filter.setText(0, QString());
    filter.setText(1, QStringLiteral("null"));
    filter.setText(2, QString());
    QCOMPARE(displayOrder(grid), (QList<int>{1}));
    QCOMPARE(grid.valueCellText(1, 0), QStringLiteral("MSFT"));

    filter.clear();
    QVERIFY(!grid.isFiltered());
    QCOMPARE(displayOrder(grid), (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(applied.count(), 8);
}

void TestGridFilter::keyedTable()
{
    CKTableRenderer grid;
    KPtr keys(table({"id"}, {syms({"a", "b", "c", "d"})}));
    KPtr values(table({"qty", "note"}, {list<I>(KI, {3, ni, 7, 1}), strings({"x", "yes", "", "yes"})}));
    KPtr keyed(xD(r1(keys.get()), r1(values.get())));
    grid.setValue(keyed.get());
    GridFilterRunner filter(&grid);
    filter.setText(1, QStringLiteral("<5"));
    QCOMPARE(gridText(grid), QStringLiteral("\u00A9\u00AC id|qty|note\na|3|enlist \"x\"\nd|1|\"yes\""));
    filter.setText(0, QStringLiteral("<>a"));
    filter.setText(2, QStringLiteral("=yes"));
    QCOMPARE(displayOrder(grid), (QList<int>{3}));
    QCOMPARE(grid.cellColour(0, 0), grid.colours().keyEvenRows);
    QCOMPARE(grid.label(), QStringLiteral("Table:4"));
}

void TestGridFilter::sortingComposes()
{
    CKTableRenderer grid;
    KPtr t(table({"k", "v"}, {list<J>(KJ, {5, 1, 4, 2, 3, 1}), syms({"x", "y", "x", "y", "x", "x"})}));
    grid.setValue(t.get());
    GridFilterRunner filter(&grid);
    grid.sortBy(0, -1); // 0 2 4 3 1 5: k descending, ties in their order
    filter.setText(1, QStringLiteral("=x"));
    QCOMPARE(displayOrder(grid), (QList<int>{0, 2, 4, 5}));
    grid.sortBy(0, 1);
    QCOMPARE(displayOrder(grid), (QList<int>{5, 4, 2, 0}));
    // The shown rows are the unfiltered order without the rows left out.
    filter.setText(1, QString());
    QCOMPARE(displayOrder(grid), (QList<int>{1, 5, 3, 4, 2, 0}));
    filter.setText(1, QStringLiteral("=y"));
    QCOMPARE(displayOrder(grid), (QList<int>{1, 3}));
    grid.sortBy(0, 0);
    QCOMPARE(displayOrder(grid), (QList<int>{1, 3}));
    QCOMPARE(grid.displayRows({3, 0}), (std::vector<int>{1, -1}));
}

void TestGridFilter::runsOnThreadAndCancels()
{
    const int n = 300000;
    CKTableRenderer grid;
    KPtr t(table({"v"}, {longs(0, n)}));
    grid.setValue(t.get());
    GridFilterRunner filter(&grid);
    filter.setThreadThreshold(1000);
    QSignalSpy applied(&filter, &GridFilterRunner::applied);
    // Each key starts a run and cancels the one before: only the last shows.
    filter.setText(0, QStringLiteral(">1"));
    filter.setText(0, QStringLiteral(">10"));
    filter.setText(0, QStringLiteral(">100"));
    QVERIFY(filter.isRunning());
    QCOMPARE(grid.rowCount(), n); // the window thread did not wait
    QVERIFY(applied.wait(10000));
    QTest::qWait(50); // the cancelled runs end without showing anything
    QCOMPARE(applied.count(), 1);
    QVERIFY(!filter.isRunning());
    QCOMPARE(grid.rowCount(), n - 101);
    QCOMPARE(grid.valueRow(0), 101);

    // Sorting while a run goes on starts it again in the new order.
    filter.setText(0, QStringLiteral("<5"));
    grid.sortBy(0, -1);
    QVERIFY(applied.wait(10000));
    QCOMPARE(displayOrder(grid), (QList<int>{4, 3, 2, 1, 0}));
}

void TestGridFilter::newValueDropsRunAndTexts()
{
    CKTableRenderer grid;
    KPtr first(table({"v"}, {longs(0, 200000)}));
    KPtr second(table({"v"}, {longs(0, 3)}));
    grid.setValue(first.get());
    GridFilterRunner filter(&grid);
    filter.setThreadThreshold(10);
    QSignalSpy applied(&filter, &GridFilterRunner::applied);
    QSignalSpy cleared(&filter, &GridFilterRunner::textsCleared);
    filter.setText(0, QStringLiteral("=7"));
    grid.setValue(second.get());
    QCOMPARE(cleared.count(), 1);
    QVERIFY(filter.text(0).isEmpty());
    QVERIFY(!filter.isRunning());
    QTest::qWait(200);
    QCOMPARE(applied.count(), 0);
    QCOMPARE(grid.rowCount(), 3);
    QVERIFY(!grid.isFiltered());
}

void TestGridFilter::exportsShownRows()
{
    CKTableRenderer grid;
    KPtr t(table({"s", "n"}, {syms({"a", "b", "c"}), list<J>(KJ, {1, 2, 3})}));
    grid.setValue(t.get());
    GridFilterRunner filter(&grid);
    filter.setText(1, QStringLiteral("<>2"));
    const std::unique_ptr<CKTableRenderer> copy = grid.detachedCopy();
    filter.clear(); // the copy keeps the rows it was made with
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QVERIFY(CsvExport::write(*copy, nullptr, QLatin1Char(','), out));
    QCOMPARE(out.data(), QByteArray("s,n\r\na,1\r\nc,3\r\n"));
    QCOMPARE(grid.rowCount(), 3);
}

void TestGridFilter::statisticsOfMixedSelection()
{
    KPtr longCol(list<J>(KJ, {10, nj, wj, 20}));
    KPtr floatCol(list<double>(KF, {0.5, 1.5, qnan, qinf}));
    KPtr symCol(syms({"a", "b", "c", "d"}));
    KPtr boolCol(list<int>(KB, {1, 1, 1, 1}));
    KPtr mixed(knk(4, kj(-4), kp("text"), ki(ni), kf(2.25)));
    const std::vector<K> columns{longCol.get(), floatCol.get(), symCol.get(), boolCol.get(), mixed.get()};

    // Rows 0 and 3 of every column: 10, 20, 0.5, -4, 2.25 count; inf, symbols, booleans do not.
    const GridStatistics stats = GridStatistics::of(columns, {0, 3});
    QCOMPARE(stats.count, 5);
    QCOMPARE(double(stats.sum), 28.75);
    QCOMPARE(stats.average(), 5.75);
    QCOMPARE(stats.minimum, -4.0);
    QCOMPARE(stats.maximum, 20.0);
    QVERIFY(!stats.integral);
    QCOMPARE(stats.text(), QStringLiteral("Count: 5  Sum: 28.75  Avg: 5.75  Min: -4  Max: 20"));

    // Rows 1 and 2: nulls and infinities only, save 1.5.
    const GridStatistics sparse = GridStatistics::of(columns, {1, 2});
    QCOMPARE(sparse.count, 1);
    QCOMPARE(sparse.text(), QStringLiteral("Count: 1  Sum: 1.5  Avg: 1.5  Min: 1.5  Max: 1.5"));

    // Integers stay whole; no numbers, no text.
    const GridStatistics whole = GridStatistics::of({longCol.get()}, {0, 3});
    QCOMPARE(whole.text(), QStringLiteral("Count: 2  Sum: 30  Avg: 15  Min: 10  Max: 20"));
    QVERIFY(GridStatistics::of({symCol.get(), boolCol.get()}, {0, 1, 2, 3}).text().isEmpty());
}

void TestGridFilter::statusTexts_data()
{
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << 1000000 << 1000000 << 3 << false << QStringLiteral("1,000,000 rows \u00D7 3 columns");
    QTest::newRow("filtered") << 12 << 1000 << 1 << true << QStringLiteral("12 of 1,000 rows \u00D7 1 column");
    QTest::newRow("one row") << 1 << 1 << 2 << false << QStringLiteral("1 row \u00D7 2 columns");
    QTest::newRow("none shown") << 0 << 5 << 2 << true << QStringLiteral("0 of 5 rows \u00D7 2 columns");
}

void TestGridFilter::statusTexts()
{
    QFETCH(int, shown);
    QFETCH(int, total);
    QFETCH(int, columns);
    QFETCH(bool, filtered);
    QFETCH(QString, text);
    QCOMPARE(GridStatistics::shapeText(shown, total, columns, filtered), text);
}

QTEST_GUILESS_MAIN(TestGridFilter)
#include "tst_grid_filter.moc"

// Sorting a grid by a column: the order of every simple type with nulls and
// infinities in both directions, general lists, stability across clicks, the
// click cycle, and large columns against a plain comparison sort.
#include "GridValues.h"

#include "results/grid/CKTableRenderer.h"
#include "results/grid/TableColumns.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

using namespace gv;

namespace {

inline constexpr float fnan = std::numeric_limits<float>::quiet_NaN();
inline constexpr float finf = std::numeric_limits<float>::infinity();

K guidList(std::initializer_list<std::pair<int, int>> firstTwoBytes)
{
    K x = ktn(UU, static_cast<J>(firstTwoBytes.size()));
    J i = 0;
    for (auto [a, b] : firstTwoBytes) {
        std::memset(kU(x)[i].g, 0, 16);
        kU(x)[i].g[0] = static_cast<G>(a);
        kU(x)[i].g[15] = static_cast<G>(b);
        ++i;
    }
    return x;
}

K bytes(std::initializer_list<int> items)
{
    return list<int>(KG, items);
}

// A table of a row-number column and the column to sort (section 1).
K sortedGrid(CKTableRenderer& grid, K column)
{
    K t = table({"i", "c"}, {longs(0, TableColumns::length(column)), column});
    grid.setValue(t);
    return t;
}

} // namespace

class TestGridSort : public QObject {
    Q_OBJECT
private slots:
    void orderByType_data();
    void orderByType();
    void clickCycle();
    void tiesKeepPreviousDisplayOrder();
    void keyedTableSortsByValueColumns();
    void matchesComparisonSort_data();
    void matchesComparisonSort();
    void longColumnTiesKeepPreviousOrder();
};

void TestGridSort::orderByType_data()
{
    QTest::addColumn<KPtr>("column");
    QTest::addColumn<QList<int>>("ascending");
    QTest::addColumn<QList<int>>("descending");

    QTest::newRow("boolean") << own(list<int>(KB, {1, 0, 1, 0})) << QList<int>{1, 3, 0, 2} << QList<int>{0, 2, 1, 3};
    QTest::newRow("byte unsigned") << own(bytes({0x80, 0x01, 0xff})) << QList<int>{1, 0, 2} << QList<int>{2, 0, 1};
    QTest::newRow("char unsigned") << own(kp("bA\xe9" "a")) << QList<int>{1, 3, 0, 2} << QList<int>{2, 0, 3, 1};
    QTest::newRow("short null, infinities")
        << own(list<int>(KH, {5, nh, wh, -wh, 0})) << QList<int>{1, 3, 4, 0, 2} << QList<int>{2, 0, 4, 3, 1};
    QTest::newRow("int with a tie") << own(list<I>(KI, {wi, 3, ni, -wi, 3})) << QList<int>{2, 3, 1, 4, 0}
                                    << QList<int>{0, 1, 4, 3, 2};
    QTest::newRow("date") << own(list<I>(KD, {ni, 0, -1})) << QList<int>{0, 2, 1} << QList<int>{1, 2, 0};
    QTest::newRow("time") << own(list<I>(KT, {1000, ni, wi})) << QList<int>{1, 0, 2} << QList<int>{2, 0, 1};
    QTest::newRow("long null, infinities")
        << own(list<J>(KJ, {nj, wj, -wj, 0, -5})) << QList<int>{0, 2, 4, 3, 1} << QList<int>{1, 3, 4, 2, 0};
    QTest::newRow("timestamp") << own(list<J>(KP, {1, nj, -1})) << QList<int>{1, 2, 0} << QList<int>{0, 2, 1};
    QTest::newRow("timespan") << own(list<J>(KN, {wj, 0, nj})) << QList<int>{2, 1, 0} << QList<int>{0, 1, 2};
    // Signed zeros are equal, so they keep their order in both directions.
    QTest::newRow("real NaN first, zeros tied")
        << own(list<float>(KE, {1.5f, fnan, -finf, finf, -0.0f, 0.0f})) << QList<int>{1, 2, 4, 5, 0, 3}
        << QList<int>{3, 0, 4, 5, 2, 1};
    QTest::newRow("float NaNs tied") << own(list<double>(KF, {qnan, 2, qnan, -1})) << QList<int>{0, 2, 3, 1}
                                     << QList<int>{1, 3, 0, 2};
    QTest::newRow("datetime") << own(list<double>(KZ, {0.5, qnan, -qinf})) << QList<int>{1, 2, 0}
                              << QList<int>{0, 2, 1};
    QTest::newRow("symbol bytes") << own(syms({"b", "a", "", "B", "ab", "a"})) << QList<int>{2, 3, 1, 5, 4, 0}
                                  << QList<int>{0, 4, 1, 5, 3, 2};
    QTest::newRow("guid bytes") << own(guidList({{0x80, 0}, {0x01, 2}, {0x01, 1}})) << QList<int>{2, 1, 0}
                                << QList<int>{0, 1, 2};
    QTest::newRow("strings byte-wise, shorter first")
        << own(strings({"b", "ab", "a", "abc"})) << QList<int>{2, 1, 3, 0} << QList<int>{0, 3, 1, 2};
    QTest::newRow("byte vectors") << own(knk(3, bytes({1, 2}), bytes({1}), bytes({0, 0xff}))) << QList<int>{2, 1, 0}
                                  << QList<int>{0, 1, 2};
    // Texts "1j", "\"a\"" (without its "enlist "), "2j", "`x".
    QTest::newRow("mixed items by text") << own(knk(4, kj(1), kp("a"), kj(2), ks("x"))) << QList<int>{1, 0, 2, 3}
                                         << QList<int>{3, 2, 0, 1};
    QTest::newRow("enumeration: all equal") << own(list<J>(20, {2, 0, 1})) << QList<int>{0, 1, 2}
                                            << QList<int>{0, 1, 2};
}

void TestGridSort::orderByType()
{
    QFETCH(KPtr, column);
    QFETCH(QList<int>, ascending);
    QFETCH(QList<int>, descending);
    CKTableRenderer grid;
    KPtr t(sortedGrid(grid, r1(column.get())));
    grid.sortBy(1, 1);
    QCOMPARE(displayOrder(grid), ascending);
    grid.sortBy(1, 0);
    grid.sortBy(1, -1);
    QCOMPARE(displayOrder(grid), descending);
}

void TestGridSort::clickCycle()
{
    CKTableRenderer grid;
    KPtr t(sortedGrid(grid, list<J>(KJ, {2, 3, 1})));
    const QList<int> identity{0, 1, 2}, up{2, 0, 1}, down{1, 0, 2};
    const QList<QList<int>> orders{up, down, identity, up};
    const QList<int> directions{1, -1, 0, 1};
    for (int click = 0; click < 4; ++click) {
        QVERIFY(grid.clickHeader(1));
        QCOMPARE(grid.sortDirection(), directions[click]);
        QCOMPARE(displayOrder(grid), orders[click]);
    }
    QCOMPARE(grid.cellText(0, 1), QStringLiteral("1"));
    QVERIFY(!grid.clickHeader(2)); // no such column
    QCOMPARE(grid.sortDirection(), 1);
}

void TestGridSort::tiesKeepPreviousDisplayOrder()
{
    CKTableRenderer grid;
    KPtr t(table({"a", "b"}, {list<J>(KJ, {1, 1, 0, 0}), syms({"x", "y", "x", "y"})}));
    grid.setValue(t.get());
    grid.clickHeader(1);
    grid.clickHeader(1); // b descending: 1 3 0 2
    QCOMPARE(displayOrder(grid), (QList<int>{1, 3, 0, 2}));
    grid.clickHeader(0); // another column: ascending, ties as they were shown
    QCOMPARE(grid.sortSection(), 0);
    QCOMPARE(grid.sortDirection(), 1);
    QCOMPARE(displayOrder(grid), (QList<int>{3, 2, 1, 0}));
    // The display row of each value row, for selections that follow a sort.
    QCOMPARE(grid.displayRows({0, 3, 7}), (std::vector<int>{3, 0, -1}));
}

void TestGridSort::keyedTableSortsByValueColumns()
{
    CKTableRenderer grid;
    KPtr keyed(xD(table({"k"}, {syms({"a", "b", "c"})}), table({"v"}, {list<J>(KJ, {3, 1, 2})})));
    grid.setValue(keyed.get());
    grid.clickHeader(1);
    QCOMPARE(gridText(grid), CKTableRenderer::keyPrefix() + QStringLiteral("k|v\nb|1\nc|2\na|3"));
}

void TestGridSort::matchesComparisonSort_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("spread"); // distinct values, 0 for the whole range, -k for values below 2^k
    QTest::addColumn<int>("rows");
    // Long enough columns are split among the cores and into buckets by their top bits.
    for (int rows : {20000, 300000}) {
        const QByteArray size = " (" + QByteArray::number(rows) + " rows)";
        QTest::newRow("long, whole range" + size) << int(KJ) << 0 << rows;
        QTest::newRow("long, few values" + size) << int(KJ) << 5 << rows;
        QTest::newRow("long, 2^40 values" + size) << int(KJ) << -40 << rows;
        QTest::newRow("int, whole range" + size) << int(KI) << 0 << rows;
        QTest::newRow("float" + size) << int(KF) << 0 << rows;
        QTest::newRow("real" + size) << int(KE) << 0 << rows;
        QTest::newRow("symbol, many distinct" + size) << int(KS) << 5000 << rows;
        QTest::newRow("symbol, few distinct" + size) << int(KS) << 3 << rows;
    }
}

void TestGridSort::matchesComparisonSort()
{
    QFETCH(int, type);
    QFETCH(int, spread);
    QFETCH(int, rows);
    const int n = rows;
    QRandomGenerator random(7);
    K column = ktn(type, n);
    const auto draw = [&]() -> qint64 {
        const qint64 v = static_cast<qint64>(random.generate64());
        if (spread < 0)
            return v % (qint64(1) << -spread);
        return spread ? v % spread : v;
    };
    for (int i = 0; i < n; ++i) {
        const qint64 v = draw();
        switch (type) {
        case KJ: kJ(column)[i] = i % 97 == 0 ? nj : v; break;
        case KI: kI(column)[i] = i % 97 == 0 ? ni : static_cast<I>(v); break;
        case KF: kF(column)[i] = i % 89 == 0 ? qnan : i % 101 == 0 ? -qinf : static_cast<double>(v) * 1e-9; break;
        case KE: kE(column)[i] = i % 89 == 0 ? fnan : static_cast<float>(v % 100000) / 7; break;
        case KS: kS(column)[i] = ss(QByteArray::number(v % (spread ? spread : 1000)).constData()); break;
        }
    }
    CKTableRenderer grid;
    KPtr t(sortedGrid(grid, column));
    // The expected order: a stable comparison sort on the same items.
    const auto less = [&](int a, int b) {
        switch (type) {
        case KJ: return kJ(column)[a] < kJ(column)[b];
        case KI: return kI(column)[a] < kI(column)[b];
        case KF: {
            const double x = kF(column)[a], y = kF(column)[b];
            return std::isnan(x) ? !std::isnan(y) : !std::isnan(y) && x < y;
        }
        case KE: {
            const float x = kE(column)[a], y = kE(column)[b];
            return std::isnan(x) ? !std::isnan(y) : !std::isnan(y) && x < y;
        }
        default: return std::strcmp(kS(column)[a], kS(column)[b]) < 0;
        }
    };
    QList<int> expected(n);
    std::iota(expected.begin(), expected.end(), 0);
    std::stable_sort(expected.begin(), expected.end(), less);
    grid.sortBy(1, 1);
    QCOMPARE(displayOrder(grid), expected);

    std::iota(expected.begin(), expected.end(), 0);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) { return less(b, a); });
    grid.sortBy(1, 0);
    grid.sortBy(1, -1);
    QCOMPARE(displayOrder(grid), expected);
}

// A second sort of a long table: equal items of the second column keep the
// order the first sort gave them, in both directions.
void TestGridSort::longColumnTiesKeepPreviousOrder()
{
    const int n = 400000;
    QRandomGenerator random(11);
    K a = ktn(KJ, n), b = ktn(KP, n);
    for (int i = 0; i < n; ++i) {
        kJ(a)[i] = i % 53 == 0 ? nj : static_cast<J>(random.bounded(1000000));
        kJ(b)[i] = i % 61 == 0 ? nj : static_cast<J>(random.bounded(7)) * 1000000000000LL - 3000000000000LL;
    }
    CKTableRenderer grid;
    KPtr t(table({"a", "b"}, {a, b}));
    grid.setValue(t.get());
    for (int direction : {1, -1}) {
        grid.sortBy(0, 1);
        QList<int> expected = displayOrder(grid);
        std::stable_sort(expected.begin(), expected.end(), [&](int x, int y) {
            return direction > 0 ? kJ(b)[x] < kJ(b)[y] : kJ(b)[y] < kJ(b)[x];
        });
        grid.sortBy(1, direction);
        QCOMPARE(displayOrder(grid), expected);
    }
}

QTEST_GUILESS_MAIN(TestGridSort)
#include "tst_grid_sort.moc"

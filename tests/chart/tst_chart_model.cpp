// The chart computation: column kinds, preparation and ranges, axis steps,
// zoom history, read-outs, constrained queries and the colours file.
#include "ChartValues.h"

#include "../common/ScriptedPrompter.h"
#include "../common/TempHome.h"

#include "chart/AxisSteps.h"
#include "chart/ChartKinds.h"

#include <QFile>
#include <QtTest>

#include <cmath>

using namespace cv;

namespace {

K trades()
{
    // time, sym, price, size; rows out of time order.
    return cv::table({"time", "sym", "price", "size"},
                     {list<I>(KT, {36000000, 34200000, 35000000, 37000000}), syms({"a", "b", "a", "c"}),
                      list<F>(KF, {10.5, 9.0, 12.0, 11.0}), list<J>(KJ, {100, 200, 50, 400})});
}

const PlotRect kPlot{6, 6, 506, 306}; // 500 x 300

} // namespace

class TestChartModel : public QObject {
    Q_OBJECT
private slots:
    void kinds_data();
    void kinds();
    void seriesAndChoices();
    void xColumnDisablesItsSeries();
    void canPlot();
    void equalXIsWidened();
    void floatNullsKeepRange();
    void intNullPlottedAtRawValue();
    void bottomZeroAndNothingChecked();
    void lotsOfPointsQuestion();
    void rangeTexts();
    void decimalSteps_data();
    void decimalSteps();
    void temporalSteps_data();
    void temporalSteps();
    void zoomHistory();
    void centerHere();
    void readOutAndCopyValues();
    void constrainedQueries();
    void graphConfig_data();
    void graphConfig();
    void graphConfigRoundTrip();
};

void TestChartModel::kinds_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("yable");
    QTest::addColumn<bool>("xable");
    QTest::newRow("boolean") << int(KB) << false << false;
    QTest::newRow("byte") << int(KG) << true << true;
    QTest::newRow("short") << int(KH) << true << true;
    QTest::newRow("int") << int(KI) << true << true;
    QTest::newRow("long") << int(KJ) << true << true;
    QTest::newRow("real") << int(KE) << true << true;
    QTest::newRow("float") << int(KF) << true << true;
    QTest::newRow("char") << int(KC) << false << false;
    QTest::newRow("symbol") << int(KS) << false << false;
    QTest::newRow("timestamp") << int(KP) << false << true;
    QTest::newRow("month") << int(KM) << false << true;
    QTest::newRow("date") << int(KD) << false << true;
    QTest::newRow("datetime") << int(KZ) << false << true;
    QTest::newRow("timespan") << int(KN) << false << true;
    QTest::newRow("minute") << int(KU) << false << true;
    QTest::newRow("second") << int(KV) << false << true;
    QTest::newRow("time") << int(KT) << false << true;
    QTest::newRow("guid") << int(UU) << false << false;
    QTest::newRow("mixed") << 0 << false << false;
}

void TestChartModel::kinds()
{
    QFETCH(int, type);
    QFETCH(bool, yable);
    QFETCH(bool, xable);
    QCOMPARE(ChartKinds::isYable(type), yable);
    QCOMPARE(ChartKinds::isXable(type), xable);
}

void TestChartModel::seriesAndChoices()
{
    ChartModel m;
    load(m, trades(), "time");
    QCOMPARE(m.xChoices(), QStringList({"time (time)", "price (float)", "size (long)"}));
    QCOMPARE(int(m.series().size()), 4);
    QVERIFY(!m.series()[1].yable);
    QVERIFY(m.series()[2].checked && m.series()[3].checked);
    // Y-able columns take palette entries 0, 1 in column order.
    QCOMPARE(m.series()[2].colour, GraphConfig::builtInPalette()[0]);
    QCOMPARE(m.series()[3].colour, GraphConfig::builtInPalette()[1]);
    QCOMPARE(ChartModel::seriesName(m.series()[1]), QStringLiteral("sym (symbol)"));

    // A one-colour palette is taken again by every Y-able column.
    ChartModel one;
    ChartTable t = ChartTable::fromValue(own(trades()).get());
    one.setTable(std::move(t), {qRgb(255, 0, 0)});
    QCOMPARE(one.series()[2].colour, qRgb(255, 0, 0));
    QCOMPARE(one.series()[3].colour, qRgb(255, 0, 0));
}

void TestChartModel::xColumnDisablesItsSeries()
{
    ChartModel m;
    load(m, trades(), "time");
    m.series()[3].checked = false;
    m.setXColumn(2); // price
    QVERIFY(!m.series()[2].checked && !m.series()[2].yable);
    m.setXColumn(3); // size: price comes back checked, size keeps its unchecked state for later
    QVERIFY(m.series()[2].checked && m.series()[2].yable);
    QVERIFY(!m.series()[3].yable);
    m.setXColumn(0);
    QVERIFY(m.series()[3].yable && !m.series()[3].checked);
}

void TestChartModel::canPlot()
{
    QVERIFY(ChartTable::fromValue(own(trades()).get()).canPlot());
    // One row only.
    KPtr oneRow(cv::table({"a", "b"}, {list<J>(KJ, {1}), list<J>(KJ, {2})}));
    QVERIFY(!ChartTable::fromValue(oneRow.get()).canPlot());
    // A single Y-able column has no other column for X.
    KPtr single(cv::table({"s", "a"}, {syms({"x", "y"}), list<J>(KJ, {1, 2})}));
    QVERIFY(!ChartTable::fromValue(single.get()).canPlot());
    // A date and a symbol: nothing to plot.
    KPtr noY(cv::table({"d", "s"}, {list<I>(KD, {1, 2}), syms({"x", "y"})}));
    QVERIFY(!ChartTable::fromValue(noY.get()).canPlot());
    // Not a table.
    KPtr vector(list<J>(KJ, {1, 2, 3}));
    QVERIFY(!ChartTable::fromValue(vector.get()).canPlot());
    // A keyed table: key and value columns.
    KPtr keyed(xD(cv::table({"k"}, {list<J>(KJ, {1, 2})}), cv::table({"v"}, {list<F>(KF, {1.0, 2.0})})));
    const ChartTable kt = ChartTable::fromValue(keyed.get());
    QCOMPARE(kt.headers, QStringList({"k", "v"}));
    QVERIFY(kt.canPlot());
}

void TestChartModel::equalXIsWidened()
{
    ChartModel m;
    load(m, cv::table({"x", "y"}, {list<J>(KJ, {5, 5}), list<F>(KF, {1.0, 3.0})}), "x");
    QCOMPARE(m.prepare(nullptr, 0, false), ChartModel::Prepared::Drawn);
    QCOMPARE(m.range(), (CArea{4, 6, 1, 3}));
    // Equal Y as well.
    ChartModel flat;
    load(flat, cv::table({"x", "y"}, {list<J>(KJ, {1, 2}), list<F>(KF, {7.0, 7.0})}), "x");
    flat.prepare(nullptr, 0, false);
    QCOMPARE(flat.range(), (CArea{1, 2, 6, 8}));
    QCOMPARE(flat.xFromText(), QStringLiteral("1j")); // a long atom as the console prints it
}

void TestChartModel::floatNullsKeepRange()
{
    const double n = std::nan("");
    ChartModel m;
    load(m, cv::table({"x", "y"}, {list<J>(KJ, {1, 2, 3, 4}), list<F>(KF, {n, 2.5, n, -1.5})}), "x");
    m.prepare(nullptr, 0, false);
    QCOMPARE(m.range(), (CArea{1, 4, -1.5, 2.5}));
    // A float X column with nulls starts at its first non-null value.
    ChartModel fx;
    load(fx, cv::table({"x", "y"}, {list<F>(KF, {3.0, n, 1.0}), list<J>(KJ, {1, 2, 3})}), "x");
    fx.prepare(nullptr, 0, false);
    QCOMPARE(fx.range().xmin, 1.0);
    QCOMPARE(fx.range().xmax, 3.0);
}

void TestChartModel::intNullPlottedAtRawValue()
{
    ChartModel m;
    load(m, cv::table({"x", "y"}, {list<J>(KJ, {1, 2, 3}), list<I>(KI, {10, INT32_MIN, 20})}), "x");
    m.prepare(nullptr, 0, false);
    QCOMPARE(m.range().ymin, -2147483648.0);
    QCOMPARE(m.range().ymax, 20.0);
    QCOMPARE(ChartKinds::valueAt(m.series()[1].column, 1), -2147483648.0);
}

void TestChartModel::bottomZeroAndNothingChecked()
{
    ChartModel m;
    load(m, trades(), "time");
    m.prepare(nullptr, 0, true);
    QCOMPARE(m.range().ymin, 0.0);
    QCOMPARE(m.range().ymax, 400.0);
    // The rows are ordered by time.
    QCOMPARE(m.order(), (std::vector<std::int32_t>{1, 2, 0, 3}));
    QCOMPARE(m.range().xmin, 34200000.0);
    QCOMPARE(m.range().xmax, 37000000.0);

    for (CColChart& s : m.series())
        s.checked = false;
    QCOMPARE(m.prepare(nullptr, 0, false), ChartModel::Prepared::NothingChecked);
}

void TestChartModel::lotsOfPointsQuestion()
{
    ChartModel m;
    std::vector<double> ys(3000, 1.0);
    std::vector<long long> xs(3000);
    for (int i = 0; i < 3000; ++i)
        xs[std::size_t(i)] = i;
    load(m, cv::table({"x", "a", "b"}, {vec(KJ, xs), vec(KF, ys), vec(KF, ys)}), "x");
    ScriptedPrompter prompter;
    const QString text = QStringLiteral("You are about to draw 6000 datapoints.\nThis may lock tovo for some time...\nProceed?");
    prompter.expect(text, "Lots of points", Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No);
    QCOMPARE(m.prepare(&prompter, 5, false), ChartModel::Prepared::Cancelled);
    QVERIFY(!m.prepared());
    prompter.expect(text, "Lots of points", Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::Yes);
    QCOMPARE(m.prepare(&prompter, 5, false), ChartModel::Prepared::Drawn);
    // 6 thousand allowed: no question.
    QCOMPARE(m.prepare(&prompter, 6, false), ChartModel::Prepared::Drawn);
    QCOMPARE(m.prepare(&prompter, 0, false), ChartModel::Prepared::Drawn);
    QCOMPARE(prompter.pending(), 0);
}

void TestChartModel::rangeTexts()
{
    ChartModel m;
    load(m, trades(), "time");
    m.prepare(nullptr, 0, false);
    QCOMPARE(m.xFromText(), QStringLiteral("09:30:00.000"));
    QCOMPARE(m.xToText(), QStringLiteral("10:16:40.000"));
    QCOMPARE(m.yFromText(), QStringLiteral("9"));
    QCOMPARE(m.yToText(), QStringLiteral("400"));
    // Labels of the other kinds, truncated to the column's width.
    const RenderOptions o;
    QCOMPARE(ChartKinds::atomText(KD, 5.7, o), QStringLiteral("2000.01.06"));
    QCOMPARE(ChartKinds::atomText(KP, 0, o), QStringLiteral("2000.01.01D00:00:00.000000000"));
    QCOMPARE(ChartKinds::atomText(KM, 13, o), QStringLiteral("2001.02m"));
    QCOMPARE(ChartKinds::atomText(KJ, 12.9, o), QStringLiteral("12j"));
    QCOMPARE(ChartKinds::atomText(KF, 2.5, o), QStringLiteral("2.5"));
    QCOMPARE(ChartKinds::atomText(KG, 258, o), QStringLiteral("0x02"));
    QCOMPARE(ChartKinds::atomText(KI, std::nan(""), o), QStringLiteral("0N"));
}

void TestChartModel::decimalSteps_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("0..10 by 1") << 0.0 << 10.0 << QList<double>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("0..25 by 10") << 0.0 << 25.0 << QList<double>{0, 10, 20};
    QTest::newRow("-3.5..9 by 1, not the end") << -3.5 << 9.0 << QList<double>{-3, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("0.2..0.5 by 0.1") << 0.2 << 0.5 << QList<double>{0.2, 0.3, 0.4};
    QTest::newRow("empty span") << 1.0 << 1.0 << QList<double>{};
}

void TestChartModel::decimalSteps()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(QList<double>, values);
    const std::vector<double> got = AxisSteps::values(low, high, AxisSteps::decimalStep(high - low));
    QCOMPARE(int(got.size()), values.size());
    for (int i = 0; i < values.size(); ++i)
        QVERIFY2(std::abs(got[std::size_t(i)] - values[i]) < 1e-9, qPrintable(QString::number(got[std::size_t(i)])));
    // Never more than 30 lines.
    QVERIFY(AxisSteps::values(0, 1000, 1).size() == 30);
}

void TestChartModel::temporalSteps_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("lines");
    // Date spans of 5 and 10 days: daily, then weekly lines.
    QTest::newRow("date 5 days") << int(KD) << 100.0 << 105.0 << 1.0 << 5;
    QTest::newRow("date 10 days") << int(KD) << 100.0 << 110.0 << 7.0 << 1;
    QTest::newRow("timestamp 2 hours") << int(KP) << 0.0 << 7.2e12 << 3.6e12 << 2;
    QTest::newRow("time 10 minutes, every 5") << int(KT) << 0.0 << 600000.0 << 300000.0 << 2;
    QTest::newRow("second 90 s") << int(KV) << 0.0 << 90.0 << 60.0 << 2;
    // Spans of 1.4 s and less: decimal steps of the span in nanoseconds.
    QTest::newRow("time 500 ms") << int(KT) << 1000.0 << 1500.0 << 100.0 << 5;
    QTest::newRow("timespan 1 ms") << int(KN) << 0.0 << 1e6 << 1e5 << 10;
    QTest::newRow("second 1 s: one unit") << int(KV) << 10.0 << 11.0 << 1.0 << 1;
    // Datetime, fractions of days: the step stays fractional.
    QTest::newRow("datetime 2 hours") << int(KZ) << 0.0 << 2.0 / 24 << 1.0 / 24 << 2;
    // A date span of one day: no whole entry, one day.
    QTest::newRow("date 1 day") << int(KD) << 0.0 << 1.0 << 1.0 << 1;
    // Beyond the table: whole years by the decimal rule.
    QTest::newRow("date 3 years") << int(KD) << 0.0 << 3 * 365.0 << 365.0 << 3;
    QTest::newRow("timestamp 45 years") << int(KP) << 0.0 << 45 * 31536e12 << 10 * 31536e12 << 5;
    QTest::newRow("month: plain numbers") << int(KM) << 0.0 << 24.0 << 10.0 << 3;
}

void TestChartModel::temporalSteps()
{
    QFETCH(int, type);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, step);
    QFETCH(int, lines);
    QCOMPARE(AxisSteps::xStep(type, low, high), step);
    QCOMPARE(int(AxisSteps::xValues(type, low, high).size()), lines);
}

void TestChartModel::zoomHistory()
{
    ChartModel m;
    load(m, trades(), "time");
    m.prepare(nullptr, 0, false);
    const CArea first = m.range();
    QVERIFY(!m.canUndoZoom());
    QVERIFY(m.zoomTo(QRect(QPoint(106, 56), QPoint(306, 256)), kPlot));
    const CArea second = m.range();
    // Left 100 of 500 pixels, right 300; top 50 of 300 down, bottom 250.
    const double xs = first.xmax - first.xmin, ys = first.ymax - first.ymin;
    QCOMPARE(second.xmin, first.xmin + 0.2 * xs);
    QCOMPARE(second.xmax, first.xmin + 0.6 * xs);
    QVERIFY(std::abs(second.ymax - (first.ymin + ys * 250 / 300)) < 1e-9);
    QVERIFY(std::abs(second.ymin - (first.ymin + ys * 50 / 300)) < 1e-9);
    QVERIFY(m.zoomTo(QRect(QPoint(406, 206), QPoint(56, 26)), kPlot)); // dragged up and left
    QVERIFY(m.range() != second);
    // An empty rectangle does nothing.
    QVERIFY(!m.zoomTo(QRect(QPoint(100, 50), QPoint(100, 200)), kPlot));
    m.undoZoom();
    QCOMPARE(m.range(), second);
    QVERIFY(m.canUndoZoom());
    m.undoZoom();
    QCOMPARE(m.range(), first);
    QVERIFY(!m.canUndoZoom());
    // Preparing again forgets the history.
    m.zoomTo(QRect(QPoint(106, 56), QPoint(306, 256)), kPlot);
    m.prepare(nullptr, 0, false);
    QVERIFY(!m.canUndoZoom());
}

void TestChartModel::centerHere()
{
    ChartModel m;
    load(m, cv::table({"x", "y"}, {list<J>(KJ, {0, 500}), list<F>(KF, {0.0, 300.0})}), "x");
    m.prepare(nullptr, 0, false);
    // Nothing before a zoom.
    QVERIFY(!m.centerHere(QPoint(100, 100), kPlot));
    m.zoomTo(QRect(QPoint(6, 6), QPoint(506, 306)), kPlot);
    QCOMPARE(m.range(), (CArea{0, 500, 0, 300}));
    QVERIFY(m.centerHere(QPoint(356, 106), kPlot)); // 100 right, 50 up of the centre
    QCOMPARE(m.range(), (CArea{100, 600, 50, 350}));
    m.undoZoom();
    QCOMPARE(m.range(), (CArea{0, 500, 0, 300}));
}

void TestChartModel::readOutAndCopyValues()
{
    ChartModel m;
    load(m, cv::table({"d", "y"}, {list<I>(KD, {0, 500}), list<F>(KF, {0.0, 300.0})}), "d");
    m.prepare(nullptr, 0, false);
    QString x, y;
    QVERIFY(m.readOut(QPoint(105, 56), kPlot, x, y));
    QCOMPARE(x, QStringLiteral("2000.04.10")); // day 100
    QCOMPARE(y, QStringLiteral("250"));
    QCOMPARE(m.copyValuesText(QPoint(105, 56), kPlot), QStringLiteral("d (date):\t2000.04.10\r\nY:\t250"));
    // A range of NaNs shows nothing.
    const double n = std::nan("");
    m.setRange(CArea{n, n, n, n});
    QVERIFY(!m.readOut(QPoint(105, 56), kPlot, x, y));
    QVERIFY(x.isEmpty() && y.isEmpty());
}

void TestChartModel::constrainedQueries()
{
    ChartModel m;
    // A keyed table's key column carries the grid's key marks in its header.
    KPtr keyed(xD(cv::table({"time"}, {list<I>(KT, {0, 1000, 2000, 3000})}),
                  cv::table({"price", "size"}, {list<F>(KF, {1, 2, 3, 4}), list<J>(KJ, {10, 20, 30, 40})})));
    ChartTable t = ChartTable::fromValue(keyed.get());
    t.headers[0] = QStringLiteral("\u00A9\u00AC time");
    t.query = QStringLiteral("select by time from trade");
    m.setTable(std::move(t), GraphConfig::builtInPalette());
    m.setXColumn(0);
    m.prepare(nullptr, 0, false);
    QCOMPARE(m.constrainedQuery(false), QString());
    QCOMPARE(m.constrainedQuery(true), QString());
    QVERIFY(m.zoomTo(QRect(QPoint(106, 6), QPoint(306, 156)), kPlot));
    QCOMPARE(m.constrainedQuery(false),
             QStringLiteral("select from (select by time from trade) where time within (00:00:00.600;00:00:01.800)"));
    QCOMPARE(m.constrainedQuery(true),
             QStringLiteral("select from (select by time from trade) where time within (00:00:00.600;00:00:01.800), "
                            "(price within `float$(20.5;40)) | (size within `long$(20.5;40))"));
    m.series()[2].checked = false;
    QCOMPARE(m.constrainedQuery(true),
             QStringLiteral("select from (select by time from trade) where time within (00:00:00.600;00:00:01.800), "
                            "(price within `float$(20.5;40))"));
}

void TestChartModel::graphConfig_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QRgb>("background");
    QTest::addColumn<QList<QRgb>>("palette"); // empty: the built-in one
    QTest::newRow("white then red") << QByteArray("#ffffff\n#ff0000\n") << qRgb(255, 255, 255)
                                    << QList<QRgb>{qRgb(255, 0, 0)};
    QTest::newRow("blanks, marks, CRLF, short lines skipped")
        << QByteArray("  #000000#  \r\n\n#abc\n  #00FF7f\r\n") << qRgb(0, 0, 0) << QList<QRgb>{qRgb(0, 255, 127)};
    QTest::newRow("bad hex skipped") << QByteArray("#zz0000\n#102030\n#0000zz\n#405060\n") << qRgb(0x10, 0x20, 0x30)
                                     << QList<QRgb>{qRgb(0x40, 0x50, 0x60)};
    QTest::newRow("background only: built-in palette") << QByteArray("#123456\n") << qRgb(0x12, 0x34, 0x56)
                                                       << QList<QRgb>{};
    QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe\x01 garbage line\n\x80\x80", 20) << qRgb(255, 255, 255)
                                 << QList<QRgb>{};
}

void TestChartModel::graphConfig()
{
    QFETCH(QByteArray, text);
    QFETCH(QRgb, background);
    QFETCH(QList<QRgb>, palette);
    const GraphColours c = GraphConfig::parse(text);
    QCOMPARE(c.background, background);
    const std::vector<QRgb> expected = palette.isEmpty() ? GraphConfig::builtInPalette()
                                                         : std::vector<QRgb>(palette.begin(), palette.end());
    QCOMPARE(c.palette, expected);
}

void TestChartModel::graphConfigRoundTrip()
{
    TempHome home;
    const QString path = home.filePath(QStringLiteral("graph.cfg"));
    // Missing: white and the built-in palette of 41 colours.
    GraphColours missing = GraphConfig::load(path);
    QCOMPARE(missing.background, qRgb(255, 255, 255));
    QCOMPARE(int(missing.palette.size()), 41);
    QCOMPARE(missing.palette[12], qRgb(0x33, 0x85, 0xff));
    QVERIFY(GraphConfig::save(path, {qRgb(1, 2, 3), qRgb(0xab, 0xcd, 0xef), qRgb(255, 0, 0)}));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("#010203\n#abcdef\n#ff0000\n"));
    const GraphColours c = GraphConfig::load(path);
    QCOMPARE(c.background, qRgb(1, 2, 3));
    QCOMPARE(c.palette, (std::vector<QRgb>{qRgb(0xab, 0xcd, 0xef), qRgb(255, 0, 0)}));
    // A folder that cannot be written leaves no file behind.
    QVERIFY(!GraphConfig::save(home.filePath(QStringLiteral("missing/graph.cfg")), {qRgb(0, 0, 0)}));
    QVERIFY(!QFile::exists(home.filePath(QStringLiteral("missing/graph.cfg"))));
}

QTEST_GUILESS_MAIN(TestChartModel)
#include "tst_chart_model.moc"

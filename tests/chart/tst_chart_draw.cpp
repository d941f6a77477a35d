// Chart drawing: the reduced drawing gives the same picture as drawing every
// point, for each style, zoomed or not, with nulls and thick pens; and the
// axis grid appears where the step rules put it.
#include "ChartValues.h"

#include "chart/ChartPainter.h"

#include <QtTest>

#include <cmath>
#include <numeric>
#include <random>

using namespace cv;

namespace {

// x: sorted longs with runs of equal values; two float series, random walks
// with jumps and nulls, the second a narrow band.
K randomTable(int rows, unsigned seed, bool nulls)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<long long> x(static_cast<std::size_t>(rows));
    std::vector<double> a(static_cast<std::size_t>(rows)), b(static_cast<std::size_t>(rows));
    long long xv = 0;
    double av = 0;
    for (int i = 0; i < rows; ++i) {
        xv += unit(gen) < 0.3 ? 0 : 1 + long(unit(gen) * 5);
        x[std::size_t(i)] = xv;
        av += (unit(gen) - 0.5) * (unit(gen) < 0.02 ? 200 : 10);
        a[std::size_t(i)] = av;
        b[std::size_t(i)] = 20 * std::sin(i / 50.0) + unit(gen) * 3;
        if (nulls && unit(gen) < 0.01)
            a[std::size_t(i)] = std::nan("");
    }
    // Shuffle the rows: the chart orders them by X.
    std::vector<int> perm(static_cast<std::size_t>(rows));
    std::iota(perm.begin(), perm.end(), 0);
    std::shuffle(perm.begin(), perm.end(), gen);
    std::vector<long long> sx(static_cast<std::size_t>(rows));
    std::vector<double> sa(static_cast<std::size_t>(rows)), sb(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        sx[std::size_t(i)] = x[std::size_t(perm[std::size_t(i)])];
        sa[std::size_t(i)] = a[std::size_t(perm[std::size_t(i)])];
        sb[std::size_t(i)] = b[std::size_t(perm[std::size_t(i)])];
    }
    return cv::table({"x", "a", "b"}, {vec(KJ, sx), vec(KF, sa), vec(KF, sb)});
}

QImage drawn(const ChartModel& m, bool everyPoint, QSize size = QSize(640, 400))
{
    QImage img(size, QImage::Format_RGB32);
    ChartDrawOptions o;
    o.drawEveryPoint = everyPoint;
    ChartPainter::draw(img, m, o);
    return img;
}

int differences(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

int coloured(const QImage& img, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == (colour | 0xff000000u);
    return n;
}

} // namespace

class TestChartDraw : public QObject {
    Q_OBJECT
private slots:
    void reducedEqualsEveryPoint_data();
    void reducedEqualsEveryPoint();
    void nothingBeyondRange();
    void dateAxisLines();
    void axisLabelsNeverOverlap();
    void intNullDrawnAtRawValue();
    void fewBarsStandWide();
    void surroundFollowsTheBackground_data();
    void surroundFollowsTheBackground();
};

void TestChartDraw::surroundFollowsTheBackground_data()
{
    QTest::addColumn<uint>("background");
    QTest::addColumn<bool>("dark");
    QTest::newRow("white") << 0xffffffffu << false;
    QTest::newRow("light grey") << 0xffc0c0c0u << false;
    QTest::newRow("pale yellow") << 0xffffffccu << false;
    QTest::newRow("black") << 0xff000000u << true;
    QTest::newRow("editor dark") << 0xff1e1f22u << true;
    QTest::newRow("navy") << 0xff000080u << true;
    QTest::newRow("pure blue, dark by luminance") << 0xff0000ffu << true;
}

void TestChartDraw::surroundFollowsTheBackground()
{
    QFETCH(uint, background);
    QFETCH(bool, dark);
    const ChartDrawOptions o = ChartPainter::withBackground(background);
    QCOMPARE(o.background, QRgb(background));
    const QRgb surround = dark ? qRgb(0x2B, 0x2D, 0x30) : qRgb(0xF0, 0xF0, 0xF0);
    const QRgb text = dark ? qRgb(0xD4, 0xD4, 0xD4) : qRgb(0, 0, 0);
    const QRgb grid = dark ? qRgb(0x5A, 0x8C, 0xE6) : qRgb(0, 0, 255);
    QCOMPARE(o.surround | 0xff000000u, surround);
    QCOMPARE(o.text | 0xff000000u, text);
    QCOMPARE(o.grid | 0xff000000u, grid);
    // Drawn: the surround, the grid lines and the axis labels in those colours.
    ChartModel m;
    load(m, cv::table({"d", "v"}, {list<I>(KD, {8766, 8771}), list<F>(KF, {0.0, 1.0})}), "d");
    m.prepare(nullptr, 0, false);
    QImage img(QSize(640, 400), QImage::Format_RGB32);
    ChartPainter::draw(img, m, o);
    QCOMPARE(img.pixel(1, 1), surround);
    QVERIFY(coloured(img, grid) > 100);
    QVERIFY(coloured(img, text) > 20);
    QVERIFY(coloured(img, background) > 1000);
}

void TestChartDraw::reducedEqualsEveryPoint_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("zoom"); // 0 none, 1 middle, 2 narrow band left of centre
    QTest::addColumn<bool>("nulls");
    for (int style = 0; style < ChartModel::StyleCount; ++style) {
        const QByteArray name = ChartModel::styleNames()[style].toLatin1();
        QTest::newRow(name + " thin") << style << 0 << 0 << false;
        QTest::newRow(name + " thin nulls zoomed") << style << 0 << 1 << true;
        QTest::newRow(name + " width 3 zoomed narrow") << style << 3 << 2 << false;
        QTest::newRow(name + " width 2 nulls") << style << 2 << 0 << true;
    }
}

void TestChartDraw::reducedEqualsEveryPoint()
{
    QFETCH(int, style);
    QFETCH(int, width);
    QFETCH(int, zoom);
    QFETCH(bool, nulls);
    for (unsigned seed : {1u, 2u}) {
        ChartModel m;
        load(m, randomTable(4000, seed + unsigned(style) * 7, nulls), "x");
        m.setDefaultStyle(style);
        m.setLineWidth(width);
        QCOMPARE(m.prepare(nullptr, 0, false), ChartModel::Prepared::Drawn);
        const PlotRect plot = PlotRect::inside(QSize(640, 400));
        if (zoom == 1)
            QVERIFY(m.zoomTo(QRect(QPoint(200, 100), QPoint(420, 300)), plot));
        else if (zoom == 2)
            QVERIFY(m.zoomTo(QRect(QPoint(250, 10), QPoint(262, 390)), plot));
        const QImage every = drawn(m, true);
        const QImage reduced = drawn(m, false);
        // The series are there at all.
        QVERIFY(coloured(every, m.series()[1].colour) + coloured(every, m.series()[2].colour) > 100);
        QCOMPARE(differences(every, reduced), 0);
    }
}

void TestChartDraw::nothingBeyondRange()
{
    // Zoomed into the middle: rows far left and far right of the range draw
    // nothing outside the clip, the frame and the outer area stay as they were.
    ChartModel m;
    load(m, randomTable(3000, 9, false), "x");
    m.prepare(nullptr, 0, false);
    const PlotRect plot = PlotRect::inside(QSize(640, 400));
    m.zoomTo(QRect(QPoint(300, 150), QPoint(340, 250)), plot);
    const QImage img = drawn(m, false);
    for (int x = 0; x < img.width(); ++x) {
        QCOMPARE(img.pixel(x, 0), qRgb(0xF0, 0xF0, 0xF0));
        QCOMPARE(img.pixel(x, plot.B + 2), qRgb(0xF0, 0xF0, 0xF0));
    }
    QCOMPARE(img.pixel(plot.L - 2, plot.T + 10), qRgb(255, 255, 255)); // the frame
}

void TestChartDraw::dateAxisLines()
{
    // Five days: a dotted blue line every day; ten days: every seven days.
    for (int days : {5, 10}) {
        ChartModel m;
        const int from = 8766; // 2024.01.01
        load(m, cv::table({"d", "v"}, {list<I>(KD, {from, from + days}), list<F>(KF, {0.0, 1.0})}), "d");
        m.series()[1].checked = false; // no series in the way; the grid only
        m.series()[1].checked = true;
        m.prepare(nullptr, 0, false);
        const QImage img = drawn(m, false);
        const PlotRect plot = PlotRect::inside(img.size());
        const PixelMap map(m.range(), plot);
        QList<int> lineDays;
        for (int d = from; d <= from + days; ++d) {
            const int px = int(map.x(d));
            int blue = 0;
            for (int y = plot.T + 100; y < plot.T + 200; ++y)
                blue += img.pixel(px, y) == qRgb(0, 0, 255);
            if (blue > 20)
                lineDays << d - from;
        }
        // 2024.01.01 is a Monday; weekly lines fall on multiples of 7 days from 2000.01.01 (Saturdays).
        QCOMPARE(lineDays, days == 5 ? QList<int>({0, 1, 2, 3, 4}) : QList<int>({5}));
    }
}

void TestChartDraw::axisLabelsNeverOverlap()
{
    // Dates from the left edge and values from 0: the first X label (reading
    // upwards from the bottom-left corner) meets the lowest Y labels.
    ChartModel m;
    const int from = 8766;
    load(m, cv::table({"d", "v"}, {list<I>(KD, {from, from + 5}), list<F>(KF, {0.0, 1.0})}), "d");
    m.prepare(nullptr, 0, false);
    const PlotRect plot = PlotRect::inside(QSize(640, 400));
    const auto labels = ChartPainter::axisLabels(m, plot);
    std::vector<QRect> xs, ys;
    int hidden = 0;
    for (const auto& l : labels) {
        if (l.xAxis)
            xs.push_back(l.box);
        else if (l.text.isEmpty())
            ++hidden;
        else
            ys.push_back(l.box);
    }
    QCOMPARE(int(xs.size()), 5); // a label for every day line
    QVERIFY(!ys.empty());
    QVERIFY(hidden > 0); // the corner's Y labels gave way
    for (const QRect& y : ys)
        for (const QRect& x : xs)
            QVERIFY2(!x.intersects(y), qPrintable(QStringLiteral("%1,%2 vs %3,%4").arg(y.x()).arg(y.y()).arg(x.x()).arg(x.y())));
}

void TestChartDraw::intNullDrawnAtRawValue()
{
    // The null pulls the range down to -2147483648, and the line reaches the bottom.
    ChartModel m;
    load(m, cv::table({"x", "y"}, {list<J>(KJ, {0, 1, 2}), list<I>(KI, {100, INT32_MIN, 100})}), "x");
    m.prepare(nullptr, 0, false);
    const QImage img = drawn(m, false);
    const PlotRect plot = PlotRect::inside(img.size());
    const QRgb c = m.series()[1].colour | 0xff000000u;
    QCOMPARE(img.pixel((plot.L + plot.R) / 2, plot.B), c);
    // The two segments down to it and back cross the middle row.
    int crossings = 0;
    for (int x = plot.L; x < plot.R; ++x)
        crossings += img.pixel(x, (plot.T + plot.B) / 2) == c;
    QVERIFY(crossings >= 2);
}

void TestChartDraw::fewBarsStandWide()
{
    // Five bars over the plot: each a column most of its gap wide, from the
    // bottom (or, hanging, from the top) to its value; thousands of bars
    // stay lines a pixel wide.
    for (int style : {int(ChartModel::Bars), int(ChartModel::HangingBars)}) {
        ChartModel m;
        load(m, cv::table({"x", "y"}, {list<J>(KJ, {0, 1, 2, 3, 4}), list<F>(KF, {1.0, 3.0, 2.0, 5.0, 4.0})}), "x");
        m.setDefaultStyle(style);
        QCOMPARE(m.prepare(nullptr, 0, false), ChartModel::Prepared::Drawn);
        const QImage img = drawn(m, false);
        const PlotRect plot = PlotRect::inside(img.size());
        const PixelMap map(m.range(), plot);
        const QRgb c = m.series()[1].colour | 0xff000000u;
        const int gap = int(map.x(2) - map.x(1));
        // Three quarters of the gap, at most an eighth of the plot.
        const int expected = std::min(gap * 3 / 4, (plot.R - plot.L) / 8);
        QVERIFY(expected > 20);
        QCOMPARE(ChartPainter::barWidth(m, plot), expected);
        // Across the bar of x = 2 (value 2), a third of the way from its end at the base.
        const int y = style == ChartModel::Bars ? int(map.y(1.5)) : int(map.y(4.5));
        int width = 0;
        for (int x = int(map.x(1.5)); x < int(map.x(2.5)); ++x)
            width += img.pixel(x, y) == c;
        QVERIFY2(width >= expected - 1 && width <= expected + 1, qPrintable(QString::number(width)));
        // Every point drawn gives the same picture.
        QCOMPARE(differences(drawn(m, true), img), 0);
    }
    ChartModel many;
    load(many, randomTable(4000, 3, false), "x");
    many.setDefaultStyle(ChartModel::Bars);
    many.prepare(nullptr, 0, false);
    QCOMPARE(ChartPainter::barWidth(many, PlotRect::inside(QSize(640, 400))), 1);
}

QTEST_MAIN(TestChartDraw)
#include "tst_chart_draw.moc"

// Saves pictures of the chart dialog for review (not a test):
//   QT_QPA_PLATFORM=offscreen build/tests/chart/chart_shots DIR
#include "ChartValues.h"

#include "chart/CDlgGraph.h"
#include "chart/CGraphControl.h"
#include "chart/ChartLauncher.h"

#include "core/settings/CDlgQSettings.h"
#include "results/grid/COutputTable.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <cmath>
#include <random>

using namespace cv;

namespace {

K series(int rows, long long start, long long step)
{
    std::mt19937 gen(7);
    std::normal_distribution<double> noise(0, 1);
    std::vector<long long> t;
    std::vector<double> bid, ask;
    double b = 100;
    for (int i = 0; i < rows; ++i) {
        t.push_back(start + i * step);
        b += noise(gen) * 0.4;
        bid.push_back(b);
        ask.push_back(b + 1.5 + std::sin(i / 15.0));
    }
    return cv::table({"time", "bid", "ask"}, {vec(KP, t), vec(KF, bid), vec(KF, ask)});
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);
    CDlgQSettings settings;
    ChartLauncher launcher(ChartContext{nullptr, nullptr, nullptr, &settings, QString(), {}});
    const long long day = 8766LL * 86400000000000LL; // 2024.01.01
    COutputTable grid;
    launcher.attach(&grid);
    CResultInfo record;
    record.query = QStringLiteral("select time, bid, ask from quote where date=2024.01.01");

    K small = series(120, day + 9 * 3600000000000LL, 60000000000LL); // 2 hours by the minute
    grid.setValue(small, &record);
    r0(small);
    CDlgGraph* dlg = launcher.plot(&grid);
    dlg->resize(1200, 620);
    if (!QTest::qWaitForWindowExposed(dlg))
        return 1;
    const char* names[] = {"style0-line", "style1-circled-line", "style2-scatter", "style3-bars", "style4-hanging-bars"};
    for (int style = 0; style < 5; ++style) {
        dlg->defaultStyle()->setCurrentIndex(style);
        dlg->chart();
        QApplication::processEvents();
        dlg->capture().save(dir + QLatin1Char('/') + QLatin1String(names[style]) + QStringLiteral(".png"));
    }

    // A million points over a trading day, then zoomed in twice.
    K big = series(1000000, day + 8 * 3600000000000LL, 30000000LL);
    grid.setValue(big, &record);
    r0(big);
    dlg = launcher.plot(&grid);
    dlg->resize(1200, 620);
    if (!QTest::qWaitForWindowExposed(dlg))
        return 1;
    dlg->chart();
    QApplication::processEvents();
    dlg->capture().save(dir + QStringLiteral("/temporal-1M.png"));
    CGraphControl* c = dlg->control();
    const PlotRect p = c->plotRect();
    dlg->model().zoomTo(QRect(QPoint(p.L + (p.R - p.L) * 2 / 5, p.T + 40), QPoint(p.L + (p.R - p.L) / 2, p.B - 40)), p);
    c->draw();
    dlg->model().zoomTo(QRect(QPoint(p.L + (p.R - p.L) / 4, p.T), QPoint(p.L + (p.R - p.L) * 3 / 4, p.B)), p);
    c->draw();
    QTest::mouseMove(c, QPoint((p.L + p.R) / 2, (p.T + p.B) / 2));
    QApplication::processEvents();
    dlg->capture().save(dir + QStringLiteral("/zoomed.png"));
    return 0;
}

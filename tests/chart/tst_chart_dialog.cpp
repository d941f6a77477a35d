// The chart dialog over a real grid: opening from "Plot result...", the
// property grid, the X-axis choice, graph.cfg, "All", charting, zooming with
// the mouse, copying, "Follow result", closing on a new value, saving.
#include "ChartValues.h"

#include "../common/ScriptedFileChooser.h"
#include "../common/ScriptedPrompter.h"
#include "../common/TempHome.h"

#include "chart/CDlgChartStyles.h"
#include "chart/CDlgGraph.h"
#include "chart/CGraphControl.h"
#include "chart/ChartLauncher.h"

#include "core/settings/CDlgQSettings.h"
#include "results/grid/COutputTable.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QtTest>

using namespace cv;

namespace {

K trades(double shift = 0)
{
    return cv::table({"time", "sym", "price", "size"},
                     {list<I>(KT, {34200000, 35000000, 36000000, 37000000}), syms({"a", "b", "a", "c"}),
                      list<F>(KF, {9.0 + shift, 12.0 + shift, 10.5 + shift, 11.0 + shift}),
                      list<J>(KJ, {200, 50, 100, 400})});
}

struct Fixture {
    TempHome home;
    ScriptedPrompter prompter;
    ScriptedFileChooser files;
    CDlgQSettings settings;
    std::unique_ptr<SettingsStore> store = home.store();
    COutputTable grid;
    QColor nextColour; // what the colour picker answers
    ChartLauncher launcher;

    explicit Fixture(K value)
        : launcher(ChartContext{&prompter, &files, store.get(), &settings, home.filePath(QStringLiteral("graph.cfg")),
                                [this](QColor) { return nextColour; }})
    {
        launcher.attach(&grid);
        CResultInfo record;
        record.query = QStringLiteral("select from trade");
        grid.setValue(value, &record);
        r0(value);
    }
    void setValue(K value)
    {
        CResultInfo record;
        record.query = QStringLiteral("select from trade");
        grid.setValue(value, &record);
        r0(value);
    }
};

QTreeWidgetItem* prop(CDlgGraph* dlg, int i) { return dlg->properties()->topLevelItem(i); }

QString descriptionOf(CDlgGraph* dlg, int i)
{
    dlg->properties()->setCurrentItem(prop(dlg, i));
    return dlg->description()->text();
}

} // namespace

class TestChartDialog : public QObject {
    Q_OBJECT
private slots:
    void opensFromTheGrid();
    void paletteFromGraphCfg();
    void xAxisChoiceDisablesItsSeries();
    void allFollowsTheSeries();
    void chartZoomAndCopy();
    void nothingChecked();
    void newValueClosesTheDialog();
    void followResult();
    void defaultColours();
    void chartingStyles();
    void saveAs();
    void bottomZeroSetting();
    void rangeFieldsFitTimestamps();
    void darkLookRedrawsTheChart();
};

void TestChartDialog::darkLookRedrawsTheChart()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    dlg->resize(900, 500);
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    dlg->chart();
    QVERIFY(dlg->control()->chartDrawn());
    const QPoint corner(2, 2); // in the surround, outside the plot
    QCOMPARE(QColor(dlg->control()->picture().pixel(corner)), QColor(0xF0, 0xF0, 0xF0));
    // A dark look: the built-in white background follows it and the open chart is drawn again.
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Base, QColor(30, 31, 34));
    dark.setColor(QPalette::Window, QColor(43, 45, 48));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    QCOMPARE(dlg->background(), QColor(30, 31, 34));
    QCOMPARE(prop(dlg, 0)->text(1), QStringLiteral("#1e1f22"));
    QCOMPARE(QColor(dlg->control()->picture().pixel(corner)), QColor(0x2B, 0x2D, 0x30));
    // Back to a light look.
    QApplication::setPalette(light);
    QCoreApplication::processEvents();
    QCOMPARE(dlg->background(), QColor(Qt::white));
    QCOMPARE(QColor(dlg->control()->picture().pixel(corner)), QColor(0xF0, 0xF0, 0xF0));
}

void TestChartDialog::opensFromTheGrid()
{
    Fixture f(trades());
    QVERIFY(ChartLauncher::canPlot(&f.grid));
    std::unique_ptr<QMenu> menu(f.grid.createContextMenu(QPoint(5, 5)));
    QAction* plot = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == QLatin1String("Plot result..."))
            plot = a;
    QVERIFY(plot && plot->isEnabled());
    plot->trigger();
    auto* dlg = qobject_cast<CDlgGraph*>(f.grid.renderer()->boundChart());
    QVERIFY(dlg && dlg->isVisible());
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Graph"));
    // The same dialog comes forward again.
    QCOMPARE(f.launcher.plot(&f.grid), dlg);

    QCOMPARE(dlg->xAxis()->count(), 3);
    QCOMPARE(dlg->xAxis()->itemText(0), QStringLiteral("time (time)"));
    QCOMPARE(dlg->xAxis()->itemText(1), QStringLiteral("price (float)"));
    QCOMPARE(dlg->xAxis()->itemText(2), QStringLiteral("size (long)"));
    QCOMPARE(dlg->properties()->topLevelItemCount(), 5);
    QCOMPARE(prop(dlg, 0)->text(0), QStringLiteral("Background"));
    QCOMPARE(descriptionOf(dlg, 0), QStringLiteral("Background color"));
    QCOMPARE(prop(dlg, 2)->text(0), QStringLiteral("sym (symbol)"));
    QVERIFY(!(prop(dlg, 2)->flags() & Qt::ItemIsUserCheckable));
    QCOMPARE(descriptionOf(dlg, 2), QStringLiteral("Value of type symbol can't be charted"));
    QCOMPARE(prop(dlg, 3)->checkState(0), Qt::Checked);
    QVERIFY(prop(dlg, 3)->flags() & Qt::ItemIsUserCheckable);
    QCOMPARE(descriptionOf(dlg, 3), QStringLiteral("Specifies the price color"));
    QCOMPARE(dlg->defaultStyle()->itemText(1), QStringLiteral("Line with Circled points (Connected)"));

    // A list cannot be plotted: the command is disabled.
    f.setValue(list<J>(KJ, {1, 2, 3}));
    QVERIFY(!ChartLauncher::canPlot(&f.grid));
    QVERIFY(!f.launcher.plot(&f.grid));
}

void TestChartDialog::paletteFromGraphCfg()
{
    Fixture f(trades());
    QFile cfg(f.home.filePath(QStringLiteral("graph.cfg")));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write("#ffffff\n#ff0000\n");
    cfg.close();
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    QCOMPARE(dlg->background(), QColor(255, 255, 255));
    QCOMPARE(dlg->colourOf(3), qRgb(255, 0, 0));
    QCOMPARE(dlg->colourOf(4), qRgb(255, 0, 0));
    QCOMPARE(prop(dlg, 4)->text(1), QStringLiteral("#ff0000"));
}

void TestChartDialog::xAxisChoiceDisablesItsSeries()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    dlg->xAxis()->setCurrentIndex(1); // price
    QCOMPARE(prop(dlg, 3)->checkState(0), Qt::Unchecked);
    QVERIFY(!(prop(dlg, 3)->flags() & Qt::ItemIsUserCheckable));
    QCOMPARE(descriptionOf(dlg, 3), QStringLiteral("Currenly selected as X-axis"));
    dlg->xAxis()->setCurrentIndex(0); // time again
    QCOMPARE(prop(dlg, 3)->checkState(0), Qt::Checked);
    QVERIFY(prop(dlg, 3)->flags() & Qt::ItemIsUserCheckable);
    QCOMPARE(descriptionOf(dlg, 3), QStringLiteral("Specifies the price color"));
}

void TestChartDialog::allFollowsTheSeries()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    QCOMPARE(dlg->all()->checkState(), Qt::Checked);
    prop(dlg, 4)->setCheckState(0, Qt::Unchecked);
    QVERIFY(!dlg->model().series()[3].checked);
    QTRY_COMPARE(dlg->all()->checkState(), Qt::PartiallyChecked); // the timer brings it in step
    dlg->all()->click(); // mixed: everything off
    QCOMPARE(prop(dlg, 3)->checkState(0), Qt::Unchecked);
    QCOMPARE(prop(dlg, 4)->checkState(0), Qt::Unchecked);
    QCOMPARE(dlg->all()->checkState(), Qt::Unchecked);
    dlg->all()->click(); // unchecked: everything on
    QCOMPARE(prop(dlg, 3)->checkState(0), Qt::Checked);
    QCOMPARE(prop(dlg, 4)->checkState(0), Qt::Checked);
    QCOMPARE(dlg->all()->checkState(), Qt::Checked);
    // The symbol column stays out of it.
    QVERIFY(!dlg->model().series()[1].checked);
}

void TestChartDialog::chartZoomAndCopy()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    dlg->resize(1100, 600);
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    dlg->chart();
    CGraphControl* c = dlg->control();
    QVERIFY(c->chartDrawn());
    QCOMPARE(dlg->xFrom()->text(), QStringLiteral("09:30:00.000"));
    QCOMPARE(dlg->xTo()->text(), QStringLiteral("10:16:40.000"));
    QCOMPARE(dlg->yFrom()->text(), QStringLiteral("9"));
    QCOMPARE(dlg->yTo()->text(), QStringLiteral("400"));
    // The picture holds the series' colours.
    const QImage pic = c->picture();
    int seen = 0;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x)
            seen += pic.pixel(x, y) == dlg->colourOf(4);
    QVERIFY(seen > 50);

    // Nothing to copy before a zoom.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    emit c->copyQueryRequested(false);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    std::unique_ptr<QMenu> menu(c->createContextMenu(QPoint(50, 50)));
    QVERIFY(!menu->actions()[0]->isEnabled());
    QCOMPARE(menu->actions()[0]->text(), QStringLiteral("Undo Zoom"));

    // Mouse move read-out, then a drag over the left half.
    const PlotRect plot = c->plotRect();
    QTest::mouseMove(c, QPoint(plot.L, plot.B));
    QTRY_VERIFY(!dlg->readX()->text().isEmpty());
    const int mid = (plot.L + plot.R) / 2;
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(plot.L, plot.T));
    QTest::mouseMove(c, QPoint(mid, plot.B));
    QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(mid, plot.B));
    QVERIFY(dlg->model().canUndoZoom());
    QCOMPARE(dlg->xFrom()->text(), QStringLiteral("09:30:00.000"));
    QVERIFY(dlg->xTo()->text() < QStringLiteral("09:54:00.000") && dlg->xTo()->text() > QStringLiteral("09:53:00.000"));
    emit c->copyQueryRequested(false);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("select from (select from trade) where time within (09:30:00.000;") + dlg->xTo()->text()
                 + QLatin1Char(')'));
    emit c->copyValuesRequested(QPoint(plot.L - 1, plot.B));
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("time (time):\t09:30:00.000\r\nY:\t9"));
    menu.reset(c->createContextMenu(QPoint(50, 50)));
    QVERIFY(menu->actions()[0]->isEnabled());
    menu->actions()[0]->trigger(); // Undo Zoom
    QCOMPARE(dlg->xTo()->text(), QStringLiteral("10:16:40.000"));
    QVERIFY(!dlg->model().canUndoZoom());
}

void TestChartDialog::nothingChecked()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    dlg->all()->click(); // all off
    f.prompter.expectInform(QStringLiteral("Select something to Chart first."));
    dlg->chart();
    QCOMPARE(f.prompter.pending(), 0);
    QVERIFY(!dlg->control()->chartDrawn());
}

void TestChartDialog::newValueClosesTheDialog()
{
    Fixture f(trades());
    QPointer<CDlgGraph> dlg = f.launcher.plot(&f.grid);
    f.setValue(trades(1));
    QVERIFY(dlg->closedByChange());
    QVERIFY(!dlg->isVisible());
    CDlgGraph* next = f.launcher.plot(&f.grid);
    QVERIFY(next != dlg.data());
    QVERIFY(next->isVisible());
    QTRY_VERIFY(!dlg); // the old one is gone
}

void TestChartDialog::followResult()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    dlg->followResult()->setChecked(true);
    dlg->chart();
    QCOMPARE(dlg->yFrom()->text(), QStringLiteral("9"));
    // Same columns: the chart follows and keeps the X choice.
    f.setValue(cv::table({"time", "sym", "price", "size"},
                         {list<I>(KT, {0, 1000}), syms({"a", "b"}), list<F>(KF, {1.5, 2.5}), list<J>(KJ, {3, 4})}));
    QTRY_COMPARE(dlg->yFrom()->text(), QStringLiteral("1.5"));
    QVERIFY(dlg->isVisible() && !dlg->closedByChange());
    QCOMPARE(dlg->xTo()->text(), QStringLiteral("00:00:01.000"));
    // Other columns: it closes.
    f.setValue(cv::table({"a", "b"}, {list<J>(KJ, {1, 2}), list<J>(KJ, {3, 4})}));
    QTRY_VERIFY(dlg->closedByChange());
    QVERIFY(!dlg->isVisible());
}

void TestChartDialog::defaultColours()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    f.prompter.expect(QStringLiteral("Yes - To save colors to graph.cfg and use as cycling default.\nNo - To restore default colors & delete graph.cfg."),
                      QStringLiteral("Default colors"), Prompter::Buttons::YesNoCancel, Prompter::Icon::Question,
                      Prompter::Answer::Cancel, Prompter::Answer::Cancel);
    dlg->defaultColours();
    const QString path = f.home.filePath(QStringLiteral("graph.cfg"));
    QVERIFY(!QFile::exists(path));

    // A custom colour for size, then Yes: the file holds the background and the colours of price and size.
    f.nextColour = QColor(0x12, 0x34, 0x56);
    dlg->pickColour(4);
    QCOMPARE(prop(dlg, 4)->text(1), QStringLiteral("#123456"));
    f.prompter.expect(QStringLiteral("Yes - To save colors to graph.cfg and use as cycling default.\nNo - To restore default colors & delete graph.cfg."),
                      QStringLiteral("Default colors"), Prompter::Buttons::YesNoCancel, Prompter::Icon::Question,
                      Prompter::Answer::Yes);
    dlg->defaultColours();
    QFile cfg(path);
    QVERIFY(cfg.open(QIODevice::ReadOnly));
    QCOMPARE(cfg.readAll(), QByteArray("#ffffff\n#000000\n#123456\n"));
    cfg.close();

    f.prompter.expect(QStringLiteral("Yes - To save colors to graph.cfg and use as cycling default.\nNo - To restore default colors & delete graph.cfg."),
                      QStringLiteral("Default colors"), Prompter::Buttons::YesNoCancel, Prompter::Icon::Question,
                      Prompter::Answer::No);
    dlg->defaultColours();
    QVERIFY(!QFile::exists(path));
    QCOMPARE(dlg->background(), QColor(Qt::white));
    QCOMPARE(dlg->properties()->topLevelItemCount(), 5);
    QCOMPARE(prop(dlg, 4)->text(1), QStringLiteral("#ff0000")); // the built-in palette again
    // "Default" takes a custom colour back.
    dlg->pickColour(3);
    QCOMPARE(dlg->colourOf(3), qRgb(0x12, 0x34, 0x56));
    dlg->setDefaultColour(3);
    QCOMPARE(dlg->colourOf(3), qRgb(0, 0, 0));
    QCOMPARE(f.prompter.pending(), 0);
}

void TestChartDialog::chartingStyles()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    CDlgChartStyles styles(dlg->model().series());
    QVERIFY(!styles.choice(1)); // symbols have no style
    QVERIFY(styles.choice(2));
    QCOMPARE(styles.description(2), QStringLiteral("Pick charting style for the \"price\" column"));
    QCOMPARE(styles.choice(2)->itemText(0), QStringLiteral("Default"));
    QCOMPARE(styles.choice(2)->itemText(4), QStringLiteral("Bars(from bottom)"));
    styles.choice(2)->setCurrentIndex(3);
    styles.apply(dlg->model().series());
    QCOMPARE(dlg->model().series()[2].style, 3);
    QCOMPARE(dlg->model().styleOf(dlg->model().series()[2]), int(ChartModel::Scatter));
    QCOMPARE(dlg->model().styleOf(dlg->model().series()[3]), int(ChartModel::Line));
}

void TestChartDialog::saveAs()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    dlg->chart();
    const QString png = f.home.filePath(QStringLiteral("chart.png"));
    f.files.plan(png);
    dlg->saveAs();
    QImage saved(png);
    QCOMPARE(saved.size(), dlg->size());
    const QString svg = f.home.filePath(QStringLiteral("chart.svg"));
    f.files.plan(svg);
    dlg->saveAs();
    QFile s(svg);
    QVERIFY(s.open(QIODevice::ReadOnly));
    QVERIFY(s.readAll().contains("<svg"));
    // A folder that does not exist: "Save failed." and no file.
    f.files.plan(f.home.filePath(QStringLiteral("missing/chart.png")));
    f.prompter.expectInform(QStringLiteral("Save failed."), Prompter::Icon::Warning);
    dlg->saveAs();
    QCOMPARE(f.prompter.pending(), 0);
    // Cancelled: nothing.
    f.files.plan(QString());
    dlg->saveAs();
}

void TestChartDialog::bottomZeroSetting()
{
    Fixture f(trades());
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    QVERIFY(!dlg->bottomZero()->isChecked());
    dlg->bottomZero()->click();
    QCOMPARE(f.store->readInt(QStringLiteral("ChartY0"), 0), 1);
    dlg->chart();
    QCOMPARE(dlg->yFrom()->text(), QStringLiteral("0"));
    // A new dialog reads it.
    f.setValue(trades(2));
    CDlgGraph* next = f.launcher.plot(&f.grid);
    QVERIFY(next->bottomZero()->isChecked());
}

void TestChartDialog::rangeFieldsFitTimestamps()
{
    // A nanosecond timestamp X axis: each range field shows its whole text.
    const long long day = 86400LL * 1000000000LL;
    Fixture f(table({"time", "price"},
                    {vec<J>(KP, {9000 * day + 123456789, 9001 * day + 987654321}), vec<double>(KF, {1.5, 2.5})}));
    CDlgGraph* dlg = f.launcher.plot(&f.grid);
    dlg->resize(900, 500);
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    dlg->chart();
    QVERIFY(dlg->xTo()->text().contains(u'D'));
    for (QLineEdit* e : {dlg->xFrom(), dlg->xTo(), dlg->yFrom(), dlg->yTo()})
        QVERIFY2(e->width() >= e->fontMetrics().horizontalAdvance(e->text()) + 4,
                 qPrintable(e->objectName() + QStringLiteral(": ") + e->text()));
}

QTEST_MAIN(TestChartDialog)
#include "tst_chart_dialog.moc"

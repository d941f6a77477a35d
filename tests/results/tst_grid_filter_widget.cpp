// The grid's filter row under the offscreen platform: Ctrl+Shift+F shows and
// hides the boxes, which sit under their columns as these are resized and
// scrolled; typing narrows the rows (on a thread for a long table) while
// column widths, sorting and copying keep working on the rows shown; and the
// status text of the grid in focus.
#include "GridValues.h"

#include "core/settings/CDlgQSettings.h"
#include "results/grid/CGridFilterHeader.h"
#include "results/grid/CGridStatus.h"
#include "results/grid/COutputTable.h"
#include "results/grid/GridFilterRunner.h"
#include "results/grid/GridRowWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace gv;

namespace {

QPoint headerPoint(QHeaderView* header, int section)
{
    return QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, 5);
}

K trades()
{
    return table({"sym", "price", "size"},
                 {syms({"IBM", "MSFT", "", "IBM", "AAPL"}), list<double>(KF, {101.5, qnan, 99, 120, 100}),
                  list<J>(KJ, {100, 200, nj, 300, 50})});
}

void ctrlShiftF(QWidget* widget)
{
    QTest::keyClick(widget, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
}

QStringList column(const QTableView& view, int section)
{
    QStringList cells;
    for (int r = 0; r < view.model()->rowCount(); ++r)
        cells << view.model()->index(r, section).data().toString();
    return cells;
}

} // namespace

class TestGridFilterWidget : public QObject {
    Q_OBJECT
private slots:
    void init();
    void ctrlShiftFShowsBoxesUnderColumns();
    void typingFiltersAndKeepsWidths();
    void sortingAndCopyingActOnShownRows();
    void longTableFiltersOffThread();
    void statusOfGridInFocus();

private:
    CDlgQSettings m_settings;
};

void TestGridFilterWidget::init()
{
    m_settings = CDlgQSettings();
    m_settings.AddNumColumn = true;
}

void TestGridFilterWidget::ctrlShiftFShowsBoxesUnderColumns()
{
    COutputTable view;
    view.setSettings(&m_settings);
    KPtr t(trades());
    view.setValue(t.get());
    view.resize(260, 200);
    view.show();
    view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    auto* header = view.filterHeader();
    const int plainHeight = header->height();
    QVERIFY(!view.isFilterRowVisible());
    QVERIFY(!header->box(1)->isVisible());

    view.setFocus();
    ctrlShiftF(&view);
    QVERIFY(view.isFilterRowVisible());
    QTRY_VERIFY(header->height() > plainHeight);
    // No box over the number column; each other box spans its column below the titles.
    QVERIFY(!header->box(0)->isVisible());
    for (int section = 1; section < 4; ++section) {
        QLineEdit* box = header->box(section);
        QVERIFY(box->isVisible());
        QCOMPARE(box->x(), header->sectionViewportPosition(section));
        QCOMPARE(box->width(), header->sectionSize(section));
        QVERIFY(box->y() >= plainHeight - 1);
    }
    QVERIFY(QApplication::focusWidget() == header->box(1));

    header->resizeSection(1, 300);
    QCOMPARE(header->box(2)->x(), header->sectionViewportPosition(2));
    QCOMPARE(header->box(1)->width(), 300);
    QTRY_VERIFY(view.horizontalScrollBar()->maximum() > 0);
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    QVERIFY(header->offset() > 0);
    QCOMPARE(header->box(3)->x(), header->sectionViewportPosition(3));

    // Hiding the row shows every row again, with the boxes emptied.
    QTest::keyClicks(header->box(1), QStringLiteral("IBM"));
    QCOMPARE(view.model()->rowCount(), 2);
    ctrlShiftF(header->box(1));
    QVERIFY(!view.isFilterRowVisible());
    QCOMPARE(view.model()->rowCount(), 5);
    QVERIFY(header->box(1)->text().isEmpty());
    QVERIFY(!view.renderer()->isFiltered());
    QTRY_COMPARE(header->height(), plainHeight);
}

void TestGridFilterWidget::typingFiltersAndKeepsWidths()
{
    COutputTable view;
    view.setSettings(&m_settings);
    KPtr t(trades());
    view.setValue(t.get());
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setFilterRowVisible(true);
    auto* header = view.filterHeader();
    header->resizeSection(2, 90);
    header->moveSection(3, 1);

    QTest::keyClicks(header->box(2), QStringLiteral(">=100"));
    QCOMPARE(column(view, 1), (QStringList{"IBM", "IBM", "AAPL"}));
    QCOMPARE(column(view, 0), (QStringList{"0", "1", "2"})); // numbered down the screen
    QCOMPARE(header->sectionSize(2), 90);
    QCOMPARE(header->visualIndex(3), 1);
    QVERIFY(!header->box(2)->property("invalidFilter").toBool());

    // Both boxes must hold; an operand that is no number matches nothing and is marked.
    QTest::keyClicks(header->box(3), QStringLiteral("<300"));
    QCOMPARE(column(view, 1), (QStringList{"IBM", "AAPL"}));
    QTest::keyClicks(header->box(3), QStringLiteral("x"));
    QCOMPARE(view.model()->rowCount(), 0);
    QVERIFY(header->box(3)->property("invalidFilter").toBool());

    // Escape empties a box, then leaves for the grid.
    QTest::keyClick(header->box(3), Qt::Key_Escape);
    QVERIFY(header->box(3)->text().isEmpty());
    QCOMPARE(view.model()->rowCount(), 3);
    QVERIFY(!header->box(3)->property("invalidFilter").toBool());
    // Tab goes to the next box on screen (size was moved before sym), Shift+Tab back.
    header->box(3)->setFocus();
    QTest::keyClick(header->box(3), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), header->box(1));
    QTest::keyClick(header->box(1), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), header->box(3));
    QTest::keyClick(header->box(3), Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), &view);

    // A new value empties the boxes and shows all of it.
    KPtr other(table({"a", "b", "c"}, {longs(0, 4), longs(0, 4), longs(0, 4)}));
    view.setValue(other.get());
    QVERIFY(header->box(2)->text().isEmpty());
    QCOMPARE(view.model()->rowCount(), 4);
    QVERIFY(view.isFilterRowVisible());
}

void TestGridFilterWidget::sortingAndCopyingActOnShownRows()
{
    m_settings.AddNumColumn = false;
    m_settings.QCopyHeaders = true;
    COutputTable view;
    view.setSettings(&m_settings);
    KPtr t(trades());
    view.setValue(t.get());
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setFilterRowVisible(true);
    QHeaderView* header = view.horizontalHeader();
    QTest::keyClicks(view.filterHeader()->box(1), QStringLiteral("!null"));

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(header, 1));
    QCOMPARE(column(view, 1), (QStringList{"99", "100", "101.5", "120"}));
    QCOMPARE(header->sortIndicatorSection(), 1);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(header, 1));
    QCOMPARE(column(view, 0), (QStringList{"IBM", "IBM", "AAPL", ""}));

    view.selectAll();
    view.copyRows(false);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("sym\tprice\tsize\r\nIBM\t120\t300\r\nIBM\t101.5\t100\r\nAAPL\t100\t50\r\n\t99\t0N\r\n"));

    // Clearing the box shows every row in the sort order.
    view.filterHeader()->box(1)->clear();
    QCOMPARE(column(view, 1), (QStringList{"120", "101.5", "100", "99", "0n"}));
}

void TestGridFilterWidget::longTableFiltersOffThread()
{
    const int rows = 300000;
    COutputTable view;
    KPtr t(table({"n"}, {longs(0, rows)}));
    view.setValue(t.get());
    view.resize(300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.isWindowed());
    QVERIFY(rows > view.filter()->threadThreshold());
    view.setFilterRowVisible(true);
    QSignalSpy applied(view.filter(), &GridFilterRunner::applied);

    QTest::keyClicks(view.filterHeader()->box(0), QStringLiteral(">=19"));
    QVERIFY(view.filter()->isRunning());
    QVERIFY(applied.wait(10000));
    QTRY_COMPARE(view.renderer()->rowCount(), rows - 19);
    QVERIFY(view.isWindowed());
    QCOMPARE(view.model()->index(0, 0).data().toString(), QStringLiteral("19"));

    // Narrowed to a few rows the grid shows them row for row; only the last
    // of the texts typed is applied.
    view.filterHeader()->box(0)->clear();
    QCOMPARE(view.renderer()->rowCount(), rows);
    QList<int> shown; // rows shown at each application
    connect(view.filter(), &GridFilterRunner::applied, &view, [&] { shown << view.renderer()->rowCount(); });
    QTest::keyClicks(view.filterHeader()->box(0), QStringLiteral(">=299990"));
    QTRY_COMPARE(view.renderer()->rowCount(), 10);
    QVERIFY(!view.isWindowed());
    QCOMPARE(view.model()->rowCount(), 10);
    QCOMPARE(view.model()->index(0, 0).data().toString(), QStringLiteral("299990"));
    QTest::qWait(50);
    // ">" and ">=" are no condition yet; of the runs for 2, 29, ... only the last shows.
    QCOMPARE(shown, (QList<int>{rows, rows, 10}));
}

void TestGridFilterWidget::statusOfGridInFocus()
{
    m_settings.AddNumColumn = false;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* view = new COutputTable(COutputTable::Place::OutputPane);
    auto* elsewhere = new QLineEdit;
    layout->addWidget(view);
    layout->addWidget(elsewhere);
    view->setSettings(&m_settings);
    KPtr t(trades());
    view->setValue(t.get());
    window.resize(400, 300);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    CGridStatus status;
    status.attach(view);

    view->setFocus();
    QTRY_COMPARE(status.text(), QStringLiteral("5 rows \u00D7 3 columns"));
    view->setFilterRowVisible(true);
    QTest::keyClicks(view->filterHeader()->box(1), QStringLiteral("!null"));
    QTRY_COMPARE(status.text(), QStringLiteral("4 of 5 rows \u00D7 3 columns"));

    // Selected rows in the current column: price, then size with its null left out.
    view->setFocus();
    view->selectAll();
    view->selectionModel()->setCurrentIndex(view->model()->index(0, 1), QItemSelectionModel::NoUpdate);
    QTRY_COMPARE(status.text(), QStringLiteral("4 of 5 rows \u00D7 3 columns    Count: 4  Sum: 420.5  Avg: 105.125  "
                                               "Min: 99  Max: 120"));
    view->selectionModel()->setCurrentIndex(view->model()->index(0, 2), QItemSelectionModel::NoUpdate);
    QTRY_COMPARE(status.text(), QStringLiteral("4 of 5 rows \u00D7 3 columns    Count: 3  Sum: 450  Avg: 150  "
                                               "Min: 50  Max: 300"));

    elsewhere->setFocus();
    QTRY_VERIFY(status.text().isEmpty());
    QCOMPARE(status.gridAround(view->filterHeader()->box(1)), view);
}

QTEST_MAIN(TestGridFilterWidget)
#include "tst_grid_filter_widget.moc"

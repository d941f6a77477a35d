// The grid widget and the Grid View pane under the offscreen platform: header
// clicks, selections across sorts, Ctrl+J, Ctrl+C, the context menu, double
// clicks, tooltips, and the labels and captions told after a load.
#include "GridValues.h"

#include "core/settings/CDlgQSettings.h"
#include "results/grid/CKTableView.h"
#include "results/grid/COutputTable.h"
#include "results/grid/GridRowWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QWheelEvent>
#include <QSignalSpy>
#include <QTest>

using namespace gv;

namespace {

QPoint headerPoint(QHeaderView* header, int section)
{
    return QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
}

QPoint cellPoint(QTableView* view, int row, int column)
{
    return view->visualRect(view->model()->index(row, column)).center();
}

void selectRows(QTableView* view, std::initializer_list<int> rows)
{
    view->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QAction* findAction(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions()) {
        if (a->text() == text)
            return a;
        if (a->menu())
            if (QAction* inner = findAction(a->menu(), text))
                return inner;
    }
    return nullptr;
}

QStringList actionTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* a : menu->actions()) {
        if (a->menu())
            texts << actionTexts(a->menu());
        else if (!a->isSeparator())
            texts << a->text();
    }
    return texts;
}

// A table of one long column n holding 0, 1, ... rows - 1.
K countingTable(J rows)
{
    K n = ktn(KJ, rows);
    for (J i = 0; i < rows; ++i)
        kJ(n)[i] = i;
    return table({"n"}, {n});
}

// The value shown in the top row of the viewport.
QString topValue(COutputTable& view)
{
    return view.indexAt(QPoint(1, 1)).data().toString();
}

} // namespace

class TestGridWidget : public QObject {
    Q_OBJECT
private slots:
    void init();
    void headerClicksSortAndMoveTheArrow();
    void selectionFollowsItsRowsAcrossSorts();
    void ctrlJSizesColumnsToTheirText();
    void longTablesSizedForTheirLastRows_data();
    void longTablesSizedForTheirLastRows();
    void manyRowsSizedAsFewer_data();
    void manyRowsSizedAsFewer();
    void numericColumnsSizedForTheirWidestValue_data();
    void numericColumnsSizedForTheirWidestValue();
    void floatColumnsSizedForTheirWidestValue_data();
    void floatColumnsSizedForTheirWidestValue();
    void copyRows_data();
    void copyRows();
    void copyInHeaderDragOrder();
    void contextMenuTextsAndStates();
    void doubleClick();
    void shiftTooltipMakesTheCellCurrent();
    void outputPaneLoad();
    void gridViewPane();
    void longTableThroughAWindow();
    void windowedSelectionByMouse();
    void windowedKeysAndSort();

private:
    CDlgQSettings m_settings;
};

void TestGridWidget::init()
{
    m_settings = CDlgQSettings();
}

void TestGridWidget::headerClicksSortAndMoveTheArrow()
{
    m_settings.AddNumColumn = true;
    COutputTable view;
    view.setSettings(&m_settings);
    KPtr t(table({"n", "s"}, {list<J>(KJ, {2, 3, 1}), syms({"b", "a", "c"})}));
    view.setValue(t.get());
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QHeaderView* header = view.horizontalHeader();

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(header, 1));
    QCOMPARE(header->sortIndicatorSection(), 1);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(view.model()->index(0, 1).data().toString(), QStringLiteral("1"));

    // The number column does not sort and leaves the arrow where it was.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(header, 0));
    QCOMPARE(header->sortIndicatorSection(), 1);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(header, 1));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(view.model()->index(0, 1).data().toString(), QStringLiteral("3"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(header, 1));
    QCOMPARE(header->sortIndicatorSection(), -1);
    QCOMPARE(displayOrder(*view.renderer()), (QList<int>{0, 1, 2}));

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(header, 2));
    QCOMPARE(header->sortIndicatorSection(), 2);
    QCOMPARE(displayOrder(*view.renderer()), (QList<int>{1, 0, 2}));
}

void TestGridWidget::selectionFollowsItsRowsAcrossSorts()
{
    COutputTable view;
    KPtr t(table({"n"}, {list<J>(KJ, {5, 1, 4, 2, 3})}));
    view.setValue(t.get());
    view.resize(300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    selectRows(&view, {0, 2, 3}); // values 5, 4, 2
    view.selectionModel()->setCurrentIndex(view.model()->index(3, 0), QItemSelectionModel::NoUpdate);
    QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, {},
                      headerPoint(view.horizontalHeader(), 0));
    // Ascending 1 2 3 4 5: the values 2, 4, 5 now sit at rows 1, 3, 4.
    QCOMPARE(view.selectedRows(), (std::vector<int>{1, 3, 4}));
    QCOMPARE(view.currentIndex().row(), 1);

    view.selectAll();
    QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, {},
                      headerPoint(view.horizontalHeader(), 0));
    QCOMPARE(view.selectedRows().size(), std::size_t(5));
}

void TestGridWidget::ctrlJSizesColumnsToTheirText()
{
    COutputTable view;
    KPtr t(table({"s"}, {strings({"a fairly long text in one cell", "b"})}));
    view.setValue(t.get());
    view.resize(600, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int textWidth = view.fontMetrics().horizontalAdvance(view.model()->index(0, 0).data().toString());
    QVERIFY(view.columnWidth(0) >= textWidth); // sized when the value came
    view.setColumnWidth(0, 10);
    QTest::keyClick(&view, Qt::Key_J, Qt::ControlModifier);
    QVERIFY(view.columnWidth(0) >= textWidth);
}

void TestGridWidget::longTablesSizedForTheirLastRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("all rows in the view") << 20000;     // wider than the view's sample of the top
    QTest::newRow("rows through a window") << 1000000;
}

void TestGridWidget::longTablesSizedForTheirLastRows()
{
    QFETCH(int, rows);
    COutputTable view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    KPtr t(countingTable(rows));
    view.setValue(t.get());
    const QString last = QString::number(rows - 1);
    QVERIFY(view.columnWidth(0) > view.fontMetrics().horizontalAdvance(last));
}

void TestGridWidget::manyRowsSizedAsFewer_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("numberColumn");
    QTest::newRow("1,000,000") << 1000000 << false;
    QTest::newRow("5,000,000") << 5000000 << false;
    QTest::newRow("5,000,000 numbered") << 5000000 << true;
}

void TestGridWidget::manyRowsSizedAsFewer()
{
    // ([] a:til n; b:0.5*til n; c:n#200 syms; d:timestamps): every column is
    // as wide as its widest text, its last rows' included, however long.
    QFETCH(int, rows);
    QFETCH(bool, numberColumn);
    m_settings.AddNumColumn = numberColumn;
    K a = ktn(KJ, rows), b = ktn(KF, rows), c = ktn(KS, rows), d = ktn(KP, rows);
    std::vector<S> names;
    for (int i = 0; i < 200; ++i)
        names.push_back(ss(QStringLiteral("s%1").arg(i).toUtf8().constData()));
    for (int i = 0; i < rows; ++i) {
        kJ(a)[i] = i;
        kF(b)[i] = 0.5 * i;
        kS(c)[i] = names[std::size_t(i % 200)];
        kJ(d)[i] = 788918400000000000LL + J(i) * 1000000000LL;
    }
    KPtr t(table({"a", "b", "c", "d"}, {a, b, c, d}));
    COutputTable view;
    view.setSettings(&m_settings);
    view.resize(800, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setValue(t.get());
    QCOMPARE(view.renderer()->rowCount(), rows);
    QVERIFY(view.isWindowed());
    const int first = numberColumn ? 1 : 0;
    QCOMPARE(view.renderer()->headerText(first), QStringLiteral("a"));
    view.scrollToBottom();
    const int lastInWindow = view.model()->rowCount() - 1;
    for (int section = 0; section < view.renderer()->columnCount(); ++section) {
        // What the view needs to show the last row's cell whole: its hint and the grid line.
        const QModelIndex last = view.model()->index(lastInWindow, section);
        QCOMPARE(view.displayRow(last), rows - 1);
        QVERIFY2(view.columnWidth(section) >= view.sizeHintForIndex(last).width() + 1,
                 qPrintable(QStringLiteral("%1: %2 for %3").arg(section).arg(view.columnWidth(section)).arg(last.data().toString())));
    }
    QCOMPARE(view.renderer()->cellText(rows - 1, first), QString::number(rows - 1));
}

void TestGridWidget::numericColumnsSizedForTheirWidestValue_data()
{
    // A long column whose widest value sits in the middle, far from the
    // rows the view samples at the top and the last rows.
    QTest::addColumn<int>("type");
    QTest::addColumn<qlonglong>("widest");
    QTest::addColumn<QString>("text");
    QTest::newRow("long, largest") << int(KJ) << 1234567890123LL << "1234567890123";
    QTest::newRow("long, smallest") << int(KJ) << -987654321LL << "-987654321";
    QTest::newRow("int") << int(KI) << -123456789LL << "-123456789";
    QTest::newRow("timespan") << int(KN) << -3LL * 86400 * 1000000000LL << "-3D00:00:00.000000000";
    QTest::newRow("date beyond 9999") << int(KD) << 3000000LL << "Invalid DateTime";
}

void TestGridWidget::numericColumnsSizedForTheirWidestValue()
{
    QFETCH(int, type);
    QFETCH(qlonglong, widest);
    QFETCH(QString, text);
    const int rows = 200000;
    K column = ktn(type, rows);
    for (int i = 0; i < rows; ++i) {
        if (type == KI || type == KD)
            kI(column)[i] = i % 7;
        else
            kJ(column)[i] = i % 7;
    }
    if (type == KI || type == KD)
        kI(column)[rows / 2] = static_cast<int>(widest);
    else
        kJ(column)[rows / 2] = widest;
    COutputTable view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    KPtr t(table({"v"}, {column}));
    view.setValue(t.get());
    const int section = view.renderer()->columnCount() - 1;
    QCOMPARE(view.renderer()->valueCellText(rows / 2, section), text);
    QVERIFY(view.columnWidth(section) > view.fontMetrics().horizontalAdvance(text));
    view.setColumnWidth(section, 5);
    view.autoSizeColumns();
    QVERIFY(view.columnWidth(section) > view.fontMetrics().horizontalAdvance(text));
}

void TestGridWidget::floatColumnsSizedForTheirWidestValue_data()
{
    // One value in the middle of 200,000 short ones: a float's widest text
    // need not be at an extreme (3.141593 is neither the smallest nor the largest).
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("widest");
    QTest::addColumn<double>("largest");
    QTest::addColumn<QString>("text");
    QTest::newRow("float, every digit between the extremes") << int(KF) << 3.141593 << 999.0 << "3.141593";
    QTest::newRow("float, smallest magnitude") << int(KF) << 0.0001234567 << 6.0 << "0.0001234567";
    QTest::newRow("float, most negative") << int(KF) << -123456.7 << 6.0 << "-123456.7";
    QTest::newRow("real, every digit") << int(KE) << 2.718282 << 99.0 << "2.718282";
}

void TestGridWidget::floatColumnsSizedForTheirWidestValue()
{
    QFETCH(int, type);
    QFETCH(double, widest);
    QFETCH(double, largest);
    QFETCH(QString, text);
    const int rows = 200000;
    K column = ktn(type, rows);
    for (int i = 0; i < rows; ++i) {
        if (type == KE)
            kE(column)[i] = static_cast<float>(i % 7);
        else
            kF(column)[i] = i % 7;
    }
    auto put = [&](int row, double v) {
        if (type == KE)
            kE(column)[row] = static_cast<float>(v);
        else
            kF(column)[row] = v;
    };
    put(rows / 2, widest);
    put(rows / 3, largest);
    COutputTable view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    KPtr t(table({"v"}, {column}));
    view.setValue(t.get());
    const int section = view.renderer()->columnCount() - 1;
    const QString shown = view.renderer()->valueCellText(rows / 2, section);
    QCOMPARE(shown, text);
    QVERIFY(view.columnWidth(section) > view.fontMetrics().horizontalAdvance(shown));
    view.setColumnWidth(section, 5);
    view.autoSizeColumns();
    QVERIFY(view.columnWidth(section) > view.fontMetrics().horizontalAdvance(shown));
}

void TestGridWidget::copyRows_data()
{
    QTest::addColumn<bool>("copyHeaders");
    QTest::addColumn<bool>("invert");
    QTest::addColumn<bool>("html");
    QTest::addColumn<QString>("text");
    const QString rows = QStringLiteral("x\t1\r\nz\t3\r\n");
    const QString header = QStringLiteral("s\tn\r\n");
    QTest::newRow("Ctrl+C, no headers") << false << false << true << rows;
    QTest::newRow("with headers") << false << true << true << header + rows;
    QTest::newRow("headers by setting") << true << false << false << header + rows;
    QTest::newRow("without headers") << true << true << false << rows;
}

void TestGridWidget::copyRows()
{
    QFETCH(bool, copyHeaders);
    QFETCH(bool, invert);
    QFETCH(bool, html);
    QFETCH(QString, text);
    m_settings.QCopyHeaders = copyHeaders;
    m_settings.CopyInHTML = html;
    COutputTable view;
    view.setSettings(&m_settings);
    KPtr t(table({"s", "n"}, {syms({"x", "y", "z"}), list<J>(KJ, {1, 2, 3})}));
    view.setValue(t.get());
    selectRows(&view, {2, 0});
    QApplication::clipboard()->clear();
    if (invert)
        view.copyRows(true);
    else
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    QVERIFY(mime);
    QCOMPARE(mime->text(), text);
    QCOMPARE(mime->hasHtml(), html);
    if (html)
        QVERIFY(mime->html().contains(QLatin1String("<TD bgcolor=\"#ffffff\">z</TD>")));
}

void TestGridWidget::copyInHeaderDragOrder()
{
    m_settings.QCopyHeaders = true;
    COutputTable view;
    view.setSettings(&m_settings);
    KPtr t(table({"a", "b", "c"}, {list<J>(KJ, {1}), list<J>(KJ, {2}), list<J>(KJ, {3})}));
    view.setValue(t.get());
    view.horizontalHeader()->moveSection(2, 0); // the user dragged c first
    selectRows(&view, {0});
    view.copyRows(false);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("c\ta\tb\r\n3\t1\t2\r\n"));
}

void TestGridWidget::contextMenuTextsAndStates()
{
    COutputTable view;
    view.setSettings(&m_settings);
    KPtr t(table({"a longer column name", "n"}, {strings({"abcdefghijklmnopqrstuvwxyz", "A&B"}), list<J>(KJ, {1, 2})}));
    CResultInfo record;
    view.setValue(t.get(), &record);
    view.resize(600, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QMenu* menu = view.createContextMenu(cellPoint(&view, 0, 0));
    QCOMPARE(view.renderer()->currentRow(), 0);
    QCOMPARE(view.renderer()->currentSection(), 0);
    QCOMPARE(actionTexts(menu),
             (QStringList{"Copy Ce&ll (\"abcdefghijklmn...)", "Copy Col&umn (a longer column...)", "&Copy Row(s)",
                          "Copy Row(s) with Headers", "Export &Selection to CSV...", "&Export All to CSV...",
                          "Select &All", "Open in browser", "Open in Excel", "Export to .xlsx...",
                          "Auto si&ze columns",
                          "Show Result Properties", "Send to Instance...", "Send to Stash...",
                          "Send Table to Grid View", "Send Cell to Grid View", "Show Underlying Object",
                          "Save to binary...", "Load from binary...", "Plot result..."}));
    QVERIFY(!findAction(menu, "Show Result Properties")->isEnabled()); // no query text
    QVERIFY(!findAction(menu, "Send to Instance...")->isEnabled());
    QVERIFY(!findAction(menu, "Plot result...")->isEnabled());
    QVERIFY(findAction(menu, "Show Underlying Object")->isEnabled());
    QVERIFY(findAction(menu, "Save to binary...")->isEnabled());
    QVERIFY(findAction(menu, "Export to .xlsx...")->isEnabled());
    delete menu;

    // A cell's own "&" is no mnemonic; states follow the hooks and the record.
    m_settings.QCopyHeaders = true;
    record.query = QStringLiteral("t");
    KPtr u(table({"s"}, {strings({"A&B"})}));
    view.setValue(u.get(), &record);
    view.setServerConnected([] { return true; });
    view.setCanPlot([] { return true; });
    menu = view.createContextMenu(cellPoint(&view, 0, 0));
    QVERIFY(findAction(menu, "Copy Ce&ll (\"A&&B\")"));
    QVERIFY(findAction(menu, "Copy Row(s) without Headers"));
    QVERIFY(findAction(menu, "Show Result Properties")->isEnabled());
    QVERIFY(findAction(menu, "Send to Instance...")->isEnabled());
    QVERIFY(findAction(menu, "Plot result...")->isEnabled());
    QSignalSpy stash(&view, &COutputTable::sendToStash);
    findAction(menu, "Send to Stash...")->trigger();
    QCOMPARE(stash.count(), 1);
    QCOMPARE(stash.at(0).at(0).value<K>(), u.get());
    delete menu;

    // Outside every cell there is no current cell to copy.
    menu = view.createContextMenu(QPoint(590, 290));
    QVERIFY(!findAction(menu, "Copy Ce&ll")->isEnabled());
    QVERIFY(!findAction(menu, "Copy Col&umn")->isEnabled());
    delete menu;
}

void TestGridWidget::doubleClick()
{
    COutputTable view;
    KPtr nested(list<J>(KJ, {7, 8}));
    KPtr t(table({"v", "s"}, {knk(2, r1(nested.get()), kj(1)), strings({"xy", "zz"})}));
    view.setValue(t.get());
    view.resize(600, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy sent(&view, &COutputTable::sendToGridView);

    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cellPoint(&view, 0, 0));
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.at(0).at(0).value<K>(), nested.get());
    QCOMPARE(sent.at(0).at(2).value<K>(), t.get()); // the object the cell came from

    // Atoms and strings are copied instead.
    QApplication::clipboard()->clear();
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cellPoint(&view, 1, 1));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\"zz\""));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cellPoint(&view, 1, 0));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1j"));
    QCOMPARE(sent.count(), 1);
}

void TestGridWidget::shiftTooltipMakesTheCellCurrent()
{
    COutputTable view;
    KPtr t(table({"n"}, {list<J>(KJ, {1, 2})}));
    view.setValue(t.get());
    view.resize(300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.toolTipAt(cellPoint(&view, 1, 0), Qt::NoModifier).isEmpty());
    QCOMPARE(view.renderer()->currentRow(), -1);
    QCOMPARE(view.toolTipAt(cellPoint(&view, 1, 0), Qt::ShiftModifier),
             QStringLiteral("Column:\n type:7h (long)\n count:2"));
    QCOMPARE(view.renderer()->currentRow(), 1);
}

void TestGridWidget::outputPaneLoad()
{
    COutputTable view(COutputTable::Place::OutputPane);
    QSignalSpy shown(&view, &COutputTable::valueShown);
    QSignalSpy loaded(&view, &COutputTable::loaded);
    KPtr t(table({"n"}, {list<J>(KJ, {1, 2, 3})}));
    view.setValue(t.get());
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).value<K>(), t.get());
    QCOMPARE(loaded.count(), 0); // posted, told once the view has settled
    QVERIFY(loaded.wait(1000));
    QCOMPARE(loaded.at(0).at(0).toString(), QStringLiteral("Table:3"));
    view.setValue(t.get());
    QCOMPARE(shown.count(), 1); // the same value is not recorded again
}

void TestGridWidget::gridViewPane()
{
    CKTableView pane;
    QSignalSpy captions(&pane, &CKTableView::captionChanged);
    QSignalSpy showRequests(&pane, &CKTableView::showRequested);
    QCOMPARE(pane.caption(), QStringLiteral("Grid View"));

    // A cell sent from another grid, then its underlying object shown.
    COutputTable source;
    KPtr t(table({"d"}, {knk(1, xD(syms({"a", "b"}), list<J>(KJ, {1, 2})))}));
    CResultInfo record;
    record.query = QStringLiteral("q");
    source.setValue(t.get(), &record);
    connect(&source, &COutputTable::sendToGridView, pane.grid(), &COutputTable::receiveValue);
    source.renderer()->setCurrentCell(0, 0);
    source.sendCellToGridView();
    QTRY_COMPARE(pane.caption(), QStringLiteral("Grid View (Dict:2)"));
    QCOMPARE(showRequests.count(), 1);

    pane.grid()->setValue(pane.grid()->renderer()->shownValue());
    QCOMPARE(showRequests.count(), 2); // the same value only shows the pane

    pane.grid()->showUnderlyingObject();
    QTRY_COMPARE(pane.caption(), QStringLiteral("Grid View (Table:1)"));

    // The pane's own cell sent to itself: the table it came from is held by
    // nothing else once the source grid lets go of it.
    connect(pane.grid(), &COutputTable::sendToGridView, pane.grid(), &COutputTable::receiveValue);
    source.setValue(nullptr);
    t.reset();
    pane.grid()->renderer()->setCurrentCell(0, 0);
    pane.grid()->sendCellToGridView();
    QTRY_COMPARE(pane.caption(), QStringLiteral("Grid View (Dict:2)"));
    QCOMPARE(pane.grid()->renderer()->underlyingObject()->t, XT);
    QCOMPARE(pane.grid()->renderer()->record().query, QStringLiteral("q"));
    pane.grid()->showUnderlyingObject();
    QTRY_COMPARE(pane.caption(), QStringLiteral("Grid View (Table:1)"));

    pane.grid()->setValue(nullptr);
    QCOMPARE(pane.caption(), QStringLiteral("Grid View"));
    QCOMPARE(captions.last().at(0).toString(), QStringLiteral("Grid View"));
}

// Rows beyond what the view holds row by row: the view sees a window, the
// scroll bar counts every row and the last one is reachable.
void TestGridWidget::longTableThroughAWindow()
{
    const int rows = GridRowWindow::kDirectRows + 4465;
    COutputTable view;
    KPtr t(countingTable(rows));
    view.setValue(t.get());
    view.resize(300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.isWindowed());
    QCOMPARE(view.model()->rowCount(), GridRowWindow::kWindowRows);
    QCOMPARE(view.renderer()->rowCount(), rows);
    QScrollBar* bar = view.verticalScrollBar();
    const int page = bar->pageStep();
    QVERIFY(page > 3);
    QCOMPARE(bar->maximum(), rows - page);

    bar->setValue(40000);
    QCOMPARE(topValue(view), QStringLiteral("40000"));
    QCOMPARE(view.displayRow(view.indexAt(QPoint(1, 1))), 40000);
    view.scrollToBottom();
    QCOMPARE(topValue(view), QString::number(rows - page));
    const QModelIndex last = view.model()->index(view.model()->rowCount() - 1, 0);
    QCOMPARE(last.data().toString(), QString::number(rows - 1));
    QVERIFY(view.viewport()->rect().contains(view.visualRect(last)));
    bar->setValue(0);
    QCOMPARE(topValue(view), QStringLiteral("0"));
    // The wheel moves by rows of the whole table too.
    QWheelEvent wheel(QPointF(5, 5), view.viewport()->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    QVERIFY(bar->value() > 0);
    QCOMPARE(topValue(view), QString::number(bar->value()));
}

void TestGridWidget::windowedSelectionByMouse()
{
    const int rows = GridRowWindow::kDirectRows + 10000;
    COutputTable view;
    KPtr t(countingTable(rows));
    view.setValue(t.get());
    view.resize(300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QPoint top(5, view.visualRect(view.indexAt(QPoint(1, 1))).center().y());

    view.verticalScrollBar()->setValue(40000);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, top);
    QCOMPARE(view.selectedRows(), (std::vector<int>{40000}));
    QCOMPARE(view.displayRow(view.currentIndex()), 40000);
    // Shift+click far away, after the window moved: the range runs from the first click.
    view.verticalScrollBar()->setValue(50000);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, top);
    std::vector<int> selected = view.selectedRows();
    QCOMPARE(selected.size(), std::size_t(10001));
    QCOMPARE(selected.front(), 40000);
    QCOMPARE(selected.back(), 50000);
    // Painted from the grid's own selection; other rows keep the scheme colour.
    const QModelIndex shown = view.indexAt(top);
    QCOMPARE(shown.data(Qt::BackgroundRole).value<QColor>(), view.palette().color(QPalette::Highlight));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, top);
    QCOMPARE(view.selectedRows().size(), std::size_t(10000));
    QVERIFY(shown.data(Qt::BackgroundRole).value<QColor>() != view.palette().color(QPalette::Highlight));

    // Copying takes the selected rows of the whole table.
    view.verticalScrollBar()->setValue(3);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, top);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, top + QPoint(0, view.rowHeight(0)));
    view.copyRows(false);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("3\r\n4\r\n"));

    // The right-clicked cell is current by its row in the table.
    view.verticalScrollBar()->setValue(60000);
    QMenu* menu = view.createContextMenu(top);
    QCOMPARE(view.renderer()->currentRow(), 60000);
    QVERIFY(findAction(menu, QStringLiteral("Copy Ce&ll (60000)")));
    delete menu;

    view.selectAll();
    QCOMPARE(view.selectedRows().size(), std::size_t(rows));
}

void TestGridWidget::windowedKeysAndSort()
{
    const int rows = GridRowWindow::kDirectRows + 100;
    COutputTable view;
    KPtr t(countingTable(rows));
    view.setValue(t.get());
    view.resize(300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setFocus();
    const int page = view.verticalScrollBar()->pageStep();

    // As in any view: Ctrl moves the current row without selecting.
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QVERIFY(view.selectedRows().empty());
    QCOMPARE(view.currentIndex().data().toString(), QString::number(rows - 1));
    QVERIFY(view.viewport()->rect().contains(view.visualRect(view.currentIndex())));
    QTest::keyClick(&view, Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(view.selectedRows().size(), std::size_t(page + 1));
    QCOMPARE(view.selectedRows().front(), rows - 1 - page);
    QCOMPARE(view.selectedRows().back(), rows - 1);
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(view.selectedRows().size(), std::size_t(page + 1));
    QCOMPARE(topValue(view), QStringLiteral("0"));
    QTest::keyClick(&view, Qt::Key_Up); // stays on the first row, which it selects
    QCOMPARE(view.selectedRows(), (std::vector<int>{0}));
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view.selectedRows(), (std::vector<int>{0, 1}));

    // Sorting descending by n: the values 0 and 1 move to the end, still
    // selected, and the current row is scrolled into view there.
    QHeaderView* header = view.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(header, 0));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(header, 0));
    QCOMPARE(view.renderer()->sortDirection(), -1);
    QCOMPARE(view.selectedRows(), (std::vector<int>{rows - 2, rows - 1}));
    QCOMPARE(view.currentIndex().data().toString(), QStringLiteral("1"));
    QVERIFY(view.viewport()->rect().contains(view.visualRect(view.currentIndex())));

    // The next value, long or short, shows from its first row with nothing selected.
    KPtr longer(countingTable(rows + 1));
    view.setValue(longer.get());
    QCOMPARE(topValue(view), QStringLiteral("0"));
    QVERIFY(view.selectedRows().empty());
    view.verticalScrollBar()->setValue(30000);
    KPtr shortTable(countingTable(3));
    view.setValue(shortTable.get());
    QVERIFY(!view.isWindowed());
    QCOMPARE(view.model()->rowCount(), 3);
    QCOMPARE(topValue(view), QStringLiteral("0"));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cellPoint(&view, 1, 0));
    QCOMPARE(view.selectedRows(), (std::vector<int>{1}));
}

QTEST_MAIN(TestGridWidget)
#include "tst_grid_widget.moc"

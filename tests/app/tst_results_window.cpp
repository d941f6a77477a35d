// The result panes through the real window against the test instance: the
// "Table" tab's label, drilling into nested cells from every grid (the
// output pane's, the Grid View's, the stash's), the stash dialog's copy keys,
// and a binary file loaded into the Results view.
#include "ScriptedFileChooser.h"
#include "TestInstance.h"
#include "WindowOnInstance.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CResultsLink.h"
#include "app/CommandIds.h"
#include "chart/CDlgGraph.h"
#include "query/QueryRunner.h"
#include "results/COutputWnd.h"
#include "results/binary/BinaryResultFile.h"
#include "results/grid/CKTableView.h"
#include "results/grid/COutputTable.h"
#include "results/history/CDlgResults.h"
#include "results/history/ResultHistory.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

K longs(std::initializer_list<J> items)
{
    K x = ktn(KJ, J(items.size()));
    J i = 0;
    for (J v : items)
        kJ(x)[i++] = v;
    return x;
}

// ([] a:1 2 3; b:(1 2 3;4 5;6 7 8 9); c:1.5 2.5 0.5): a nested column between
// two that can be plotted.
K nestedTable()
{
    K names = ktn(KS, 3);
    kS(names)[0] = ss("a");
    kS(names)[1] = ss("b");
    kS(names)[2] = ss("c");
    K nested = knk(3, longs({1, 2, 3}), longs({4, 5}), longs({6, 7, 8, 9}));
    K c = ktn(KF, 3);
    kF(c)[0] = 1.5;
    kF(c)[1] = 2.5;
    kF(c)[2] = 0.5;
    return xT(xD(names, knk(3, longs({1, 2, 3}), nested, c)));
}

K countingTable(J rows)
{
    K names = ktn(KS, 1);
    kS(names)[0] = ss("n");
    K n = ktn(KJ, rows);
    for (J i = 0; i < rows; ++i)
        kJ(n)[i] = i;
    return xT(xD(names, knk(1, n)));
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

int sectionOf(COutputTable* grid, const QString& header)
{
    for (int s = 0; s < grid->renderer()->columnCount(); ++s)
        if (grid->renderer()->headerText(s) == header)
            return s;
    return -1;
}

// Opens the grid's menu at a cell and triggers one of its commands; false
// when the command is missing or disabled.
bool menuCommand(COutputTable* grid, int row, const QString& header, const QString& text)
{
    const int section = sectionOf(grid, header);
    const QRect cell = grid->visualRect(grid->model()->index(row, section));
    std::unique_ptr<QMenu> menu(grid->createContextMenu(cell.center()));
    QAction* action = findAction(menu.get(), text);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

void shoot(QWidget* widget, const QString& name)
{
    if (const QString shots = qEnvironmentVariable("TOVO_SHOTS"); !shots.isEmpty())
        widget->grab().save(shots + QLatin1Char('/') + name);
}

} // namespace

class TestResultsWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void tableTabReadsItsLabel();
    void drillDownInEveryGrid();
    void stashKeysCopyFromAnywhere();
    void binaryLoadRecordsTheServer();
    void fiveMillionRowsSizedToTheirTexts();

private:
    COutputTable* outputGrid() const { return qobject_cast<COutputTable*>(m_window->frame()->outputWnd()->tabs()->widget(1)); }
    CKTableView* gridView() const { return m_window->pane<CKTableView>(CMainFrame::GridView); }
    CResultsLink* results() const { return m_window->frame()->findChild<CResultsLink*>(); }
    void run(const QString& query);

    std::unique_ptr<TestInstance> m_instance;
    std::unique_ptr<WindowOnInstance> m_window;
    ScriptedFileChooser m_files;
};

void TestResultsWindow::init()
{
    m_instance = std::make_unique<TestInstance>();
    m_instance->on(QStringLiteral("nested"), nestedTable());
    m_instance->on(QStringLiteral("million"), countingTable(1000000));
    QVERIFY(m_instance->start());
    m_files = ScriptedFileChooser();
    m_window = std::make_unique<WindowOnInstance>();
    QVERIFY(m_window->start(quint16(m_instance->port()), &m_files));
    CMainFrame* frame = m_window->frame();
    QTRY_VERIFY_WITH_TIMEOUT(!frame->serverText().isEmpty(), 10000);
    frame->resize(1200, 800);
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
}

void TestResultsWindow::cleanup()
{
    m_window.reset();
    m_instance.reset();
}

void TestResultsWindow::run(const QString& query)
{
    QueryRunner& runner = m_window->app()->queryLink()->runner();
    QTRY_VERIFY_WITH_TIMEOUT(!runner.isRunning(), 10000);
    m_window->app()->queryLink()->run(query, false);
    QTRY_VERIFY_WITH_TIMEOUT(!runner.isRunning(), 10000);
}

void TestResultsWindow::tableTabReadsItsLabel()
{
    COutputWnd* output = m_window->frame()->outputWnd();
    QCOMPARE(output->tableTabText(), QStringLiteral("Table"));
    run(QStringLiteral("nested"));
    QTRY_COMPARE(output->tableTabText(), QStringLiteral("Table:3"));
    QCOMPARE(output->activeTab(), int(COutputWnd::TableTab));
    run(QStringLiteral("million"));
    QTRY_COMPARE(output->tableTabText(), QStringLiteral("Table:1000000"));
    QCOMPARE(output->tabs()->tabText(1), QStringLiteral("Table:1000000"));
    shoot(m_window->frame(), QStringLiteral("30-table-tab-million.png"));
}

void TestResultsWindow::drillDownInEveryGrid()
{
    run(QStringLiteral("nested"));
    COutputTable* table = outputGrid();
    QVERIFY(table);
    QTRY_COMPARE(table->renderer()->rowCount(), 3);
    QDockWidget* gridDock = m_window->frame()->pane(CMainFrame::GridView);
    COutputTable* view = gridView()->grid();

    // The output pane's grid sends its table to the Grid View.
    QVERIFY(menuCommand(table, 0, QStringLiteral("b"), QStringLiteral("Send Table to Grid View")));
    QTRY_COMPARE(gridDock->windowTitle(), QStringLiteral("Grid View (Table:3)"));
    QTRY_VERIFY(view->isVisible());

    // In the Grid View, a double click on a nested cell opens it there.
    const QRect cell = view->visualRect(view->model()->index(2, sectionOf(view, QStringLiteral("b"))));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_COMPARE(gridDock->windowTitle(), QStringLiteral("Grid View (List:4)"));
    QCOMPARE(view->renderer()->cellText(3, sectionOf(view, QStringLiteral("value"))), QStringLiteral("9"));
    shoot(gridDock, QStringLiteral("30-gridview-nested-cell.png"));
    // and "Show Underlying Object" goes back to the table it came from.
    QVERIFY(menuCommand(view, 0, QStringLiteral("value"), QStringLiteral("Show Underlying Object")));
    QTRY_COMPARE(gridDock->windowTitle(), QStringLiteral("Grid View (Table:3)"));
    // Send ▸ "Send Cell to Grid View" of the Grid View does the same.
    QVERIFY(menuCommand(view, 1, QStringLiteral("b"), QStringLiteral("Send Cell to Grid View")));
    QTRY_COMPARE(gridDock->windowTitle(), QStringLiteral("Grid View (List:2)"));
    QVERIFY(menuCommand(view, 0, QStringLiteral("value"), QStringLiteral("Show Underlying Object")));
    QTRY_COMPARE(gridDock->windowTitle(), QStringLiteral("Grid View (Table:3)"));

    // The Grid View's "Send to Stash..." opens the stash with its table.
    QVERIFY(menuCommand(view, 0, QStringLiteral("a"), QStringLiteral("Send to Stash...")));
    CDlgResults* stash = results()->stash();
    QVERIFY(stash && stash->isVisible());
    QCOMPARE(stash->stash().size(), 1);
    COutputTable* kept = stash->grid();
    QTRY_COMPARE(kept->renderer()->rowCount(), 3);
    // The stash's grid sends cells and tables to the Grid View and plots.
    QVERIFY(menuCommand(kept, 2, QStringLiteral("b"), QStringLiteral("Send Cell to Grid View")));
    QTRY_COMPARE(gridDock->windowTitle(), QStringLiteral("Grid View (List:4)"));
    const QRect keptCell = kept->visualRect(kept->model()->index(1, sectionOf(kept, QStringLiteral("b"))));
    QTest::mouseDClick(kept->viewport(), Qt::LeftButton, {}, keptCell.center());
    QTRY_COMPARE(gridDock->windowTitle(), QStringLiteral("Grid View (List:2)"));
    QVERIFY(menuCommand(kept, 0, QStringLiteral("a"), QStringLiteral("Send Table to Grid View")));
    QTRY_COMPARE(gridDock->windowTitle(), QStringLiteral("Grid View (Table:3)"));
    QVERIFY(menuCommand(kept, 0, QStringLiteral("a"), QStringLiteral("Plot result...")));
    auto* chart = qobject_cast<CDlgGraph*>(kept->renderer()->boundChart());
    QVERIFY(chart && chart->isVisible());
    chart->close();
    // and its "Send to Stash..." keeps one entry for the same result.
    QVERIFY(menuCommand(kept, 0, QStringLiteral("a"), QStringLiteral("Send to Stash...")));
    QCOMPARE(stash->stash().size(), 1);
}

void TestResultsWindow::stashKeysCopyFromAnywhere()
{
    run(QStringLiteral("nested"));
    QTRY_COMPARE(outputGrid()->renderer()->rowCount(), 3);
    m_window->frame()->action(cmd::ResultsStash)->trigger();
    CDlgResults* stash = results()->stash();
    QVERIFY(stash);
    stash->addCurrent();
    QCOMPARE(stash->stash().size(), 1);
    COutputTable* kept = stash->grid();
    QTRY_COMPARE(kept->renderer()->rowCount(), 3);
    kept->selectRow(1);
    kept->copyRows(false);
    const QString rows = QApplication::clipboard()->text();
    QVERIFY(rows.contains(QStringLiteral("2.5")));
    stash->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(stash));
    // With the list of labels (then a button) in focus, both keys copy the grid's rows.
    const struct {
        QWidget* focus;
        Qt::Key key;
    } cases[] = {{stash->labels(), Qt::Key_C}, {stash->labels(), Qt::Key_Insert},
                 {stash->button(QStringLiteral("Remove")), Qt::Key_C}, {kept, Qt::Key_Insert}};
    for (const auto& c : cases) {
        QApplication::clipboard()->setText(QStringLiteral("before"));
        c.focus->setFocus();
        QTRY_VERIFY(c.focus->hasFocus());
        QTest::keyClick(c.focus, c.key, Qt::ControlModifier);
        QTRY_COMPARE(QApplication::clipboard()->text(), rows);
    }
    QCOMPARE(stash->stash().size(), 1);
}

void TestResultsWindow::binaryLoadRecordsTheServer()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.bin"));
    KPtr t(nestedTable());
    QString error;
    QVERIFY2(BinaryResultFile::save(path, t.get(), &error), qPrintable(error));
    CMainFrame* frame = m_window->frame();
    CResultsLink* link = results();
    const int before = link->history().size();
    m_files.plan(path);
    emit frame->outputWnd()->resultCommand(QStringLiteral("Load from Binary..."));
    QTRY_COMPARE_WITH_TIMEOUT(link->history().size(), before + 1, 10000);
    const CResultInfo& record = link->history().at(0).info;
    // Shown like a reply of the load's text, from the server of the window.
    QCOMPARE(record.server, frame->serverText());
    QVERIFY(!record.server.isEmpty());
    QCOMPARE(record.query, QStringLiteral("LOADING %1 local binary file...").arg(path));
    QVERIFY2(record.size >= QFileInfo(path).size(), qPrintable(QString::number(record.size)));
    QTRY_COMPARE(frame->outputWnd()->tableTabText(), QStringLiteral("Table:3"));
    QCOMPARE(m_files.pending(), 0);
}

void TestResultsWindow::fiveMillionRowsSizedToTheirTexts()
{
    // ([] a:til n; b:0.5*til n; c:n#200 syms; d:timestamps) at 5,000,000
    // rows: every column as wide as its widest text, the last rows' too.
    const J rows = 5000000;
    K names = ktn(KS, 4);
    const char* const columns[] = {"a", "b", "c", "d"};
    for (int i = 0; i < 4; ++i)
        kS(names)[i] = ss(columns[i]);
    K a = ktn(KJ, rows), b = ktn(KF, rows), c = ktn(KS, rows), d = ktn(KP, rows);
    std::vector<S> syms;
    for (int i = 0; i < 200; ++i)
        syms.push_back(ss(QStringLiteral("sym%1").arg(i).toUtf8().constData()));
    for (J i = 0; i < rows; ++i) {
        kJ(a)[i] = i;
        kF(b)[i] = 0.5 * double(i);
        kS(c)[i] = syms[std::size_t(i % 200)];
        kJ(d)[i] = 788918400000000000LL + i * 1000000LL;
    }
    TestInstance big;
    // As kdb+ sends a large reply to a remote client: compressed.
    big.on(QStringLiteral("five"), xT(xD(names, knk(4, a, b, c, d)))).compressed();
    QVERIFY(big.start());
    WindowOnInstance window;
    QVERIFY(window.start(quint16(big.port())));
    CMainFrame* frame = window.frame();
    QTRY_VERIFY_WITH_TIMEOUT(!frame->serverText().isEmpty(), 10000);
    frame->resize(1200, 800);
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QueryRunner& runner = window.app()->queryLink()->runner();
    window.app()->queryLink()->run(QStringLiteral("five"), false);
    auto* grid = qobject_cast<COutputTable*>(frame->outputWnd()->tabs()->widget(1));
    QTRY_COMPARE_WITH_TIMEOUT(grid->renderer()->rowCount(), int(rows), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!runner.isRunning(), 60000);
    QTRY_COMPARE(frame->outputWnd()->tableTabText(), QStringLiteral("Table:5000000"));
    QCoreApplication::processEvents();
    const QFontMetrics metrics(grid->font());
    for (int section = 0; section < grid->renderer()->columnCount(); ++section) {
        const QString last = grid->renderer()->cellText(int(rows) - 1, section);
        QVERIFY2(grid->columnWidth(section) > metrics.horizontalAdvance(last),
                 qPrintable(QStringLiteral("%1 (%2): %3 wide for %4 (%5)")
                                .arg(grid->renderer()->headerText(section))
                                .arg(section)
                                .arg(grid->columnWidth(section))
                                .arg(last)
                                .arg(metrics.horizontalAdvance(last))));
    }
    grid->scrollToBottom();
    QCoreApplication::processEvents();
    // What the view itself needs for the last row's cells (its delegate, its font).
    const int lastInWindow = grid->model()->rowCount() - 1;
    for (int section = 0; section < grid->renderer()->columnCount(); ++section) {
        const QModelIndex index = grid->model()->index(lastInWindow, section);
        // The cell's hint and the grid line, as the view sizes a column to its contents.
        QVERIFY2(grid->columnWidth(section) >= grid->sizeHintForIndex(index).width() + 1,
                 qPrintable(QStringLiteral("%1: %2 wide, its last cell needs %3")
                                .arg(grid->renderer()->headerText(section))
                                .arg(grid->columnWidth(section))
                                .arg(grid->sizeHintForIndex(index).width())));
    }
    shoot(frame, QStringLiteral("30-five-million-rows.png"));
}

QTEST_MAIN(TestResultsWindow)
#include "tst_results_window.moc"

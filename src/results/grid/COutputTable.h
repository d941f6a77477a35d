// The grid widget: a table view over a CKTableRenderer with fixed row height,
// header-click sorting, auto-sized columns, Shift tooltips, the current cell,
// copying and the grid's context menu. Commands that belong to other panes
// (exports, stash, Grid View, binary files, charts) leave as signals.
#pragma once

#include "results/grid/CKTableRenderer.h"
#include "results/grid/GridCopy.h"
#include "results/grid/GridStatistics.h"
#include "results/grid/RowRanges.h"

#include <QTableView>

#include <functional>
#include <vector>

class CGridFilterHeader;
class CommandHandlers;
class GridFilterRunner;
class GridRowWindow;
class QMenu;

class COutputTable : public QTableView {
    Q_OBJECT
public:
    // Where the grid lives: the output pane's grid records what it shows in
    // the history; the Grid View's grid asks for its pane to be shown.
    enum class Place { OutputPane, GridView, Embedded };

    explicit COutputTable(Place place = Place::Embedded, QWidget* parent = nullptr);

    CKTableRenderer* renderer() const { return m_renderer; }
    Place place() const { return m_place; }

    void setPrompter(Prompter* prompter) { m_renderer->setPrompter(prompter); }
    void setSettings(const CDlgQSettings* settings);
    void setColours(const GridColors& colours) { m_renderer->setColours(colours); }
    void setGridFont(const QFont& font);
    // Enabled states of "Send to Instance..." and "Plot result...".
    void setServerConnected(std::function<bool()> connected) { m_serverConnected = std::move(connected); }
    void setCanPlot(std::function<bool()> canPlot) { m_canPlot = std::move(canPlot); }

    // underlying as for CKTableRenderer::setValue; sendToGridView connects here.
    CKTableRenderer::Outcome setValue(K value, const CResultInfo* record = nullptr, K underlying = nullptr,
                                      std::shared_ptr<const ReplyFacts> facts = {});
    void receiveValue(K value, const CResultInfo& record, K underlying) { setValue(value, &record, underlying); }
    void clear();
    // Every column as wide as its widest text, header included.
    void autoSizeColumns();

    // The window's commands this grid answers while it has the focus (Copy, Select All).
    void registerCommands(CommandHandlers& handlers);

    void copyRows(bool invertHeaders);
    void copyColumn();
    void copyCell();
    void sendTableToGridView();
    void sendCellToGridView();
    void showUnderlyingObject();

    // Display rows selected, in display order; sections in display order.
    std::vector<int> selectedRows() const;
    // The first selected row, cheaply (for the status bar); -1 when none.
    int firstSelectedRow() const;
    // The display row of an index of the view's model (the renderer's row), -1 when invalid.
    int displayRow(const QModelIndex& viewIndex) const;
    // A table longer than the view can hold row by row is shown through a
    // window of rows; then the selection is kept here (see GridRowWindow).
    bool isWindowed() const;
    void selectAll() override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    std::vector<int> displaySections() const;

    // The tooltip for a point of the viewport; the cell under it becomes
    // current. Empty unless Shift is held.
    QString toolTipAt(const QPoint& viewportPos, Qt::KeyboardModifiers modifiers);
    // The context menu for a point of the viewport, whose cell becomes current.
    QMenu* createContextMenu(const QPoint& viewportPos);

    // The filter row under the header: one box a column; hiding it shows
    // every row again.
    void setFilterRowVisible(bool visible);
    bool isFilterRowVisible() const;
    void toggleFilterRow() { setFilterRowVisible(!isFilterRowVisible()); }
    CGridFilterHeader* filterHeader() const { return m_filterHeader; }
    GridFilterRunner* filter() const { return m_filter; }

    // For the status bar: "N rows × M columns" (or "K of N rows × ..."
    // while filtered), empty without a value; the numbers of the selected
    // rows in the current column (every column when there is none).
    QString shapeText() const;
    GridStatistics selectionStatistics() const;

    // "Copy Ce&ll (%1)" with the text, cut to 15 characters and "..." when longer than 18.
    static QString menuText(const QString& format, const QString& text);

signals:
    // Posted after a value has been loaded: title + ":" + row count.
    void loaded(const QString& label);
    // The Grid View's pane should be shown.
    void showRequested();
    void cleared();
    // The output pane's grid has shown a value (for the history).
    void valueShown(K value, const CResultInfo& record);
    // underlying: for a cell sent, the object it came from; else null.
    void sendToGridView(K value, const CResultInfo& record, K underlying);
    void sendToStash(K value, const CResultInfo& record);
    void sendToInstance(K value);
    void exportSelectionToCsv();
    void exportAllToCsv();
    void openInBrowser();
    void openInExcel();
    void exportToXlsx();
    void showResultProperties(const CResultInfo& record);
    void saveToBinary(K value);
    void loadFromBinary();
    void plotResult();
    // The rows shown, the selection or the current cell changed.
    void statusChanged();

protected:
    bool viewportEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    // Auto-sized columns are made wide enough for the table's last rows too.
    void sizeColumnsToSample();
    void widenForLastRows();
    void onHeaderClicked(int section);
    void syncSortIndicator();
    void placeOnClipboard(const GridCopy::Forms& forms);
    void setCurrentCellAt(const QPoint& viewportPos);
    void applyRowHeight();
    // Windowed mode: rows that fit the viewport; the first row shown; the
    // current row moved by a key; the view's current index put on it.
    int pageRows() const;
    void setFirstVisible(int row);
    void ensureVisible(int row);
    void moveCurrent(int row, Qt::KeyboardModifiers modifiers);
    void syncCurrent(int column);
    void onReset();
    void onFilterApplied();
    // The filter box that has the focus, if any (edit commands act on it).
    class QLineEdit* focusedBox() const;

    Place m_place;
    CKTableRenderer* m_renderer;
    GridRowWindow* m_window;
    CGridFilterHeader* m_filterHeader;
    GridFilterRunner* m_filter;
    RowRanges m_selected; // windowed mode only: selected display rows
    int m_anchor = -1;    // display row where a Shift selection starts
    int m_current = -1;   // display row of the current cell
    int m_first = 0;      // display row shown at the top
    bool m_ignoreVertical = false; // the base class is moving the scroll bar
    bool m_dragging = false;
    const CDlgQSettings* m_settings = nullptr;
    std::function<bool()> m_serverConnected;
    std::function<bool()> m_canPlot;
};

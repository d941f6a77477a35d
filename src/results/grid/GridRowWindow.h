// What the grid's view sees of its CKTableRenderer. A table of up to
// kDirectRows rows is passed through row for row. A longer one is shown
// through a window of kWindowRows rows starting at a movable offset, because
// a view keeps state for every row it is told of (Qt's row header alone
// takes 8 bytes a row): then the grid keeps the selection itself, and the
// window paints it.
#pragma once

#include "results/grid/CKTableRenderer.h"
#include "results/grid/RowRanges.h"

#include <QAbstractTableModel>
#include <QColor>

class GridRowWindow : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kDirectRows = 65536;
    static constexpr int kWindowRows = 512;

    explicit GridRowWindow(CKTableRenderer* source, QObject* parent = nullptr);

    bool isWindowed() const { return m_windowed; }
    // The display row of the window's first row (0 when not windowed).
    int offset() const { return m_offset; }
    // Moves the window (clamped so that it stays full); repaints its cells.
    void setOffset(int offset);
    int displayRow(int windowRow) const { return windowRow + m_offset; }
    // The window row of a display row, or -1 when it is outside the window.
    int windowRow(int displayRow) const;

    // The selection painted in windowed mode, and its colours.
    void setSelection(const RowRanges* selection) { m_selection = selection; }
    void setHighlight(const QColor& background, const QColor& text);
    // Repaints every cell of the window (after the selection changed).
    void repaint();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);
    int maxOffset() const;

    CKTableRenderer* m_source;
    bool m_windowed = false;
    int m_offset = 0;
    const RowRanges* m_selection = nullptr;
    QColor m_highlight;
    QColor m_highlightText;
};

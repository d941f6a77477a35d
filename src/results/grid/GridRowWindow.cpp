#include "results/grid/GridRowWindow.h"

#include <algorithm>

GridRowWindow::GridRowWindow(CKTableRenderer* source, QObject* parent)
    : QAbstractTableModel(parent), m_source(source)
{
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        m_windowed = m_source->rowCount() > kDirectRows;
        m_offset = 0;
        endResetModel();
    });
    // Sorting reorders the rows in place.
    connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this,
            [this] { emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint); });
    connect(source, &QAbstractItemModel::layoutChanged, this,
            [this] { emit layoutChanged({}, QAbstractItemModel::VerticalSortHint); });
    connect(source, &QAbstractItemModel::dataChanged, this, &GridRowWindow::sourceDataChanged);
    connect(source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
}

int GridRowWindow::maxOffset() const
{
    return m_windowed ? std::max(0, m_source->rowCount() - kWindowRows) : 0;
}

void GridRowWindow::setOffset(int offset)
{
    offset = std::clamp(offset, 0, maxOffset());
    if (offset == m_offset)
        return;
    m_offset = offset;
    repaint();
}

int GridRowWindow::windowRow(int displayRow) const
{
    const int row = displayRow - m_offset;
    return row >= 0 && row < rowCount() ? row : -1;
}

void GridRowWindow::setHighlight(const QColor& background, const QColor& text)
{
    m_highlight = background;
    m_highlightText = text;
}

void GridRowWindow::repaint()
{
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void GridRowWindow::sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    const int first = std::max(topLeft.row() - m_offset, 0);
    const int last = std::min(bottomRight.row() - m_offset, rowCount() - 1);
    if (first <= last)
        emit dataChanged(index(first, topLeft.column()), index(last, bottomRight.column()), roles);
}

int GridRowWindow::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_windowed ? std::min(kWindowRows, m_source->rowCount()) : m_source->rowCount();
}

int GridRowWindow::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_source->columnCount();
}

QVariant GridRowWindow::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + m_offset;
    if (m_windowed && m_selection && (role == Qt::BackgroundRole || role == Qt::ForegroundRole)
        && m_selection->contains(row))
        return role == Qt::BackgroundRole ? m_highlight : m_highlightText;
    return m_source->data(m_source->index(row, index.column()), role);
}

QVariant GridRowWindow::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return {};
    return m_source->headerData(section, orientation, role);
}

#include "watch/CWatchListCtrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

CWatchListCtrl::CWatchListCtrl(QWidget* parent)
    : QTableView(parent)
{
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void CWatchListCtrl::editLabel(int row)
{
    const QModelIndex index = model()->index(row, 0);
    setCurrentIndex(index);
    edit(index);
}

void CWatchListCtrl::autoSizeColumns()
{
    resizeColumnToContents(1);
    resizeColumnToContents(0);
}

QList<int> CWatchListCtrl::selectedRowNumbers() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CWatchListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (!isEditingLabel()) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (currentIndex().isValid())
                emit queryRequested(currentIndex().row());
            return;
        case Qt::Key_Insert:
            emit addRequested();
            return;
        case Qt::Key_Delete:
            emit deleteRequested();
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

void CWatchListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        emit addRequested();
    else if (index.column() == 0)
        editLabel(index.row());
    else
        emit queryRequested(index.row());
}

void CWatchListCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    emit labelEditEnded();
}

#include "results/history/CHistoryListCtrl.h"

#include "results/history/ResultHistory.h"

#include <QHeaderView>

#include <algorithm>

CHistoryListCtrl::CHistoryListCtrl(QWidget* parent)
    : QTableWidget(parent)
{
    setObjectName(QStringLiteral("CHistoryListCtrl"));
    setColumnCount(5);
    setHorizontalHeaderLabels({QStringLiteral("Timestamp"), QStringLiteral("Size"), QStringLiteral("Server"),
                               QStringLiteral("Roundtrip"), QStringLiteral("Query")});
    verticalHeader()->hide();
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
}

void CHistoryListCtrl::refill(const ResultHistory& history)
{
    setUpdatesEnabled(false);
    clearContents();
    setRowCount(history.size());
    for (int row = 0; row < history.size(); ++row) {
        const CResultWithInfo& record = history.at(row);
        const QString query = QString(record.info.query).replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QString cells[] = {record.info.received, record.sizeText(), record.info.server, record.roundtripText(),
                                 query};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 4)
                item->setToolTip(record.info.query);
            setItem(row, c, item);
        }
    }
    for (int c = 0; c < 4; ++c)
        resizeColumnToContents(c);
    setColumnWidth(4, 300);
    setUpdatesEnabled(true);
}

std::vector<int> CHistoryListCtrl::selectedRowNumbers() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The list of the "Results History" pane: one row per kept result, newest
// first, with grid lines and full-row selection.
#pragma once

#include <QTableWidget>

#include <vector>

class ResultHistory;

class CHistoryListCtrl : public QTableWidget {
    Q_OBJECT
public:
    explicit CHistoryListCtrl(QWidget* parent = nullptr);

    // Refills the rows from the history; the last column 300 pixels wide,
    // the others fitted to their contents and headers.
    void refill(const ResultHistory& history);
    // Selected rows, ascending.
    std::vector<int> selectedRowNumbers() const;
};

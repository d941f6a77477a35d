// The watch list control: a report view with grid lines, check boxes,
// full-row selection and in-place editing of the expression. It turns keys
// and clicks into requests; the watch pane acts on them.
#pragma once

#include <QTableView>

class CWatchListCtrl : public QTableView {
    Q_OBJECT
public:
    explicit CWatchListCtrl(QWidget* parent = nullptr);

    // Starts editing the expression of row.
    void editLabel(int row);
    bool isEditingLabel() const { return state() == QAbstractItemView::EditingState; }
    // Expression column and value column fitted to their contents.
    void autoSizeColumns();
    QList<int> selectedRowNumbers() const;

signals:
    void queryRequested(int row);   // Enter, double click on a value
    void addRequested();            // Insert, double click on empty space
    void deleteRequested();         // Delete
    void labelEditEnded();          // accepted or cancelled

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
};

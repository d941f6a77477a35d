// The Grid View pane's content: one grid filling it. The pane's caption
// follows what the grid shows.
#pragma once

#include "results/grid/COutputTable.h"

#include <QWidget>

class CKTableView : public QWidget {
    Q_OBJECT
public:
    explicit CKTableView(QWidget* parent = nullptr);

    COutputTable* grid() const { return m_grid; }
    // "Grid View", or "Grid View (" + label + ")" while a value is shown.
    const QString& caption() const { return m_caption; }

signals:
    void captionChanged(const QString& caption);
    // The pane should be made visible.
    void showRequested();

private:
    void setCaption(const QString& caption);

    COutputTable* m_grid;
    QString m_caption;
};

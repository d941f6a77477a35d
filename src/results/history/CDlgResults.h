// "Results Stash": results kept for longer, each under its label, shown in the
// dialog's own grid. A modeless dialog, made on first use and kept.
#pragma once

#include "results/history/ResultStash.h"

#include <QDialog>

#include <functional>

class COutputTable;
class QListWidget;
class QPushButton;

class CDlgResults : public QDialog {
    Q_OBJECT
public:
    // The output pane grid's value (underlying object or first table) and record.
    using CurrentSource = std::function<CResultWithInfo()>;

    explicit CDlgResults(QWidget* parent = nullptr);

    void setCurrentSource(CurrentSource source) { m_current = std::move(source); }

    // Adds (or finds) the record's entry, selects and shows it.
    void add(K value, const CResultInfo& info);
    void addCurrent();
    void removeSelected();

    ResultStash& stash() { return m_stash; }
    COutputTable* grid() const { return m_grid; }
    QListWidget* labels() const { return m_labels; }
    int selectedIndex() const;
    QPushButton* button(const QString& text) const;

signals:
    void sendToInstanceRequested(K value);
    void propertiesRequested(const CResultInfo& record);
    void sendToGridViewRequested(K value, const CResultInfo& record);
    void openExcelRequested();

private:
    void select(int index);
    void showSelected();

    ResultStash m_stash;
    CurrentSource m_current;
    QListWidget* m_labels;
    COutputTable* m_grid;
    int m_shown = -1;
    K m_shownValue = nullptr; // identity only: which value the grid shows
};

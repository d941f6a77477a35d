// The "Results History" pane: the recent grid results with their context
// menu. Removing is the pane's own; the other commands leave as signals to
// their owners (the stash, the Grid View, sending to an instance).
#pragma once

#include "results/history/CResultWithInfo.h"

#include <QWidget>

#include <vector>

class CHistoryListCtrl;
class QMenu;
class ResultHistory;

class CHistoryPane : public QWidget {
    Q_OBJECT
public:
    explicit CHistoryPane(ResultHistory& history, QWidget* parent = nullptr);

    CHistoryListCtrl* list() const { return m_list; }
    ResultHistory& history() { return m_history; }

    // The commands of the context menu, as the menu runs them.
    void showProperties();
    void removeSelected();
    void sendToInstance();
    void sendToStash();
    void sendToGridView();

    bool oneSelected() const;
    bool anySelected() const;

    QMenu* createContextMenu();

signals:
    void propertiesRequested(const CResultInfo& record);
    void sendToInstanceRequested(K value);
    // Every selected record, in list order.
    void sendToStashRequested(const std::vector<CResultWithInfo>& records);
    void sendToGridViewRequested(K value, const CResultInfo& record);
    // The Grid View pane should be shown (also when nothing is selected).
    void gridViewShowRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const CResultWithInfo* selectedRecord() const;

    ResultHistory& m_history;
    CHistoryListCtrl* m_list;
};

// The "Server View" pane: the server list as a tree with a filter box on its
// toolbar, the current server in bold, the explorer's commands in its context
// menu and toolbar, Enter, "." and double click, dragging servers between
// folders and "Copy connection symbol". The behaviour is ServerExplorer's.
#pragma once

#include "connect/ServerExplorer.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class CommandHandlers;
class QAction;
class QLineEdit;
class QMenu;
class QToolBar;
class QTreeView;

class CServerView : public QWidget {
    Q_OBJECT
public:
    // Command id of "Copy connection symbol" (context menu only).
    static constexpr int CopySymbol = 32990;

    explicit CServerView(ServerExplorer& explorer, QWidget* parent = nullptr);

    ServerExplorer& explorer() { return m_explorer; }
    QTreeView* tree() const { return m_tree; }
    QLineEdit* filterBox() const { return m_filter; }
    QToolBar* toolBar() const { return m_toolBar; }
    QAction* action(int id) const { return m_actions.value(id); }
    QModelIndex selectedIndex() const;

    // The pane's commands reach it while it has the focus.
    void registerCommands(CommandHandlers& handlers);
    // Menu texts and enabled states for the selected node.
    void updateActions();
    // The context menu for the selected node (the caller owns it).
    QMenu* createContextMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void runCommand(int id);
    void copySymbol();
    void showMarked(const QList<QModelIndex>& marked);

    ServerExplorer& m_explorer;
    QToolBar* m_toolBar;
    QLineEdit* m_filter;
    QTreeView* m_tree;
    QTimer m_filterTimer;
    QHash<int, QAction*> m_actions;
};

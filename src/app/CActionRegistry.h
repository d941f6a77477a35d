// Every command of the main window as one QAction, keyed by its command id.
// Menus, toolbars, shortcuts and tests look actions up by id.
#pragma once

#include <QHash>
#include <QObject>

class QAction;

class CActionRegistry : public QObject {
    Q_OBJECT
public:
    explicit CActionRegistry(QObject* parent);

    // The action of a command id; created from the command table on first use.
    QAction* action(int id);
    bool contains(int id) const { return m_actions.contains(id); }
    QList<int> ids() const { return m_actions.keys(); }
    // Whether id is a command of the command table.
    static bool isCommand(int id);
    // Every command id of the table, in table (menu) order.
    static QList<int> allCommands();

private:
    QHash<int, QAction*> m_actions;
};

// Every command of the main window as one QAction, keyed by its command id,
// and the one place where the owners of the commands register their handlers.
// Menus, toolbars, shortcuts and tests look actions up by id; triggering an
// action runs the handler of the owner around the keyboard focus (the nearest
// first), else the window-wide one. An id that no owner handles is disabled.
#pragma once

#include "core/commands/CommandHandlers.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QAction;
class QWidget;

class CActionRegistry : public QObject, public CommandHandlers {
    Q_OBJECT
public:
    explicit CActionRegistry(QObject* parent);
    ~CActionRegistry() override;

    // The action of a command id; created from the command table on first use.
    QAction* action(int id);
    bool contains(int id) const { return m_actions.contains(id); }
    QList<int> ids() const { return m_actions.keys(); }
    // Whether id is a command of the command table.
    static bool isCommand(int id);
    // Every command id of the table, in table (menu) order.
    static QList<int> allCommands();

    // CommandHandlers
    void addHandler(int id, QObject* owner, Scope scope, Run run, Rule enabled = {}, Rule checked = {}) override;
    void removeHandler(int id, QObject* owner) override;
    void updateCommands() override;

    // Whether any owner has registered a handler of id.
    bool hasHandler(int id) const;
    // The owner whose handler id reaches now (focus first, then window-wide); null when none.
    QObject* target(int id) const;
    // Runs id as its action would; false when no handler is reachable or it is disabled.
    bool run(int id);
    // How many handlers are registered (for tests: handlers leave with their owners).
    int handlerCount() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Handler {
        QPointer<QObject> owner;
        Scope scope;
        Run run;
        Rule enabled;
        Rule checked;
    };
    const Handler* route(int id) const;
    void ownerDestroyed(QObject* owner);
    void updateAction(int id);

    QHash<int, QAction*> m_actions;
    QHash<int, QList<Handler>> m_handlers;
    QList<QObject*> m_watchedOwners;
    QTimer m_focusUpdate;
};

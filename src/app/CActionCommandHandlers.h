// Command handlers over the main window's actions: a handler's run is joined
// to its action and its enabled and checked rules set the action's state.
// Every handler is window-wide here.
#pragma once

#include "core/commands/CommandHandlers.h"

#include <QList>
#include <QObject>
#include <QPointer>

class CMainFrame;

class CActionCommandHandlers : public QObject, public CommandHandlers {
    Q_OBJECT
public:
    explicit CActionCommandHandlers(CMainFrame& frame, QObject* parent = nullptr);

    void addHandler(int id, QObject* owner, Scope scope, Run run, Rule enabled = {}, Rule checked = {}) override;
    void removeHandler(int id, QObject* owner) override;
    void updateCommands() override;

private:
    struct Entry {
        int id;
        QPointer<QObject> owner;
        QMetaObject::Connection connection;
        Rule enabled;
        Rule checked;
    };
    CMainFrame& m_frame;
    QList<Entry> m_entries;
};

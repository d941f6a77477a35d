#include "app/CActionCommandHandlers.h"

#include "app/CMainFrame.h"

#include <QAction>

CActionCommandHandlers::CActionCommandHandlers(CMainFrame& frame, QObject* parent) : QObject(parent), m_frame(frame) {}

void CActionCommandHandlers::addHandler(int id, QObject* owner, Scope, Run run, Rule enabled, Rule checked)
{
    QAction* action = m_frame.action(id);
    if (checked)
        action->setCheckable(true);
    const QMetaObject::Connection connection =
        connect(action, &QAction::triggered, owner, [run = std::move(run)] { run(); });
    m_entries.append(Entry{id, owner, connection, std::move(enabled), std::move(checked)});
    updateCommands();
}

void CActionCommandHandlers::removeHandler(int id, QObject* owner)
{
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        if (m_entries[i].id == id && m_entries[i].owner == owner) {
            disconnect(m_entries[i].connection);
            m_entries.removeAt(i);
        }
    }
    m_frame.action(id)->setEnabled(false);
    updateCommands();
}

void CActionCommandHandlers::updateCommands()
{
    for (const Entry& entry : std::as_const(m_entries)) {
        QAction* action = m_frame.action(entry.id);
        if (!entry.owner) {
            action->setEnabled(false);
            continue;
        }
        action->setEnabled(!entry.enabled || entry.enabled());
        if (entry.checked)
            action->setChecked(entry.checked());
    }
}

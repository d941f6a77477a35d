#include "app/CToolBarLayout.h"

#include "core/settings/SettingsStore.h"

#include <QToolBar>

CToolBarLayout::CToolBarLayout(QString name, QList<int> defaults)
    : m_name(std::move(name))
    , m_defaults(std::move(defaults))
    , m_items(m_defaults)
{
}

void CToolBarLayout::load(const SettingsStore& store, const std::function<bool(int)>& isCommand)
{
    const QByteArray stored = store.readState(QStringLiteral("ToolBar-") + m_name);
    if (stored.isEmpty())
        return;
    QList<int> items;
    for (const QByteArray& part : stored.split(',')) {
        bool ok = false;
        const int id = part.trimmed().toInt(&ok);
        if (ok && (id == Separator || isCommand(id)))
            items.append(id);
    }
    m_items = items;
}

void CToolBarLayout::save(SettingsStore& store) const
{
    QByteArray text;
    for (int id : m_items) {
        if (!text.isEmpty())
            text += ',';
        text += QByteArray::number(id);
    }
    // An empty toolbar is stored as one separator so that it does not read as "never customised".
    store.writeState(QStringLiteral("ToolBar-") + m_name, text.isEmpty() ? QByteArray("0") : text);
}

void CToolBarLayout::fill(QToolBar* bar, const std::function<QAction*(int)>& action,
                          const std::function<QWidget*(int, QToolBar*)>& makeBox) const
{
    bar->clear();
    for (int id : m_items) {
        if (id == Separator) {
            bar->addSeparator();
        } else if (QWidget* box = makeBox(id, bar)) {
            bar->addWidget(box);
        } else if (QAction* a = action(id)) {
            bar->addAction(a);
        }
    }
}

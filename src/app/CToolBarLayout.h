// Which commands stand on a toolbar, in order: kept in the settings section,
// reset to the defaults, and filled into the QToolBar (with the two boxes in
// place of their command ids).
#pragma once

#include <QList>
#include <QString>

#include <functional>

class QAction;
class QToolBar;
class QWidget;
class SettingsStore;

class CToolBarLayout {
public:
    // 0 stands for a separator.
    static constexpr int Separator = 0;

    CToolBarLayout(QString name, QList<int> defaults);

    QString name() const { return m_name; }
    const QList<int>& items() const { return m_items; }
    const QList<int>& defaults() const { return m_defaults; }
    void setItems(const QList<int>& items) { m_items = items; }
    void reset() { m_items = m_defaults; }

    // Reads the stored layout; unknown or malformed entries are dropped, and a
    // missing layout keeps the defaults.
    void load(const SettingsStore& store, const std::function<bool(int)>& isCommand);
    void save(SettingsStore& store) const;

    // Empties the toolbar and fills it: actions by id, boxes from makeBox (which
    // returns null for ids that are plain commands).
    void fill(QToolBar* bar, const std::function<QAction*(int)>& action,
              const std::function<QWidget*(int, QToolBar*)>& makeBox) const;

private:
    QString m_name;
    QList<int> m_defaults;
    QList<int> m_items;
};

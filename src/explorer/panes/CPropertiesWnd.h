// The properties pane: the entity selected in the namespace tree as a
// property grid (groups of named values, a description line), with Back,
// Forward and Query.
#pragma once

#include "explorer/NavigationHistory.h"

#include <QWidget>

#include <functional>
#include <memory>

class CQEntity;
class NamespaceModel;
class NamespaceTree;
class QLabel;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

class CPropertiesWnd : public QWidget {
    Q_OBJECT
public:
    explicit CPropertiesWnd(QWidget* parent = nullptr);
    // Wide enough for a property's name and a value such as "Keyed (in-memory)".
    QSize sizeHint() const override;

    // Selects a name in the namespace tree (true when found).
    void setSelector(NavigationHistory::Select select);
    // Whether a query may be sent now (connected and no query running).
    void setQueryAllowed(std::function<bool()> allowed) { m_queryAllowed = std::move(allowed); }

    // Shows an entity, or none (empties the grid).
    void showEntity(const CQEntity* entity, const NamespaceModel* model, const NamespaceTree* tree);
    void clear() { showEntity(nullptr, nullptr, nullptr); }

    const QString& queryText() const { return m_queryText; }
    const QString& shownName() const { return m_history.current(); }
    NavigationHistory& history() { return m_history; }
    QTreeWidget* grid() const { return m_grid; }

    bool canQuery() const;
    void query();
    // Enables Back, Forward and Query as they may be used now; called when
    // a query starts or ends and when the connection changes.
    void updateActions();
    QAction* queryAction() const { return m_query; }
    bool back();
    bool forward();
    // A double click on a grid entry: jumps where the entry points.
    bool activate(QTreeWidgetItem* item);

signals:
    // The Query command: send this text as a query from the editor would.
    void queryRequested(const QString& text);
    // "File name" or "File line": the function's file and line.
    void fileRequested(const QString& file, qint64 line);

private:
    QToolBar* m_toolBar = nullptr;
    QTreeWidget* m_grid = nullptr;
    QLabel* m_description = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_query = nullptr;
    NavigationHistory::Select m_select;
    NavigationHistory m_history;
    std::function<bool()> m_queryAllowed;
    QString m_queryText;
    QString m_file;
    qint64 m_line = -1;
};

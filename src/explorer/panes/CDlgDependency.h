// "Dependency Explorer": the tree of a function's dependencies or of an
// entity's callers, with the user (or caller) and the dependency of the
// selected link shown side by side, "Call graph as text" and "Show in
// Namespaces". One per window, modeless, refilled by each Show command.
#pragma once

#include "explorer/DependencyWalk.h"
#include "explorer/panes/CDlgInventory.h"

#include <QDialog>

#include <functional>
#include <memory>

class CQEntity;
class NamespaceModel;
class QLabel;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgDependency : public QDialog {
    Q_OBJECT
public:
    enum Mode { Dependencies = 0, Callers = 1 };

    explicit CDlgDependency(QWidget* parent = nullptr);

    void setLook(const CDlgInventory::Look& look) { m_look = look; }
    // "Show in Namespaces" hands the selected name over.
    void setSelector(std::function<void(const QString&)> select) { m_select = std::move(select); }

    // Clears and refills the dialog for entity, then shows it in front.
    void showFor(Mode mode, const CQEntity& entity, std::shared_ptr<NamespaceModel> model);

    Mode mode() const { return m_mode; }
    // The walk's text with CR LF line ends, as "Call graph as text" shows it.
    const QString& callGraph() const { return m_callGraph; }
    QTreeWidget* tree() const { return m_tree; }
    QTextEdit* upperPane() const { return m_upper; }
    QTextEdit* lowerPane() const { return m_lower; }

private:
    void itemSelected(QTreeWidgetItem* item);
    void fillPane(QTextEdit* pane, QLabel* label, QString& shown, const QString& name);

    Mode m_mode = Dependencies;
    std::shared_ptr<NamespaceModel> m_model;
    CDlgInventory::Look m_look;
    std::function<void(const QString&)> m_select;
    QString m_callGraph;
    QString m_upperName;
    QString m_lowerName;
    QTreeWidget* m_tree;
    QLabel* m_upperLabel;
    QLabel* m_lowerLabel;
    QTextEdit* m_upper;
    QTextEdit* m_lower;
};

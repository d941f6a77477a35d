// The namespace explorer pane: a toolbar (a sorting button that stays
// disabled, Refresh) over the namespace tree of the last load. Selecting an
// entity shows it in the properties pane; the pane's menus act on the
// selected item.
#pragma once

#include "explorer/NamespaceLoad.h"
#include "explorer/panes/CDlgDependency.h"
#include "explorer/panes/CDlgInventory.h"
#include "kdb/k.h"

#include <QWidget>

#include <functional>
#include <memory>

class CommandHandlers;
class CQEntity;
class NamespaceLoader;
class NamespaceTreeModel;
class Prompter;
class QMenu;
class QToolBar;
class QTreeView;
class ServiceChannel;

class CClassView : public QWidget {
    Q_OBJECT
public:
    // What a load needs from the window: its settings (server name, time
    // limit, tree options) and a channel on the current connection.
    struct LoadContext {
        std::function<NamespaceLoadSettings()> settings;
        std::function<std::unique_ptr<ServiceChannel>()> channel;
        // Where loads run (see NamespaceLoader); none: a thread of their own.
        std::function<void(QObject*, std::function<NamespaceLoad::Result()>,
                           std::function<void(const NamespaceLoad::Result&)>)>
            executor;
    };

    CClassView(Prompter& prompter, QWidget* parent = nullptr);
    ~CClassView() override;

    void setLoadContext(LoadContext context);
    void registerCommands(CommandHandlers& handlers);

    // Starts a load; false when one is running already.
    bool refresh();
    bool isLoading() const;
    // The server and end time (seconds since 1970) of the last load that
    // asked an instance, whether it succeeded or not.
    const QString& lastLoadServer() const { return m_lastLoadServer; }
    qint64 lastLoadEnd() const { return m_lastLoadEnd; }
    // Selects the item of a full name (or namespace); false when there is none.
    bool selectByName(const QString& name, bool focus = false);
    const QString& selectedName() const { return m_selectedName; }
    CQEntity* selectedEntity() const;

    NamespaceTreeModel* model() const { return m_model; }
    QTreeView* tree() const { return m_tree; }
    std::shared_ptr<NamespaceModel> entities() const;
    std::shared_ptr<NamespaceTree> namespaceTree() const;

    // Find largest: the entity with the largest size estimate (or serialised size).
    bool selectLargest(bool serialised);
    // The two inventories, modal; "Close && Jump To" selects the chosen
    // entity. The dialogs keep their filters and choice between openings.
    CDlgInventory* inventory(Inventory::Kind kind);
    void showInventory(Inventory::Kind kind);
    // What Get source and Delete from namespace need from the window.
    struct EntityActions {
        // Sends text through a session of its own to the current server, off
        // the window's thread; done gets the reply, or null and why not.
        std::function<void(const QString& text, std::function<void(K reply, const QString& failure)> done)> query;
        // Opens a new document holding text, unmodified.
        std::function<void(const QString& text)> newDocument;
        // The remote files inventory, and a function's file shown in it.
        std::function<void()> remoteFiles;
        std::function<void(const QString& path, qint64 line, const QString& function)> showFile;
    };
    void setEntityActions(EntityActions actions) { m_actions = std::move(actions); }
    // "Add Watch" of a variable: its full name joins the watch list.
    void setAddWatch(std::function<void(const QString& fullName)> addWatch) { m_addWatch = std::move(addWatch); }
    void setFileActions(std::function<void()> remoteFiles,
                        std::function<void(const QString&, qint64, const QString&)> showFile)
    {
        m_actions.remoteFiles = std::move(remoteFiles);
        m_actions.showFile = std::move(showFile);
    }
    // Get source of the selected function into a new document; with all
    // the functions it depends on, too.
    void getSource();
    void getSourceWithDependents();
    // The Dependency Explorer on the selected entity.
    CDlgDependency* showDependencies(CDlgDependency::Mode mode);
    // Delete from namespace of the selected leaf, after the question.
    void deleteSelected();
    // The look of the functions inventory's preview.
    void setInventoryLook(const CDlgInventory::Look& look) { m_inventoryLook = look; }
    void copyFullName();
    // "Switch to in Debugger": shows the function of that name in the debugger.
    // "Switch to in Debugger" of a lambda, enabled while available() holds
    // (the debugger window is shown).
    void setDebuggerSwitch(std::function<void(const QString& name)> run, std::function<bool()> available)
    {
        m_debuggerSwitch = std::move(run);
        m_debuggerAvailable = std::move(available);
    }
    // The menu for the item at index (the tree-wide one for the root).
    QMenu* createContextMenu(const QModelIndex& index, QWidget* parent);

signals:
    // Before a load started by Refresh: the properties pane is emptied.
    void refreshing();
    void entityShown(const CQEntity* entity);
    void cleared();
    // Double click or Enter on a leaf.
    void entityActivated(const CQEntity* entity);
    void loadFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether a Get source reply holds the source; else the user is told why.
    bool sourceArrived(const QString& name, K reply, const QString& failure);
    void onFinished(const NamespaceLoad::Result& result);
    void onCurrentChanged(const QModelIndex& index);
    bool hasContent() const;
    // Whether the connection is still the one the running load was started on.
    bool loadIsCurrent() const;

    Prompter& m_prompter;
    LoadContext m_context;
    QToolBar* m_toolBar = nullptr;
    QTreeView* m_tree = nullptr;
    NamespaceTreeModel* m_model = nullptr;
    NamespaceLoader* m_loader = nullptr;
    QString m_selectedName;
    CDlgInventory* m_variables = nullptr;
    CDlgInventory* m_functions = nullptr;
    CDlgDependency* m_dependencies = nullptr;
    CDlgInventory::Look m_inventoryLook;
    EntityActions m_actions;
    std::function<void(const QString&)> m_addWatch;
    std::function<void(const QString& name)> m_debuggerSwitch;
    std::function<bool()> m_debuggerAvailable;
    QString m_lastLoadServer;
    qint64 m_lastLoadEnd = 0;
    QString m_loadServer;
};

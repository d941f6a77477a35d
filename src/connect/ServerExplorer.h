// What the server explorer pane does, without its widgets: the tree of the
// server list with its filter and the current server's marking, the pane's
// commands and their enabled rules, quick connect, and moving a server to
// another folder. Dialogs, connecting and launching come in as hooks.
#pragma once

#include "connect/ServerList.h"
#include "connect/ServerTreeModel.h"

#include <QObject>
#include <QPersistentModelIndex>

#include <functional>
#include <optional>

class FileChooser;
class Prompter;

class ServerExplorer : public QObject {
    Q_OBJECT
public:
    // Command ids of the pane's context menu and toolbar.
    enum Command {
        Connect = 32782, Launch = 32872, Add = 32783, Clone = 32781, Edit = 32784, Delete = 32786,
        NewFolder = 32845, SaveTo = 32846, LoadFrom = 32847, ReloadConfig = 32785, ReloadTree = 143
    };
    static QList<int> commands();
    static QString commandText(int id);

    struct EditRequest {
        QString namePath;
        QString symbol;
        bool addMode = false;
    };
    struct EditResult {
        QString namePath;
        QString symbol;
        bool connectAfter = false;
    };
    struct Hooks {
        // The server connection dialog; nothing when cancelled.
        std::function<std::optional<EditResult>(const EditRequest&)> editServer;
        // The "New folder" dialog; empty when cancelled.
        std::function<QString()> askFolderName;
        // Connects the main session; done gets the result (> 0 connected) on
        // the window's thread, now or later.
        std::function<void(const QString& symbol, std::function<void(int result)> done)> connect;
        std::function<void()> disconnect;
        // Starts a program detached; false when it cannot be started.
        std::function<bool(const QString& program, const QStringList& arguments)> launch;
        // A text typed into the quick-connect box, for its list.
        std::function<void(const QString& text)> rememberQuickConnect;
    };

    ServerExplorer(ServerList& list, Prompter& prompter, FileChooser* chooser, QObject* parent = nullptr);

    ServerTreeModel& model() { return m_model; }
    ServerList& list() { return m_list; }
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    void setShowServersAs(int mode) { m_model.setShowServersAs(mode); }
    void setProgram(const QString& path) { m_program = path; }

    // The current server text (empty when disconnected): marks its nodes and
    // makes the title.
    void setCurrentServer(const QString& serverText);
    QString currentServer() const { return m_current; }
    QString title() const { return m_title; }

    // A key release in the filter box, and the filter timer's tick (every
    // second): the tree is rebuilt once typing has stopped for a tick.
    void filterTyped(const QString& text);
    void tick();
    QString filterText() const { return m_filter; }
    // How many times the tree was built (for tests and the benchmark).
    int rebuilds() const { return m_rebuilds; }

    bool isEnabled(int id, const QModelIndex& at) const;
    // "Connect", or "Disconnect" on a node of the current server.
    QString connectText(const QModelIndex& at) const;
    void run(int id, const QModelIndex& at);
    // Enter or a double click on a server: as Connect.
    void activate(const QModelIndex& at);
    // Quick connect with the text of the quick-connect box.
    void quickConnect(const QString& text);
    // Moves the entry at line into the folder, saved as Edit saves.
    void moveServer(int line, const QString& folderNamePath);

    // The entry of a server node, or null.
    const ServerEntry* entryOf(const QModelIndex& at) const;
    QString symbolOf(const QModelIndex& at) const;
    // The folder a node stands in: itself for a folder, "" for the root.
    QString folderOf(const QModelIndex& at) const;

    static QString defaultAddPath(const QString& folderNamePath, bool connected);
    static QString clonePath(const QString& namePath);
    static QString folderName(const QString& typed);

signals:
    void titleChanged(const QString& title);
    // After a rebuild or a new marking: the marked nodes, to be scrolled into view.
    void markingChanged(const QList<QModelIndex>& marked);
    void folderAdded(const QModelIndex& folder);
    // The tree was rebuilt (the filter box may need clearing).
    void rebuilt();
    void filterCleared();

private:
    void reload();
    void applyMarking();
    void connectSymbol(const QString& symbol);
    void editAndSave(const EditRequest& request, const QString& previousNamePath, int line);

    ServerList& m_list;
    Prompter& m_prompter;
    FileChooser* m_chooser;
    ServerTreeModel m_model;
    Hooks m_hooks;
    QString m_program;
    QString m_current;
    QString m_title;
    QString m_filter;
    bool m_filterChanged = false;
    bool m_typedRecently = false;
    int m_rebuilds = 0;
};

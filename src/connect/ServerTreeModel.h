// The server list as a tree: the root "KDB+ Servers", folders from the name
// paths, and one server node per entry whose item data is its line number.
// Only entries the filter admits get a node; the current server's nodes are
// marked. Servers can be dragged onto folders.
#pragma once

#include <QAbstractItemModel>
#include <QSet>

#include <memory>
#include <vector>

class ServerList;
struct ServerEntry;

class ServerTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Kind { Root, Folder, Server };
    enum Role { LineRole = Qt::UserRole, KindRole, SymbolRole, NamePathRole, MarkedRole };
    static inline const QString mimeType = QStringLiteral("application/x-tovo-server-line");

    explicit ServerTreeModel(QObject* parent = nullptr);
    ~ServerTreeModel() override;

    // Follows the list: rebuilt on every reload.
    void setServerList(const ServerList* list);
    // QShowServersAs: 0 name, 1 name(symbol), 2 name(symbol up to its third colon).
    void setShowServersAs(int mode);
    int showServersAs() const { return m_showAs; }
    // The filter and the current server it always admits; applied at the next rebuild.
    void setFilter(const QString& filter, const QString& currentServer);
    QString filter() const { return m_filter; }
    void rebuild();
    // Marks the server nodes of these lines (bold in the view).
    void setMarkedLines(const QList<int>& lines);

    // The node's text; passwords are shown as "***".
    static QString serverText(const ServerEntry& entry, int showAs);

    QModelIndex rootIndex() const;
    // The server nodes of the entry at line (the first), or an invalid index.
    QModelIndex indexOfLine(int line) const;
    QList<QModelIndex> markedIndexes() const;
    // Folders and the root: their name path ("" for the root); servers:
    // their entry's name path.
    QString namePathOf(const QModelIndex& index) const;
    Kind kindOf(const QModelIndex& index) const;
    // A folder of that name as the last child of parent (a folder or the
    // root); kept until the next rebuild.
    QModelIndex addFolder(const QModelIndex& parent, const QString& name);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;

signals:
    // A server was dropped on a folder (name path "" for the root).
    void moveRequested(int line, const QString& folderNamePath);

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    QString folderPath(const Node* node) const;

    const ServerList* m_list = nullptr;
    int m_showAs = 0;
    QString m_filter;
    QString m_currentServer;
    QSet<int> m_marked;
    std::unique_ptr<Node> m_root;
};

// The server list as a tree: the root "KDB+ Servers", folders from the name
// paths, and one server node per entry whose item data is its line number.
#pragma once

#include <QAbstractItemModel>

#include <memory>
#include <vector>

class ServerList;
struct ServerEntry;

class ServerTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Kind { Root, Folder, Server };
    enum Role { LineRole = Qt::UserRole, KindRole, SymbolRole, NamePathRole };

    explicit ServerTreeModel(QObject* parent = nullptr);
    ~ServerTreeModel() override;

    // Follows the list: rebuilt on every reload.
    void setServerList(const ServerList* list);
    // QShowServersAs: 0 name, 1 name(symbol), 2 name(symbol up to its third colon).
    void setShowServersAs(int mode);
    int showServersAs() const { return m_showAs; }
    void rebuild();

    static QString serverText(const ServerEntry& entry, int showAs);

    QModelIndex rootIndex() const;
    // The server node of the entry at line, or an invalid index.
    QModelIndex indexOfLine(int line) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;

    const ServerList* m_list = nullptr;
    int m_showAs = 0;
    std::unique_ptr<Node> m_root;
};

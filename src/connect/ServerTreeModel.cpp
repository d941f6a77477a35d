#include "connect/ServerTreeModel.h"

#include "connect/ServerList.h"

struct ServerTreeModel::Node {
    Kind kind = Root;
    QString text;
    int line = 0;
    QString symbol;
    QString namePath;
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;

    Node* add(Kind k, const QString& t)
    {
        auto child = std::make_unique<Node>();
        child->kind = k;
        child->text = t;
        child->parent = this;
        child->row = static_cast<int>(children.size());
        children.push_back(std::move(child));
        return children.back().get();
    }
};

ServerTreeModel::ServerTreeModel(QObject* parent) : QAbstractItemModel(parent)
{
    rebuild();
}

ServerTreeModel::~ServerTreeModel() = default;

void ServerTreeModel::setServerList(const ServerList* list)
{
    if (m_list)
        disconnect(m_list, nullptr, this, nullptr);
    m_list = list;
    if (m_list)
        connect(m_list, &ServerList::reloaded, this, &ServerTreeModel::rebuild);
    rebuild();
}

void ServerTreeModel::setShowServersAs(int mode)
{
    if (mode == m_showAs)
        return;
    m_showAs = mode;
    rebuild();
}

QString ServerTreeModel::serverText(const ServerEntry& entry, int showAs)
{
    if (!entry.hasNamePath)
        return entry.symbol;
    const QString name = entry.name();
    if (showAs == 0)
        return name;
    QString shown = entry.symbol;
    if (showAs == 2) {
        qsizetype colon = -1;
        for (int i = 0; i < 3; ++i) {
            colon = entry.symbol.indexOf(u':', colon + 1);
            if (colon < 0)
                break;
        }
        if (colon >= 0)
            shown = entry.symbol.left(colon);
    }
    return name + u'(' + shown + u')';
}

void ServerTreeModel::rebuild()
{
    beginResetModel();
    m_root = std::make_unique<Node>();
    m_root->text = QStringLiteral("KDB+ Servers");
    if (m_list) {
        for (const ServerEntry& entry : m_list->entries()) {
            Node* at = m_root.get();
            if (entry.hasNamePath) {
                const QStringList parts = entry.components();
                for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
                    Node* found = nullptr;
                    for (const auto& child : at->children) {
                        if (child->kind == Folder && child->text == parts.at(i)) {
                            found = child.get();
                            break;
                        }
                    }
                    at = found ? found : at->add(Folder, parts.at(i));
                }
            }
            Node* server = at->add(Server, serverText(entry, m_showAs));
            server->line = entry.line;
            server->symbol = entry.symbol;
            server->namePath = entry.namePath;
        }
    }
    endResetModel();
}

ServerTreeModel::Node* ServerTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex ServerTreeModel::indexOf(const Node* node) const
{
    return node ? createIndex(node->row, 0, const_cast<Node*>(node)) : QModelIndex();
}

QModelIndex ServerTreeModel::rootIndex() const { return indexOf(m_root.get()); }

QModelIndex ServerTreeModel::indexOfLine(int line) const
{
    std::vector<const Node*> stack{m_root.get()};
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        if (node->kind == Server && node->line == line)
            return indexOf(node);
        for (const auto& child : node->children)
            stack.push_back(child.get());
    }
    return {};
}

QModelIndex ServerTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 ? rootIndex() : QModelIndex();
    const Node* node = nodeOf(parent);
    if (row >= static_cast<int>(node->children.size()))
        return {};
    return indexOf(node->children[static_cast<size_t>(row)].get());
}

QModelIndex ServerTreeModel::parent(const QModelIndex& child) const
{
    const Node* node = nodeOf(child);
    return node && node->parent ? indexOf(node->parent) : QModelIndex();
}

int ServerTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int ServerTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant ServerTreeModel::data(const QModelIndex& index, int role) const
{
    const Node* node = nodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole: return node->text;
    case LineRole: return node->kind == Server ? QVariant(node->line) : QVariant();
    case KindRole: return static_cast<int>(node->kind);
    case SymbolRole: return node->kind == Server ? QVariant(node->symbol) : QVariant();
    case NamePathRole: return node->kind == Server ? QVariant(node->namePath) : QVariant();
    default: return {};
    }
}

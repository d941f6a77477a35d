#include "connect/ServerTreeModel.h"

#include "connect/ConnectionSymbol.h"
#include "connect/ServerFilter.h"
#include "connect/ServerList.h"

#include <QMimeData>

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

void ServerTreeModel::setFilter(const QString& filter, const QString& currentServer)
{
    m_filter = filter;
    m_currentServer = currentServer;
}

QString ServerTreeModel::serverText(const ServerEntry& entry, int showAs)
{
    if (!entry.hasNamePath)
        return ConnectionSymbol::masked(entry.symbol);
    const QString name = entry.name();
    if (showAs == 0)
        return name;
    QString shown = ConnectionSymbol::masked(entry.symbol);
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
            if (!ServerFilter::admits(m_filter, entry, m_currentServer))
                continue;
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

void ServerTreeModel::setMarkedLines(const QList<int>& lines)
{
    const QSet<int> marked(lines.cbegin(), lines.cend());
    if (marked == m_marked)
        return;
    const QSet<int> changed = (marked - m_marked) + (m_marked - marked);
    m_marked = marked;
    std::vector<const Node*> stack{m_root.get()};
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        if (node->kind == Server && changed.contains(node->line)) {
            const QModelIndex at = indexOf(node);
            emit dataChanged(at, at, {MarkedRole, Qt::FontRole});
        }
        for (const auto& child : node->children)
            stack.push_back(child.get());
    }
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
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.push_back(it->get());
    }
    return {};
}

QList<QModelIndex> ServerTreeModel::markedIndexes() const
{
    QList<QModelIndex> out;
    std::vector<const Node*> stack{m_root.get()};
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        if (node->kind == Server && m_marked.contains(node->line))
            out.append(indexOf(node));
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.push_back(it->get());
    }
    return out;
}

QString ServerTreeModel::folderPath(const Node* node) const
{
    QString path;
    for (; node && node->kind != Root; node = node->parent)
        path.prepend(u'`' + node->text);
    return path;
}

QString ServerTreeModel::namePathOf(const QModelIndex& index) const
{
    const Node* node = nodeOf(index);
    if (!node)
        return QString();
    if (node->kind != Server)
        return folderPath(node);
    if (node->line >= 1)
        return node->namePath;
    // A node without a line: its path with the display suffix cut off.
    QString path = folderPath(node);
    const qsizetype bracket = path.lastIndexOf(u'(');
    return bracket >= 0 ? path.left(bracket) : path;
}

ServerTreeModel::Kind ServerTreeModel::kindOf(const QModelIndex& index) const
{
    const Node* node = nodeOf(index);
    return node ? node->kind : Root;
}

QModelIndex ServerTreeModel::addFolder(const QModelIndex& parent, const QString& name)
{
    Node* node = nodeOf(parent);
    if (!node || node->kind == Server)
        return {};
    const int row = static_cast<int>(node->children.size());
    beginInsertRows(parent, row, row);
    Node* folder = node->add(Folder, name);
    endInsertRows();
    return indexOf(folder);
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
    case MarkedRole: return node->kind == Root || (node->kind == Server && m_marked.contains(node->line));
    default: return {};
    }
}

Qt::ItemFlags ServerTreeModel::flags(const QModelIndex& index) const
{
    const Node* node = nodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (node->kind == Server)
        f |= Qt::ItemIsDragEnabled;
    else
        f |= Qt::ItemIsDropEnabled;
    return f;
}

QStringList ServerTreeModel::mimeTypes() const { return {mimeType}; }

QMimeData* ServerTreeModel::mimeData(const QModelIndexList& indexes) const
{
    for (const QModelIndex& index : indexes) {
        const Node* node = nodeOf(index);
        if (node && node->kind == Server && node->line >= 1) {
            auto* data = new QMimeData;
            data->setData(mimeType, QByteArray::number(node->line));
            return data;
        }
    }
    return nullptr;
}

bool ServerTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                      const QModelIndex& parent) const
{
    const Node* node = nodeOf(parent);
    return data && data->hasFormat(mimeType) && node && node->kind != Server;
}

bool ServerTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                   const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    bool ok = false;
    const int line = data->data(mimeType).toInt(&ok);
    if (!ok || !m_list || !m_list->entryAt(line))
        return false;
    emit moveRequested(line, folderPath(nodeOf(parent)));
    // The file is rewritten and the tree rebuilt: the view removes nothing itself.
    return false;
}

Qt::DropActions ServerTreeModel::supportedDropActions() const { return Qt::MoveAction; }
Qt::DropActions ServerTreeModel::supportedDragActions() const { return Qt::MoveAction; }

#include "explorer/panes/NamespaceTreeModel.h"

#include "explorer/panes/ExplorerIcons.h"

#include <QFont>

NamespaceTreeModel::NamespaceTreeModel(QObject* parent)
    : QAbstractItemModel(parent)
    , m_tree(std::make_shared<NamespaceTree>())
{
}

void NamespaceTreeModel::setTree(std::shared_ptr<NamespaceTree> tree, std::shared_ptr<NamespaceModel> model)
{
    beginResetModel();
    m_tree = tree ? std::move(tree) : std::make_shared<NamespaceTree>();
    m_model = std::move(model);
    endResetModel();
}

void NamespaceTreeModel::setRootText(const QString& text)
{
    m_tree->root()->text = text;
    const QModelIndex root = index(0, 0);
    emit dataChanged(root, root);
}

NamespaceTreeNode* NamespaceTreeModel::node(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<NamespaceTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex NamespaceTreeModel::indexOf(const NamespaceTreeNode* n) const
{
    if (!n)
        return {};
    if (!n->parent) {
        const auto& top = m_tree->topLevel();
        for (std::size_t i = 0; i < top.size(); ++i)
            if (top[i].get() == n)
                return createIndex(int(i), 0, const_cast<NamespaceTreeNode*>(n));
        return {};
    }
    return createIndex(n->row(), 0, const_cast<NamespaceTreeNode*>(n));
}

QModelIndex NamespaceTreeModel::indexOf(const QString& name) const { return indexOf(m_tree->item(name)); }

bool NamespaceTreeModel::removeEntity(const QString& fullName)
{
    NamespaceTreeNode* n = m_tree->item(fullName);
    if (!n || !n->children.empty() || !n->parent)
        return false;
    const QModelIndex at = indexOf(n);
    beginRemoveRows(at.parent(), at.row(), at.row());
    m_tree->removeItem(fullName);
    endRemoveRows();
    if (m_model)
        m_model->remove(fullName);
    return true;
}

QModelIndex NamespaceTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid()) {
        const auto& top = m_tree->topLevel();
        return row < int(top.size()) ? createIndex(row, 0, top[std::size_t(row)].get()) : QModelIndex();
    }
    NamespaceTreeNode* p = node(parent);
    return row < int(p->children.size()) ? createIndex(row, 0, p->children[std::size_t(row)].get()) : QModelIndex();
}

QModelIndex NamespaceTreeModel::parent(const QModelIndex& child) const
{
    NamespaceTreeNode* n = node(child);
    return n && n->parent ? indexOf(n->parent) : QModelIndex();
}

int NamespaceTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_tree->topLevel().size());
    return int(node(parent)->children.size());
}

int NamespaceTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant NamespaceTreeModel::data(const QModelIndex& index, int role) const
{
    NamespaceTreeNode* n = node(index);
    if (!n)
        return {};
    switch (role) {
    case Qt::DisplayRole: return n->text;
    case Qt::DecorationRole: return ExplorerIcons::icon(n->image);
    case Qt::FontRole:
        if (n->bold) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ToolTipRole: return n->entity ? n->entity->fullName() : QVariant();
    default: return {};
    }
}

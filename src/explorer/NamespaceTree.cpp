#include "explorer/NamespaceTree.h"

#include "explorer/CQFunction.h"
#include "explorer/CQUnresolved.h"
#include "explorer/CrossReference.h"
#include "explorer/NamespaceModel.h"
#include "explorer/ReservedNames.h"

#include <QMap>
#include <QStringList>

#include <algorithm>

NamespaceTreeNode* NamespaceTreeNode::add(QString itemText, int itemImage, CQEntity* itemEntity)
{
    auto node = std::make_unique<NamespaceTreeNode>();
    node->text = std::move(itemText);
    node->image = itemImage;
    node->entity = itemEntity;
    node->parent = this;
    children.push_back(std::move(node));
    return children.back().get();
}

int NamespaceTreeNode::row() const
{
    if (!parent)
        return 0;
    const auto& siblings = parent->children;
    for (std::size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this)
            return int(i);
    return 0;
}

void NamespaceTreeNode::sortChildren()
{
    std::stable_sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
        return QString::compare(a->text, b->text, Qt::CaseInsensitive) < 0;
    });
}

void NamespaceTreeNode::removeChild(NamespaceTreeNode* child)
{
    children.erase(std::remove_if(children.begin(), children.end(), [child](const auto& c) { return c.get() == child; }),
                   children.end());
}

NamespaceTree::NamespaceTree(const QString& rootText)
{
    auto root = std::make_unique<NamespaceTreeNode>();
    root->text = rootText;
    root->image = NamespaceTreeNode::Root;
    root->bold = true;
    m_top.push_back(std::move(root));
}

bool NamespaceTree::hasContent() const { return m_top.size() > 1 || !root()->children.empty(); }

bool NamespaceTree::removeItem(const QString& name)
{
    NamespaceTreeNode* node = m_items.value(name);
    if (!node || !node->children.empty() || !node->parent)
        return false;
    m_items.remove(name);
    node->parent->removeChild(node);
    return true;
}

namespace {

class Builder {
public:
    Builder(NamespaceModel& model, NamespaceTree::Options options, NamespaceTree& tree,
            QHash<QString, NamespaceTreeNode*>& items)
        : m_model(model), m_options(options), m_tree(tree), m_items(items)
    {
    }

    void build()
    {
        NamespaceTreeNode* root = m_tree.root();
        NamespaceTreeNode* previous = nullptr;
        for (const NamespaceEntry& ns : m_model.namespaces) {
            if (m_options.hideReserved && isReserved(ns.symbol))
                continue;
            NamespaceTreeNode* nsItem = root;
            if (!ns.symbol.isEmpty())
                nsItem = parentFor(ns.symbol, previous, root)->add(ns.symbol, NamespaceTreeNode::Namespace);
            for (int j = 0; j < ns.categories.size(); ++j)
                addCategory(nsItem, ns, ns.categories.at(j), j);
            if (nsItem == root)
                continue;
            if (nsItem->children.empty()) {
                nsItem->parent->removeChild(nsItem);
            } else {
                m_items.insert(nsItem->text, nsItem);
                previous = nsItem;
                // The parent was sorted before this sub-namespace joined it.
                if (nsItem->parent != root)
                    nsItem->parent->sortChildren();
            }
        }
    }

    QMap<QString, QString> unresolvedUsers;

private:
    static bool isReserved(const QString& symbol)
    {
        return symbol == QLatin1String(".o") || symbol == QLatin1String(".h") || symbol == QLatin1String(".q")
            || symbol == QLatin1String(".Q");
    }

    NamespaceTreeNode* parentFor(const QString& symbol, NamespaceTreeNode* previous, NamespaceTreeNode* root)
    {
        if (m_options.flattenNested)
            return root;
        for (NamespaceTreeNode* at = previous; at; at = at->parent) {
            if (at != root && symbol.startsWith(at->text + QLatin1Char('.'))) {
                at->sortChildren();
                return at;
            }
        }
        return root;
    }

    void addCategory(NamespaceTreeNode* nsItem, const NamespaceEntry& ns, const NamespaceCategory& category, int j)
    {
        if (category.shortNames.isEmpty())
            return;
        NamespaceTreeNode* catItem = nsItem->add(QLatin1Char(' ') + category.name, NamespaceTreeNode::Category);
        const int image = NamespaceTreeNode::Table + j;
        const bool variables = category.name == QLatin1String("Variables");
        for (const QString& shortName : category.shortNames) {
            const QString full = ns.prefix() + shortName;
            CQEntity* entity = m_model.find(full);
            if (variables && entity && entity->kind() == CQEntity::Table)
                continue;
            if (variables && entity && entity->kind() == CQEntity::Variable
                && m_model.namespaceList.contains(QLatin1Char(';') + full + QLatin1Char(';')))
                continue;
            auto* function = entity && entity->kind() == CQEntity::Function ? static_cast<CQFunction*>(entity) : nullptr;
            if (function && !function->displayName().isEmpty()) {
                const bool clean = checkUnresolved(*function);
                catItem->add(function->displayName(),
                             clean ? NamespaceTreeNode::Function : NamespaceTreeNode::FunctionUnresolved, function);
            } else if (entity) {
                catItem->add(shortName, image, entity);
            } else if (ReservedNames::isKnown(full)) {
                auto placeholder = std::make_unique<CQFunction>(ns.symbol, shortName, CQFunction::kUndefined, nullptr,
                                                                QString(), QString(), QString());
                placeholder->setDescription(ReservedNames::describe(full));
                entity = m_model.insert(std::move(placeholder));
                catItem->add(shortName, image, entity);
            } else {
                catItem->add(shortName, image);
            }
            if (entity)
                m_items.insert(full, catItem->children.back().get());
        }
        if (catItem->children.empty())
            nsItem->removeChild(catItem);
        else
            catItem->sortChildren();
    }

    // True when every global the function reads exists.
    bool checkUnresolved(CQFunction& function)
    {
        const QString names = QStringList{function.globals(), function.nestedGlobals()}.join(QLatin1String(", "));
        QString note;
        const QString full = function.fullName();
        for (const QString& name : names.split(QLatin1String(", "), Qt::SkipEmptyParts)) {
            const QString qualified = CrossReference::qualify(name, function.functionNamespace());
            if (m_model.contains(qualified) || m_model.namespaceSet.contains(qualified))
                continue;
            note += qualified + QLatin1Char(';');
            QString& users = unresolvedUsers[qualified];
            if (!users.isEmpty())
                users += QLatin1Char(',');
            users += full;
        }
        if (note.isEmpty())
            return true;
        function.setNoteText(QStringLiteral("Unresolved:") + note);
        return false;
    }

    NamespaceModel& m_model;
    NamespaceTree::Options m_options;
    NamespaceTree& m_tree;
    QHash<QString, NamespaceTreeNode*>& m_items;
};

} // namespace

std::shared_ptr<NamespaceTree> NamespaceTree::build(NamespaceModel& model, const Options& options)
{
    auto tree = std::make_shared<NamespaceTree>();
    model.unresolved.clear();
    Builder builder(model, options, *tree, tree->m_items);
    builder.build();
    if (!builder.unresolvedUsers.isEmpty()) {
        auto top = std::make_unique<NamespaceTreeNode>();
        top->text = QStringLiteral("Unresolved dependencies");
        top->image = NamespaceTreeNode::Unresolved;
        for (auto it = builder.unresolvedUsers.cbegin(); it != builder.unresolvedUsers.cend(); ++it) {
            auto entity = std::make_unique<CQUnresolved>(it.key());
            entity->setUsedInText(it.value());
            NamespaceTreeNode* node = top->add(it.key(), NamespaceTreeNode::Unresolved, entity.get());
            tree->m_items.insert(it.key(), node);
            model.unresolved.push_back(std::move(entity));
        }
        top->sortChildren();
        tree->m_top.push_back(std::move(top));
    }
    NamespaceTreeNode* root = tree->root();
    root->sortChildren();
    for (auto& child : root->children)
        if (child->text.startsWith(QLatin1Char(' ')))
            child->text.remove(0, 1);
    return tree;
}

namespace {
QString kindText(const CQEntity* entity)
{
    if (!entity)
        return {};
    switch (entity->kind()) {
    case CQEntity::Table: return QStringLiteral("table");
    case CQEntity::Function: return QStringLiteral("function");
    case CQEntity::Variable: return QStringLiteral("variable");
    case CQEntity::Unresolved: return QStringLiteral("unresolved");
    default: return {};
    }
}

void appendText(QString& out, const NamespaceTreeNode& node, int level)
{
    out += QString(level * 2, QLatin1Char(' ')) + node.text;
    const QString kind = kindText(node.entity);
    if (!kind.isEmpty())
        out += QLatin1Char('\t') + kind;
    out += QLatin1Char('\n');
    for (const auto& child : node.children)
        appendText(out, *child, level + 1);
}
} // namespace

QString NamespaceTree::toText() const
{
    QString out;
    for (const auto& top : m_top)
        appendText(out, *top, 0);
    return out;
}

// The namespace tree of a load: "Namespaces" with the namespaces, their
// categories and entities, and "Unresolved dependencies". Plain nodes, built
// off the window's thread; NamespaceTreeModel shows them.
#pragma once

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

class CQEntity;
class NamespaceModel;

struct NamespaceTreeNode {
    // Image indices, equal to the entity kinds where they meet.
    enum Image { Root = 0, Namespace = 1, Category = 2, Table = 3, Function = 4, Variable = 5,
                 FunctionUnresolved = 6, Unresolved = 7 };

    QString text;
    int image = Root;
    CQEntity* entity = nullptr; // entity items only
    bool bold = false;
    NamespaceTreeNode* parent = nullptr;
    std::vector<std::unique_ptr<NamespaceTreeNode>> children;

    NamespaceTreeNode* add(QString text, int image, CQEntity* entity = nullptr);
    int row() const;
    // Case-insensitive by text, stable.
    void sortChildren();
    void removeChild(NamespaceTreeNode* child);
};

class NamespaceTree {
public:
    struct Options {
        bool hideReserved = true;   // QNSHideReserved
        bool flattenNested = false; // QNSFlattenNested
    };

    // A tree of the single root item with this text.
    explicit NamespaceTree(const QString& rootText = QStringLiteral("Namespaces"));

    // Builds the tree of a load; enters placeholders for described names into
    // the model and sets functions' unresolved notes.
    static std::shared_ptr<NamespaceTree> build(NamespaceModel& model, const Options& options);

    const std::vector<std::unique_ptr<NamespaceTreeNode>>& topLevel() const { return m_top; }
    NamespaceTreeNode* root() const { return m_top.front().get(); }
    // Full name (or a namespace item's text) to item.
    NamespaceTreeNode* item(const QString& name) const { return m_items.value(name); }
    const QHash<QString, NamespaceTreeNode*>& items() const { return m_items; }
    // Whether the tree holds more than its root.
    bool hasContent() const;
    // Deletes the item of that name (a leaf) and forgets it.
    bool removeItem(const QString& name);

    // Indented text: each item's text, two blanks a level, the entity kind
    // after a tab.
    QString toText() const;

private:
    std::vector<std::unique_ptr<NamespaceTreeNode>> m_top;
    QHash<QString, NamespaceTreeNode*> m_items;
};

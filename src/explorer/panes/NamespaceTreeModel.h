// The namespace tree of the last load as an item model. The tree is built
// off the window's thread and handed over whole; setTree() swaps it in.
#pragma once

#include "explorer/NamespaceModel.h"
#include "explorer/NamespaceTree.h"

#include <QAbstractItemModel>

#include <memory>

class NamespaceTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit NamespaceTreeModel(QObject* parent = nullptr);

    void setTree(std::shared_ptr<NamespaceTree> tree, std::shared_ptr<NamespaceModel> model);
    // The root item's text while a load runs.
    void setRootText(const QString& text);
    const std::shared_ptr<NamespaceTree>& tree() const { return m_tree; }
    const std::shared_ptr<NamespaceModel>& entities() const { return m_model; }

    NamespaceTreeNode* node(const QModelIndex& index) const;
    QModelIndex indexOf(const NamespaceTreeNode* node) const;
    QModelIndex indexOf(const QString& name) const;
    // Deletes the leaf item of that name from the tree (and the entity map).
    bool removeEntity(const QString& fullName);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::shared_ptr<NamespaceTree> m_tree;
    std::shared_ptr<NamespaceModel> m_model;
};

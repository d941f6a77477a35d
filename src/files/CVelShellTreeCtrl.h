// The file view's tree: the local file system, folders and files with
// hidden and system items included, the platform's icons (an open folder
// for the selected folder), expansion on demand, and a context menu that
// offers "Show Codebase from here..." above the item's own entries. It
// keeps the codebase root chosen last.
#pragma once

#include <QTreeView>

#include <memory>

class QAbstractFileIconProvider;
class QFileSystemModel;
class QMenu;

class CVelShellTreeCtrl : public QTreeView {
    Q_OBJECT
public:
    explicit CVelShellTreeCtrl(QWidget* parent = nullptr);
    ~CVelShellTreeCtrl() override;

    // Expands the tree down to path and selects it; false when the path is not there.
    bool selectPath(const QString& path);
    QString pathOf(const QModelIndex& index) const;
    QString selectedPath() const;
    QString codebaseRoot() const { return m_codebaseRoot; }
    void setCodebaseRoot(const QString& root) { m_codebaseRoot = root; }
    QFileSystemModel* fileSystem() const { return m_model; }

    // The context menu of an item as it would be shown (for tests and the
    // keyboard): null when index is no item.
    QMenu* contextMenuFor(const QModelIndex& index);

signals:
    // A double click on a file whose name ends in ".q".
    void openRequested(const QString& path);
    // "Show Codebase from here..." chosen; the root is stored already.
    void codebaseRequested(const QString& root);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void activate(const QModelIndex& index);

    QFileSystemModel* m_model;
    std::unique_ptr<QAbstractFileIconProvider> m_icons;
    QString m_scrollTo; // brought into view again as its folders come in
    QString m_codebaseRoot;
};

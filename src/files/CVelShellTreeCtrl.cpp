#include "files/CVelShellTreeCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>
#include <QUrl>

namespace {

// The file system with every item shown and the selected folder drawn open.
class ShellModel : public QFileSystemModel {
public:
    explicit ShellModel(QObject* parent) : QFileSystemModel(parent) {}

    void setOpenFolder(const QPersistentModelIndex& index)
    {
        const QModelIndex before = m_open;
        m_open = index;
        if (before.isValid())
            emit dataChanged(before, before, {Qt::DecorationRole});
        if (m_open.isValid())
            emit dataChanged(m_open, m_open, {Qt::DecorationRole});
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DecorationRole && index.column() == 0 && index == m_open && isDir(index))
            return QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
        return QFileSystemModel::data(index, role);
    }

private:
    QPersistentModelIndex m_open;
};

// The desktop's icons; where the desktop has no icon theme, the style's.
class ShellIcons : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override
    {
        const QIcon icon = QFileIconProvider::icon(type);
        if (usable(icon))
            return icon;
        return QApplication::style()->standardIcon(type == Drive ? QStyle::SP_DriveHDIcon
                                                   : type == File ? QStyle::SP_FileIcon
                                                                  : QStyle::SP_DirIcon);
    }
    QIcon icon(const QFileInfo& info) const override
    {
        const QIcon icon = QFileIconProvider::icon(info);
        if (usable(icon))
            return icon;
        if (info.isRoot())
            return QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
        if (info.isDir())
            return QApplication::style()->standardIcon(info.isSymLink() ? QStyle::SP_DirLinkIcon : QStyle::SP_DirIcon);
        return QApplication::style()->standardIcon(info.isSymLink() ? QStyle::SP_FileLinkIcon : QStyle::SP_FileIcon);
    }

private:
    static bool usable(const QIcon& icon) { return !icon.isNull() && !icon.availableSizes().isEmpty(); }
};

} // namespace

CVelShellTreeCtrl::CVelShellTreeCtrl(QWidget* parent) : QTreeView(parent)
{
    auto* model = new ShellModel(this);
    m_model = model;
    m_icons = std::make_unique<ShellIcons>();
    m_model->setIconProvider(m_icons.get());
    // Hidden and protected system items too, as the shell shows them to an administrator.
    m_model->setFilter(QDir::AllEntries | QDir::AllDirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    m_model->setRootPath(QString());
    m_model->setReadOnly(true);
    setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        hideColumn(column);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(true);
    connect(this, &QTreeView::doubleClicked, this, &CVelShellTreeCtrl::activate);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [model](const QModelIndex& current) { model->setOpenFolder(current); });
    // Folders are listed in the background and their rows sorted afterwards:
    // a path selected meanwhile is brought into view again once its folder is in.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
        if (m_scrollTo.isEmpty() || !m_scrollTo.startsWith(folder))
            return;
        const QModelIndex index = m_model->index(m_scrollTo);
        if (index.isValid() && index == currentIndex())
            scrollTo(index, QAbstractItemView::PositionAtCenter);
        else
            m_scrollTo.clear();
    });
}

CVelShellTreeCtrl::~CVelShellTreeCtrl()
{
    // The model's background lister asks the icon provider: the model goes first.
    setModel(nullptr);
    delete m_model;
}

QString CVelShellTreeCtrl::pathOf(const QModelIndex& index) const
{
    return index.isValid() ? m_model->filePath(index) : QString();
}

QString CVelShellTreeCtrl::selectedPath() const { return pathOf(currentIndex()); }

bool CVelShellTreeCtrl::selectPath(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QModelIndex index = m_model->index(path);
    if (!index.isValid())
        return false;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_scrollTo = path;
    return true;
}

void CVelShellTreeCtrl::activate(const QModelIndex& index)
{
    if (!index.isValid() || m_model->isDir(index))
        return;
    const QString path = pathOf(index);
    if (path.endsWith(QStringLiteral(".q"), Qt::CaseInsensitive))
        emit openRequested(path);
}

QMenu* CVelShellTreeCtrl::contextMenuFor(const QModelIndex& index)
{
    if (!index.isValid())
        return nullptr;
    const QString path = pathOf(index);
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (!path.isEmpty() && m_model->isDir(index)) {
        menu->addAction(QStringLiteral("Show Codebase from here..."), this, [this, path] {
            m_codebaseRoot = path;
            emit codebaseRequested(path);
        });
        menu->addSeparator();
    }
    // The item's own entries, as the desktop offers them.
    menu->addAction(QStringLiteral("Open"), this, [path] { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
    if (!m_model->isDir(index))
        menu->addAction(QStringLiteral("Open Containing Folder"), this,
                        [path] { QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath())); });
    menu->addAction(QStringLiteral("Copy Path"), this, [path] { QApplication::clipboard()->setText(path); });
    // Whatever was chosen, the tree has the focus again.
    connect(menu, &QMenu::aboutToHide, this, [this] { setFocus(Qt::OtherFocusReason); });
    return menu;
}

void CVelShellTreeCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    // The context-menu key acts on the selected item and shows the menu at it.
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QModelIndex index = keyboard ? currentIndex() : indexAt(event->pos());
    QMenu* menu = contextMenuFor(index);
    if (!menu)
        return;
    const QPoint at = keyboard ? viewport()->mapToGlobal(visualRect(index).bottomLeft()) : event->globalPos();
    menu->popup(at);
}

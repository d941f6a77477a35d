#include "connect/CServerView.h"

#include "connect/ConnectionSymbol.h"
#include "core/commands/CommandHandlers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
// Bold for the root and the current server's nodes; folder and server images.
class ServerItemDelegate : public QStyledItemDelegate {
public:
    ServerItemDelegate(QTreeView* view) : QStyledItemDelegate(view), m_view(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(ServerTreeModel::MarkedRole).toBool())
            option->font.setBold(true);
        const int kind = index.data(ServerTreeModel::KindRole).toInt();
        QStyle* style = m_view->style();
        option->icon = kind == ServerTreeModel::Server
            ? style->standardIcon(QStyle::SP_DriveNetIcon)
            : style->standardIcon(m_view->isExpanded(index) ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon);
        option->features |= QStyleOptionViewItem::HasDecoration;
    }

private:
    QTreeView* m_view;
};
} // namespace

CServerView::CServerView(ServerExplorer& explorer, QWidget* parent)
    : QWidget(parent), m_explorer(explorer), m_toolBar(new QToolBar(this)), m_filter(new QLineEdit(this)),
      m_tree(new QTreeView(this))
{
    setObjectName(QStringLiteral("CServerView"));
    m_filter->setObjectName(QStringLiteral("serverFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Filter"));
    m_filter->setClearButtonEnabled(false);
    m_tree->setObjectName(QStringLiteral("serverTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setModel(&m_explorer.model());
    m_tree->setItemDelegate(new ServerItemDelegate(m_tree));
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setExpandsOnDoubleClick(false);
    m_tree->setDragEnabled(true);
    m_tree->setAcceptDrops(true);
    m_tree->setDropIndicatorShown(true);
    m_tree->setDragDropMode(QAbstractItemView::DragDrop);
    m_tree->setDefaultDropAction(Qt::MoveAction);
    m_tree->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    m_filter->installEventFilter(this);

    for (int id : ServerExplorer::commands() + QList<int>{ServerExplorer::ReloadTree, CopySymbol}) {
        auto* action = new QAction(id == CopySymbol ? QStringLiteral("Copy connection symbol")
                                                    : ServerExplorer::commandText(id),
                                   this);
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        m_actions.insert(id, action);
    }
    m_toolBar->setIconSize(QSize(16, 16));
    for (int id : {int(ServerExplorer::Connect), int(ServerExplorer::Add), int(ServerExplorer::Edit),
                   int(ServerExplorer::Delete), int(ServerExplorer::NewFolder)})
        m_toolBar->addAction(m_actions.value(id));
    m_toolBar->addAction(m_actions.value(ServerExplorer::ReloadTree));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_filter); // a row of its own: the pane is narrow
    layout->addWidget(m_tree);

    m_filterTimer.setInterval(1000);
    connect(&m_filterTimer, &QTimer::timeout, &m_explorer, &ServerExplorer::tick);
    m_filterTimer.start();

    auto expandRoot = [this] {
        m_tree->expand(m_explorer.model().rootIndex());
        if (!m_explorer.filterText().isEmpty())
            m_tree->expandAll();
        updateActions();
    };
    // After the view's own handling of the reset, which forgets the expanded nodes.
    connect(&m_explorer.model(), &QAbstractItemModel::modelReset, this, [this, expandRoot] {
        expandRoot();
        showMarked(m_explorer.model().markedIndexes());
    });
    connect(&m_explorer, &ServerExplorer::markingChanged, this, &CServerView::showMarked);
    connect(&m_explorer, &ServerExplorer::filterCleared, m_filter, &QLineEdit::clear);
    connect(&m_explorer, &ServerExplorer::folderAdded, this, [this](const QModelIndex& folder) {
        m_tree->setCurrentIndex(folder);
        m_tree->scrollTo(folder);
    });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { updateActions(); });
    connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& at) {
        if (m_explorer.model().kindOf(at) == ServerTreeModel::Server)
            m_explorer.activate(at);
        else
            m_tree->setExpanded(at, !m_tree->isExpanded(at));
    });
    expandRoot();
    showMarked(m_explorer.model().markedIndexes());
}

QModelIndex CServerView::selectedIndex() const { return m_tree->currentIndex(); }

void CServerView::showMarked(const QList<QModelIndex>& marked)
{
    for (const QModelIndex& at : marked)
        m_tree->scrollTo(at);
    m_tree->viewport()->update();
    updateActions();
}

void CServerView::updateActions()
{
    const QModelIndex at = selectedIndex();
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const int id = it.key();
        it.value()->setEnabled(id == CopySymbol ? !m_explorer.symbolOf(at).isEmpty() : m_explorer.isEnabled(id, at));
    }
    m_actions.value(ServerExplorer::Connect)->setText(m_explorer.connectText(at));
}

void CServerView::runCommand(int id)
{
    const QPersistentModelIndex at = selectedIndex();
    if (id == CopySymbol) {
        copySymbol();
        return;
    }
    if (id == ServerExplorer::ReloadConfig)
        setUpdatesEnabled(false); // not redrawn while the tree is cleared and loaded
    m_explorer.run(id, at);
    if (id == ServerExplorer::ReloadConfig)
        setUpdatesEnabled(true);
    updateActions();
}

void CServerView::copySymbol()
{
    const QString symbol = m_explorer.symbolOf(selectedIndex());
    if (!symbol.isEmpty())
        QApplication::clipboard()->setText(symbol);
}

void CServerView::registerCommands(CommandHandlers& handlers)
{
    for (int id : ServerExplorer::commands()) {
        handlers.addHandler(
            id, this, CommandHandlers::Scope::Focus, [this, id] { runCommand(id); },
            [this, id] { return m_explorer.isEnabled(id, selectedIndex()); });
    }
}

QMenu* CServerView::createContextMenu()
{
    updateActions();
    auto* menu = new QMenu(this);
    for (int id : ServerExplorer::commands()) {
        menu->addAction(m_actions.value(id));
        if (id == ServerExplorer::Launch || id == ServerExplorer::Delete || id == ServerExplorer::NewFolder)
            menu->addSeparator();
    }
    menu->addSeparator();
    menu->addAction(m_actions.value(CopySymbol));
    return menu;
}

bool CServerView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_filter && event->type() == QEvent::KeyRelease) {
        m_explorer.filterTyped(m_filter->text());
        return false;
    }
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QModelIndex at = selectedIndex();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (m_explorer.model().kindOf(at) == ServerTreeModel::Server)
                m_explorer.activate(at);
            else if (at.isValid())
                m_tree->setExpanded(at, !m_tree->isExpanded(at));
            return true;
        }
        if (key->text() == QStringLiteral(".")) {
            runCommand(ServerExplorer::Delete);
            return true;
        }
    }
    if (watched == m_tree->viewport() && event->type() == QEvent::ContextMenu) {
        auto* context = static_cast<QContextMenuEvent*>(event);
        const QModelIndex at = m_tree->indexAt(context->pos());
        if (at.isValid())
            m_tree->setCurrentIndex(at);
        QMenu* menu = createContextMenu();
        menu->exec(context->globalPos());
        delete menu;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

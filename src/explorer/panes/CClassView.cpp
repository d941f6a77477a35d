#include "explorer/panes/CClassView.h"

#include "explorer/CQFunction.h"
#include "explorer/DependencyWalk.h"
#include "explorer/EntityCommands.h"
#include "explorer/NamespaceLoader.h"
#include "explorer/ServiceChannel.h"
#include "explorer/panes/ExplorerIcons.h"
#include "explorer/panes/NamespaceTreeModel.h"

#include "core/Prompter.h"
#include "core/commands/CommandHandlers.h"
#include "core/commands/CommandIds.h"
#include "core/values/KRender.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
constexpr int kFindLargestSize = 32937, kFindLargestIpc = 32938, kCopyFullName = 32947;
constexpr int kShowDependencies = 32838, kShowCallers = 32853;
}

CClassView::CClassView(Prompter& prompter, QWidget* parent)
    : QWidget(parent)
    , m_prompter(prompter)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    m_toolBar = new QToolBar(this);
    m_toolBar->setIconSize(QSize(16, 16));
    auto* sort = new QToolButton(m_toolBar);
    sort->setIcon(ExplorerIcons::icon(0));
    sort->setPopupMode(QToolButton::InstantPopup);
    sort->setEnabled(false);
    m_toolBar->addWidget(sort);
    QAction* refreshAction = m_toolBar->addAction(style()->standardIcon(QStyle::SP_BrowserReload),
                                                  QStringLiteral("Refresh"), this, [this] { refresh(); });
    refreshAction->setToolTip(QStringLiteral("Reload namespaces, functions, variables and files from the q instance"));
    layout->addWidget(m_toolBar);
    m_model = new NamespaceTreeModel(this);
    m_tree = new QTreeView(this);
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->installEventFilter(this);
    layout->addWidget(m_tree, 1);
    m_loader = new NamespaceLoader(this);
    connect(m_loader, &NamespaceLoader::rootText, m_model, &NamespaceTreeModel::setRootText);
    connect(m_loader, &NamespaceLoader::message, this,
            [this](const QString& text) {
                // A load cut short by a switch of connection is no failure
                // to report: the new connection loads afresh.
                if (loadIsCurrent())
                    m_prompter.ask(text, QString(), Prompter::Buttons::Ok, Prompter::Icon::None, Prompter::Answer::Ok);
            });
    connect(m_loader, &NamespaceLoader::finished, this, &CClassView::onFinished);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { onCurrentChanged(index); });
    connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        NamespaceTreeNode* node = m_model->node(index);
        if (node && node->children.empty() && node->entity)
            emit entityActivated(node->entity);
    });
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = m_tree->indexAt(at);
        if (!index.isValid())
            return;
        m_tree->setCurrentIndex(index);
        QMenu* menu = createContextMenu(index, this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_tree->viewport()->mapToGlobal(at));
    });
}

CClassView::~CClassView() = default;

void CClassView::setLoadContext(LoadContext context)
{
    m_context = std::move(context);
    m_loader->setExecutor(m_context.executor);
}

std::shared_ptr<NamespaceModel> CClassView::entities() const { return m_model->entities(); }

std::shared_ptr<NamespaceTree> CClassView::namespaceTree() const { return m_model->tree(); }

bool CClassView::isLoading() const { return m_loader->isBusy(); }

bool CClassView::refresh()
{
    if (m_loader->isBusy() || !m_context.settings || !m_context.channel)
        return false;
    emit refreshing();
    const NamespaceLoadSettings settings = m_context.settings();
    // The tree is emptied to its root at once; the worker fills the rest.
    m_model->setTree(std::make_shared<NamespaceTree>(), m_model->entities());
    m_loadServer = settings.serverName;
    if (settings.serverName.isEmpty())
        return true;
    return m_loader->start(m_context.channel(), settings, m_model->entities());
}

bool CClassView::loadIsCurrent() const
{
    return !m_context.settings || m_context.settings().serverName == m_loadServer;
}

void CClassView::onFinished(const NamespaceLoad::Result& result)
{
    if (!loadIsCurrent()) {
        emit loadFinished(); // the new connection's load follows
        return;
    }
    m_model->setTree(result.tree, result.model);
    m_tree->expand(m_model->index(0, 0));
    // Reselect what was shown before the load, after the load's own work.
    const QString name = m_selectedName;
    QMetaObject::invokeMethod(this, [this, name] {
        if (!name.isEmpty())
            selectByName(name, false);
    }, Qt::QueuedConnection);
    emit loadFinished();
}

bool CClassView::selectByName(const QString& name, bool focus)
{
    const QModelIndex index = m_model->indexOf(name);
    if (!index.isValid())
        return false;
    if (QWidget* dock = parentWidget())
        dock->show();
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
    if (focus)
        QMetaObject::invokeMethod(m_tree, qOverload<>(&QWidget::setFocus), Qt::QueuedConnection);
    return true;
}

void CClassView::onCurrentChanged(const QModelIndex& index)
{
    NamespaceTreeNode* node = m_model->node(index);
    if (!node || !node->children.empty()) {
        emit cleared();
        return;
    }
    if (node->entity) {
        m_selectedName = node->entity->fullName();
        emit entityShown(node->entity);
    }
}

CQEntity* CClassView::selectedEntity() const
{
    NamespaceTreeNode* node = m_model->node(m_tree->currentIndex());
    return node ? node->entity : nullptr;
}

bool CClassView::hasContent() const { return m_model->tree()->hasContent(); }

bool CClassView::selectLargest(bool serialised)
{
    const auto model = m_model->entities();
    if (!model)
        return false;
    const CQEntity* largest = nullptr;
    for (const auto& entity : model->entities()) {
        const qint64 size = serialised ? entity->serialisedSize() : entity->sizeEstimate();
        if (size >= 0 && m_model->tree()->item(entity->fullName())
            && (!largest || size > (serialised ? largest->serialisedSize() : largest->sizeEstimate())))
            largest = entity.get();
    }
    return largest && selectByName(largest->fullName(), true);
}

CDlgInventory* CClassView::inventory(Inventory::Kind kind)
{
    CDlgInventory*& dialog = kind == Inventory::Kind::Variables ? m_variables : m_functions;
    if (!dialog)
        dialog = new CDlgInventory(kind, this);
    dialog->setLook(m_inventoryLook);
    dialog->setModel(m_model->entities());
    dialog->refill();
    return dialog;
}

void CClassView::showInventory(Inventory::Kind kind)
{
    CDlgInventory* dialog = inventory(kind);
    if (dialog->exec() == QDialog::Accepted && !dialog->chosenName().isEmpty())
        selectByName(dialog->chosenName(), true);
}

void CClassView::getSource()
{
    const CQEntity* entity = selectedEntity();
    if (!entity || entity->kind() != CQEntity::Function || !m_actions.query)
        return;
    const QString name = entity->fullName();
    QPointer<CClassView> self(this);
    m_actions.query(name, [self, name](K reply) {
        // A failed query opens nothing.
        if (!self || !reply || reply->t == KERR || !self->m_actions.newDocument)
            return;
        RenderOptions options;
        self->m_actions.newDocument(EntityCommands::sourceText(name, renderConsole(reply, options)));
    });
}

void CClassView::getSourceWithDependents()
{
    const CQEntity* entity = selectedEntity();
    const auto model = m_model->entities();
    if (!entity || entity->kind() != CQEntity::Function || !model || !m_actions.query)
        return;
    const QString walk = DependencyWalk::dependencies(static_cast<const CQFunction&>(*entity), QString(), *model, nullptr);
    QPointer<CClassView> self(this);
    m_actions.query(DependencyWalk::sourceQuery(DependencyWalk::functionNames(walk)), [self](K reply) {
        // A dictionary from name to function value; anything else opens nothing.
        if (!self || !reply || reply->t != XD || !self->m_actions.newDocument)
            return;
        K keys = kK(reply)[0];
        K values = kK(reply)[1];
        if (keys->t != KS || values->t != 0 || keys->n != values->n)
            return;
        RenderOptions options;
        QString text;
        for (J i = 0; i < keys->n; ++i)
            text += EntityCommands::sourceText(QString::fromUtf8(kS(keys)[i]), renderConsole(kK(values)[i], options));
        self->m_actions.newDocument(text);
    });
}

CDlgDependency* CClassView::showDependencies(CDlgDependency::Mode mode)
{
    const CQEntity* entity = selectedEntity();
    if (!entity || (mode == CDlgDependency::Dependencies && entity->kind() != CQEntity::Function))
        return nullptr;
    if (!m_dependencies) {
        m_dependencies = new CDlgDependency(this);
        m_dependencies->setWindowFlag(Qt::Window);
        m_dependencies->setSelector([this](const QString& name) { selectByName(name, true); });
    }
    m_dependencies->setLook(m_inventoryLook);
    m_dependencies->showFor(mode, *entity, m_model->entities());
    return m_dependencies;
}

void CClassView::deleteSelected()
{
    const QModelIndex index = m_tree->currentIndex();
    NamespaceTreeNode* node = m_model->node(index);
    if (!node || !node->children.empty() || !node->entity || !m_actions.query)
        return;
    const QString query = EntityCommands::deleteQuery(*node->entity);
    if (m_prompter.ask(EntityCommands::deleteQuestion(query), QStringLiteral("Tovo"), Prompter::Buttons::YesNo,
                       Prompter::Icon::Warning, Prompter::Answer::No)
        != Prompter::Answer::Yes)
        return;
    const QString name = node->entity->fullName();
    QPointer<CClassView> self(this);
    m_actions.query(query, [self, name](K reply) {
        // On failure nothing changes.
        if (!self || !reply || reply->t == KERR)
            return;
        self->m_model->removeEntity(name);
    });
}

void CClassView::copyFullName()
{
    if (const CQEntity* entity = selectedEntity())
        QApplication::clipboard()->setText(entity->fullName());
}

QMenu* CClassView::createContextMenu(const QModelIndex& index, QWidget* parent)
{
    auto* menu = new QMenu(QStringLiteral("Namespace"), parent);
    NamespaceTreeNode* node = m_model->node(index);
    auto add = [menu](const QString& text, bool enabled, std::function<void()> run = {}) {
        QAction* action = menu->addAction(text);
        // Commands whose dialogs are not built yet have no handler: disabled.
        action->setEnabled(enabled && bool(run));
        if (run)
            QObject::connect(action, &QAction::triggered, menu, run);
    };
    if (node && !node->parent && index.row() == 0) {
        add(QStringLiteral("&Refresh"), true, [this] { refresh(); });
        menu->addSeparator();
        add(QStringLiteral("Find largest by &size"), hasContent(), [this] { selectLargest(false); });
        add(QStringLiteral("Find Largest by &IPC size"), hasContent(), [this] { selectLargest(true); });
        add(QStringLiteral("Variables Inventory..."), hasContent(), [this] { showInventory(Inventory::Kind::Variables); });
        add(QStringLiteral("Functions Inventory..."), hasContent(), [this] { showInventory(Inventory::Kind::Functions); });
        const auto entities = m_model->entities();
        add(QStringLiteral("Remote Files Inventory..."), entities && !entities->files.isEmpty() && m_actions.remoteFiles,
            m_actions.remoteFiles);
        return menu;
    }
    const CQEntity* entity = node ? node->entity : nullptr;
    const bool function = entity && entity->kind() == CQEntity::Function;
    add(QStringLiteral("Add Watch"), entity && entity->kind() == CQEntity::Variable && m_addWatch,
        [this, entity] { m_addWatch(entity->fullName()); });
    add(QStringLiteral("Show Dependencies"), function, [this] { showDependencies(CDlgDependency::Dependencies); });
    add(QStringLiteral("Show Callers"), entity != nullptr, [this] { showDependencies(CDlgDependency::Callers); });
    add(QStringLiteral("Get source"), function && m_actions.query, [this] { getSource(); });
    add(QStringLiteral("Get source (w/ all dependents)"), function && m_actions.query,
        [this] { getSourceWithDependents(); });
    add(QStringLiteral("Copy full name"), entity != nullptr, [this] { copyFullName(); });
    const auto* fn = function ? static_cast<const CQFunction*>(entity) : nullptr;
    add(QStringLiteral("Show containing file"), fn && !fn->fileName().isEmpty() && m_actions.showFile,
        [this, fn] { m_actions.showFile(fn->fileName(), fn->fileLine(), fn->fullName()); });
    add(QStringLiteral("Switch to in Debugger"), fn && m_debuggerSwitch,
        [this, fn] { m_debuggerSwitch(fn->fullName()); });
    menu->addSeparator();
    add(QStringLiteral("Delete from namespace..."), node && node->children.empty() && entity && m_actions.query,
        [this] { deleteSelected(); });
    return menu;
}

void CClassView::registerCommands(CommandHandlers& handlers)
{
    using Scope = CommandHandlers::Scope;
    handlers.addHandler(cmd::Refresh, this, Scope::Window, [this] { refresh(); });
    handlers.addHandler(kFindLargestSize, this, Scope::Window, [this] { selectLargest(false); },
                        [this] { return hasContent(); });
    handlers.addHandler(kFindLargestIpc, this, Scope::Window, [this] { selectLargest(true); },
                        [this] { return hasContent(); });
    handlers.addHandler(cmd::VariablesInventory, this, Scope::Window,
                        [this] { showInventory(Inventory::Kind::Variables); }, [this] { return hasContent(); });
    handlers.addHandler(cmd::FunctionsInventory, this, Scope::Window,
                        [this] { showInventory(Inventory::Kind::Functions); }, [this] { return hasContent(); });
    handlers.addHandler(kShowDependencies, this, Scope::Focus,
                        [this] { showDependencies(CDlgDependency::Dependencies); }, [this] {
                            const CQEntity* e = selectedEntity();
                            return e && e->kind() == CQEntity::Function;
                        });
    handlers.addHandler(kShowCallers, this, Scope::Focus, [this] { showDependencies(CDlgDependency::Callers); },
                        [this] { return selectedEntity() != nullptr; });
    handlers.addHandler(cmd::RemoteFilesInventory, this, Scope::Window, [this] {
        if (m_actions.remoteFiles)
            m_actions.remoteFiles();
    }, [this] {
        const auto entities = m_model->entities();
        return entities && !entities->files.isEmpty() && bool(m_actions.remoteFiles);
    });
    handlers.addHandler(kCopyFullName, this, Scope::Focus, [this] { copyFullName(); },
                        [this] { return selectedEntity() != nullptr; });
}

bool CClassView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const QModelIndex index = m_tree->currentIndex();
            NamespaceTreeNode* node = m_model->node(index);
            if (node && !node->children.empty())
                m_tree->setExpanded(index, !m_tree->isExpanded(index));
            else if (node && node->entity)
                emit entityActivated(node->entity);
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            deleteSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

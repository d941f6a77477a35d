#include "app/CExplorerLink.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/NamespaceCompletion.h"
#include "connect/BackgroundJob.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionController.h"
#include "connect/SessionAttempt.h"
#include "connect/SessionWorker.h"
#include "core/commands/CommandHandlers.h"
#include "core/commands/CommandIds.h"
#include "core/settings/CDlgQSettings.h"
#include "editor/CTovoView.h"
#include "explorer/HandleChannel.h"
#include "explorer/panes/CClassView.h"
#include "explorer/panes/CPropertiesWnd.h"
#include "explorer/panes/NamespaceTreeModel.h"
#include "query/QueryRunner.h"

#include <QDockWidget>

namespace {
// Why a query on a session of its own brought no reply (the server text may
// hold credentials: it is not repeated).
QString failureText(const SessionAttempt::Outcome& outcome)
{
    if (outcome.result > 0)
        return QStringLiteral("the connection was lost");
    if (!outcome.error.isEmpty())
        return QStringLiteral("could not connect: %1").arg(outcome.error);
    return QStringLiteral("could not connect");
}
} // namespace

CExplorerLink::CExplorerLink(CMainFrame& frame, CQueryLink& link, Prompter& prompter)
    : QObject(&frame)
    , m_frame(frame)
    , m_link(link)
{
    m_view = new CClassView(prompter);
    m_properties = new CPropertiesWnd;
    if (QDockWidget* dock = frame.pane(CMainFrame::NamespaceExplorer)) {
        m_view->setMinimumSize(100, 100);
        dock->setWidget(m_view);
    }
    if (QDockWidget* dock = frame.pane(CMainFrame::Properties)) {
        m_properties->setMinimumSize(100, 100);
        dock->setWidget(m_properties);
        // The pane was laid out around a placeholder: it opens wide enough for names and values.
        frame.resizeDocks({dock}, {m_properties->sizeHint().width()}, Qt::Horizontal);
    }
    CClassView::LoadContext context;
    context.settings = [this] {
        const CDlgQSettings& q = m_frame.qSettings();
        NamespaceLoadSettings s;
        s.timeLimit = q.NamespaceSQTimeout;
        s.hidePureIndirects = q.HidePureIndirects;
        s.tree.hideReserved = q.QNSHideReserved;
        s.tree.flattenNested = q.QNSFlattenNested;
        s.serverName = m_frame.serverText();
        return s;
    };
    context.channel = [this] {
        CQHelper* session = &m_link.session();
        return std::make_unique<HandleChannel>([session] { return session->handle(); });
    };
    m_completion = std::make_shared<NamespaceCompletion>([this] { return m_view->entities(); },
                                                         [this] { return m_view->isLoading(); });
    // Loads queue on the session's worker between the user's queries; the
    // names auto-complete offers are taken there too, from the new model.
    context.executor = [this](QObject* owner, std::function<NamespaceLoad::Result()> work,
                              std::function<void(const NamespaceLoad::Result&)> done) {
        m_link.session().worker().post(
            owner,
            [work = std::move(work), completion = m_completion] {
                NamespaceLoad::Result result = work();
                if (result.loaded) // a new model, not yet shown
                    completion->prepare(result.model);
                return result;
            },
            std::move(done));
    };
    m_view->setLoadContext(context);

    m_properties->setSelector([this](const QString& name) { return m_view->selectByName(name, false); });
    m_properties->setQueryAllowed([this] { return m_link.session().isOpen() && !m_link.runner().isRunning(); });
    connect(m_view, &CClassView::refreshing, m_properties, &CPropertiesWnd::clear);
    connect(m_view, &CClassView::cleared, m_properties, &CPropertiesWnd::clear);
    connect(m_view, &CClassView::entityShown, m_properties, [this](const CQEntity* entity) {
        m_properties->showEntity(entity, m_view->entities().get(), m_view->namespaceTree().get());
    });
    connect(m_view, &CClassView::entityActivated, m_properties, [this](const CQEntity* entity) {
        if (QDockWidget* dock = m_frame.pane(CMainFrame::Properties))
            dock->show();
        m_properties->showEntity(entity, m_view->entities().get(), m_view->namespaceTree().get());
        m_properties->query();
    });
    connect(m_properties, &CPropertiesWnd::queryRequested, this, [this](const QString& text) { m_link.run(text, false); });
    // Query is enabled only while a query may be sent: it follows runs and connections.
    connect(&link.runner(), &QueryRunner::runningChanged, m_properties, &CPropertiesWnd::updateActions);
    connect(&link.controller(), &ConnectionController::serverChanged, m_properties, &CPropertiesWnd::updateActions);
    connect(&link.controller(), &ConnectionController::connectFinished, m_properties, &CPropertiesWnd::updateActions);

    connect(&link.controller(), &ConnectionController::namespaceLoadRequested, this, &CExplorerLink::requestLoad);
    connect(m_view, &CClassView::loadFinished, this, &CExplorerLink::startPending, Qt::QueuedConnection);
    connect(&link.runner(), &QueryRunner::replyReady, this, [this](int) {
        if (m_frame.qSettings().QRefreshNamespace)
            m_pending = true;
        // After the reply has been handled: the runner is done with the handle.
        QMetaObject::invokeMethod(this, &CExplorerLink::startPending, Qt::QueuedConnection);
    });
    connect(&frame, &CMainFrame::lookupRequested, m_view, [this](const QString& name) { m_view->selectByName(name, true); });
    // Get source and Delete from namespace: one query on a session of their
    // own to the current server, connected and sent off the window's thread.
    CClassView::EntityActions actions;
    actions.query = [this](const QString& text, std::function<void(K, const QString&)> done) {
        SessionAttempt::Request request;
        request.symbol = m_frame.serverText();
        request.timeoutSec = m_link.session().connectTimeoutSec();
        request.q = m_frame.qSettings();
        request.plugins = m_link.plugins();
        request.query = text;
        if (request.symbol.isEmpty()) {
            done(nullptr, QStringLiteral("not connected"));
            return;
        }
        if (!m_job) // its worker thread starts with the first of these queries
            m_job = new BackgroundJob(this);
        m_job->start<SessionAttempt::Outcome>([request] { return SessionAttempt::run(request); },
                                              [done](SessionAttempt::Outcome outcome) {
                                                  done(outcome.reply.get(), outcome.reply ? QString() : failureText(outcome));
                                              });
    };
    actions.newDocument = [this](const QString& text) {
        CChildFrame* child = m_frame.newDocument();
        if (auto* view = child ? qobject_cast<CTovoView*>(child->view()) : nullptr)
            view->loadDocumentText(text);
    };
    m_view->setEntityActions(actions);
    // The pane's commands (find largest, inventories, copy name) reach the
    // window's menus and keys; Refresh is this link's, below, since it needs a session.
    m_view->registerCommands(frame.commands());
    // The Refresh button of the main frame's toolbar.
    frame.commands().addHandler(cmd::Refresh, m_view, CommandHandlers::Scope::Window, [this] {
        m_properties->clear();
        requestLoad();
    }, [this] { return m_link.session().isOpen(); });
}

CExplorerLink::~CExplorerLink() = default;

const CompletionSource* CExplorerLink::completion() const { return m_completion.get(); }

void CExplorerLink::requestLoad()
{
    m_pending = true;
    startPending();
}

void CExplorerLink::startPending()
{
    // The load queues on the session's worker behind a running query.
    if (!m_pending || m_view->isLoading())
        return;
    m_pending = false;
    m_view->refresh();
}

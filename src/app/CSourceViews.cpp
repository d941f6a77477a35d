#include "app/CSourceViews.h"

#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionController.h"
#include "editor/CTovoView.h"
#include "query/QueryLog.h"
#include "query/QueryRunner.h"

#include <QKeyEvent>

CSourceViews::CSourceViews(CMainFrame& frame, CQueryLink& link, const HomeFolder& home, Prompter& prompter,
                           QObject* parent)
    : QObject(parent), m_frame(frame), m_link(link), m_log(std::make_unique<QueryLog>(home, prompter))
{
    connect(&link.controller(), &ConnectionController::criticalMarking, this, [this](bool critical, int colour) {
        // Sent on every title change; the views re-colour only when the marking changes.
        if (critical == m_critical && (!critical || m_criticalColour == static_cast<std::uint32_t>(colour)))
            return;
        m_critical = critical;
        m_criticalColour = static_cast<std::uint32_t>(colour);
        for (CChildFrame* child : m_frame.documentArea()->documents())
            if (auto* view = qobject_cast<CTovoView*>(child->view()))
                applyCritical(view);
    });
    // The active view takes the server it was just connected to.
    connect(&link.controller(), &ConnectionController::activeViewServerChanged, this, [this](const QString& server) {
        if (CChildFrame* child = m_frame.activeDocument())
            if (auto* view = qobject_cast<CTovoView*>(child->view())) {
                view->setServerText(server);
                updateTooltip(child);
            }
    });
    connect(frame.documentArea(), &CDocumentArea::activeDocumentChanged, this, &CSourceViews::activated);
    // The critical masks are matched against the window title too.
    connect(&frame, &QWidget::windowTitleChanged, &link.controller(), &ConnectionController::setWindowTitle);
}

CSourceViews::~CSourceViews() = default;

void CSourceViews::attach(CChildFrame* child)
{
    auto* view = qobject_cast<CTovoView*>(child->view());
    if (!view)
        return;
    connect(view, &CTovoView::queryRequested, this,
            [this, view](const QString& query, bool asIs) { run(view, query, asIs); });
    view->installEventFilter(this);
    if (m_critical)
        applyCritical(view);
}

void CSourceViews::run(CTovoView* view, const QString& query, bool asIs)
{
    if (query.isEmpty())
        return;
    // Logged when it will run: on the session, after the connect in progress
    // or after connecting again to a lost server.
    const ConnectionController& controller = m_link.controller();
    const bool runs = m_link.session().isOpen() || controller.isConnecting() || !controller.lostServer().isEmpty()
        || m_link.runner().isRunning();
    if (runs && m_frame.editorSettings().LogQueries)
        m_log->log(m_link.controller().serverText(), view->document().title(), query);
    m_link.run(query, asIs);
}

bool CSourceViews::eventFilter(QObject* watched, QEvent* event)
{
    // Esc in a source view stops the running query (or connect), unless the
    // view has its auto-complete list open.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* view = qobject_cast<CTovoView*>(watched);
        if (view && key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && !view->isListActive()
            && m_link.runner().canStop()) {
            m_link.runner().stop();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CSourceViews::activated(CChildFrame* child)
{
    auto* view = child ? qobject_cast<CTovoView*>(child->view()) : nullptr;
    if (!view)
        return;
    const QString current = m_link.controller().serverText();
    if (view->serverText().isEmpty()) {
        view->setServerText(current);
        updateTooltip(child);
    } else if (m_frame.editorSettings().SwitchConnections && view->serverText() != current) {
        // Each document keeps its own instance: switching documents switches the connection.
        m_link.controller().connectTo(view->serverText());
    }
}

void CSourceViews::updateTooltip(CChildFrame* child)
{
    auto* view = qobject_cast<CTovoView*>(child->view());
    const bool show = view && m_frame.editorSettings().SwitchConnections && !view->serverText().isEmpty();
    child->setTooltipExtra(show ? view->serverText() : QString());
}

void CSourceViews::applyCritical(CTovoView* view) const { view->setCritical(m_critical, m_criticalColour); }

#include "app/CSourceViews.h"

#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionController.h"
#include "app/CommandIds.h"
#include "core/commands/CommandHandlers.h"
#include "editor/CTovoView.h"
#include "editor/CViewPrinter.h"
#include "query/QueryLog.h"
#include "query/QueryRunner.h"

#include <QGuiApplication>
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
    view->registerCommands(m_frame.commands());
    view->setCompletionSource(m_completion);
    view->setCompletionIcons(m_completionIcons);
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

CTovoView* CSourceViews::activeView() const
{
    CChildFrame* child = m_frame.activeDocument();
    return child ? qobject_cast<CTovoView*>(child->view()) : nullptr;
}

void CSourceViews::registerCommands(std::function<CViewPrinter&()> printer)
{
    using Scope = CommandHandlers::Scope;
    CommandHandlers& handlers = m_frame.commands();
    const auto hasView = [this] { return activeView() != nullptr; };
    // Runs f on the active view; the rule makes sure there is one.
    const auto onView = [this](auto f) {
        return [this, f] {
            if (CTovoView* view = activeView())
                f(*view);
        };
    };
    // Shift held with the key or the click: the query runs as is.
    const auto shift = [] { return bool(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier); };
    handlers.addHandler(cmd::ExecuteLine, this, Scope::Window, onView([shift](CTovoView& v) { v.executeLine(shift()); }),
                        hasView);
    handlers.addHandler(cmd::ExecuteSelection, this, Scope::Window,
                        onView([shift](CTovoView& v) { v.executeSelection(shift()); }), hasView);
    handlers.addHandler(cmd::GoToLine, this, Scope::Window, onView([](CTovoView& v) { v.goToLineDialog(); }), hasView);
    handlers.addHandler(cmd::GoToMatchingBracket, this, Scope::Window,
                        onView([](CTovoView& v) { v.goToMatchingBracket(); }), hasView);
    handlers.addHandler(cmd::LineWrapping, this, Scope::Window,
                        onView([](CTovoView& v) { v.setLineWrapping(!v.lineWrapping()); }), hasView,
                        [this] { return activeView() && activeView()->lineWrapping(); });
    handlers.addHandler(cmd::SyntaxHighlight, this, Scope::Window, onView([](CTovoView& v) { v.toggleHighlighting(); }),
                        hasView, [this] { return activeView() && activeView()->highlighting(); });
    handlers.addHandler(cmd::EditFind, this, Scope::Window, onView([](CTovoView& v) { v.showFindDialog(false); }),
                        hasView);
    handlers.addHandler(cmd::EditReplace, this, Scope::Window, onView([](CTovoView& v) { v.showFindDialog(true); }),
                        hasView);
    handlers.addHandler(cmd::EditFindNext, this, Scope::Window, onView([](CTovoView& v) { v.findNext(); }), hasView);
    handlers.addHandler(cmd::AutoComplete, this, Scope::Window, onView([](CTovoView& v) { v.autoComplete(); }),
                        hasView);
    handlers.addHandler(cmd::QHelp, this, Scope::Window, onView([](CTovoView& v) { v.help(); }), hasView);
    handlers.addHandler(cmd::FilePrint, this, Scope::Window, onView([this, printer](CTovoView& v) {
        printer().printDialog(v, m_frame.activeDocument()->title(), &m_frame);
    }), hasView);
    handlers.addHandler(cmd::FilePrintPreview, this, Scope::Window, onView([this, printer](CTovoView& v) {
        printer().printPreview(v, m_frame.activeDocument()->title(), &m_frame);
    }), hasView);
    handlers.addHandler(cmd::FilePrintSetup, this, Scope::Window, [this, printer] { printer().pageSetup(&m_frame); });
}

bool CSourceViews::eventFilter(QObject* watched, QEvent* event)
{
    // Esc in a source view stops the running query (or connect), unless the
    // view has its auto-complete list open.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* view = qobject_cast<CTovoView*>(watched);
        if (view && key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && !view->isListActive()
            && !view->completionOpen() && m_link.runner().canStop()) {
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

#include "app/CDebuggerLink.h"

#include "app/CExplorerLink.h"
#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionSymbol.h"
#include "core/commands/CommandHandlers.h"
#include "core/commands/CommandIds.h"
#include "core/values/KRender.h"
#include "debugger/DebugController.h"
#include "debugger/widgets/CDlgDebug.h"
#include "explorer/NamespaceModel.h"
#include "explorer/panes/CClassView.h"
#include "query/QueryRunner.h"

CDebuggerLink::CDebuggerLink(CMainFrame& frame, CQueryLink& link, CExplorerLink& explorer,
                             const CDialogFontsColors& scheme, Prompter& prompter, QString homeFolder,
                             std::function<QString()> selection)
    : QObject(&frame), m_frame(frame), m_link(link), m_explorer(explorer), m_scheme(scheme), m_prompter(prompter),
      m_selection(std::move(selection)), m_render(std::make_unique<KRender>())
{
    m_session = std::make_unique<CQHelper>(link.session().context());
    CQHelper* session = m_session.get();
    DebugController::Context c;
    c.prompter = &prompter;
    c.worker = [session] { return &session->worker(); };
    c.call = [session](const QString& text) {
        const int handle = session->handle();
        return KPtr(handle > 0 ? k(handle, text.toUtf8().constData(), static_cast<K>(nullptr)) : nullptr);
    };
    c.isOpen = [session] { return session->isOpen(); };
    c.close = [session] { session->close(); };
    c.currentServer = [this] { return m_frame.serverText(); };
    c.functionName = [this](const QString& text) {
        const auto entities = m_explorer.classView()->entities();
        return entities ? entities->bodies.value(text) : QString();
    };
    c.homeFolder = std::move(homeFolder);
    c.render = [this](K x) {
        m_render->updateOptions(m_frame.qSettings());
        return m_render->render(x);
    };
    m_controller = new DebugController(c, this);
    connect(m_controller, &DebugController::agentChecked, this, &CDebuggerLink::agentChecked);
    connect(m_controller, &DebugController::refreshed, this, &CDebuggerLink::debuggerRefreshed);

    frame.commands().addHandler(cmd::Debugger, this, CommandHandlers::Scope::Window, [this] { open(); },
                                [this] { return !m_frame.serverText().isEmpty() && !m_opening; });
    m_explorer.classView()->setDebuggerSwitch([this](const QString& name) { switchTo(name); },
                                              [this] { return m_dialog && m_dialog->isVisible() && m_session->isOpen(); });
}

CDebuggerLink::~CDebuggerLink()
{
    // The dialog and the controller go before the session and its worker.
    m_dialog.reset();
    delete m_controller;
    m_controller = nullptr;
}

void CDebuggerLink::open()
{
    const QString server = m_frame.serverText();
    if (server.isEmpty() || m_opening)
        return;
    m_pendingSelection = m_selection ? m_selection().trimmed() : QString();
    m_opening = true;
    if (m_session->isOpen() && m_controller->server() == server) {
        m_controller->checkAgent(server);
        return;
    }
    m_session->close();
    m_session->openAsync(server, this, [this, server](int result) {
        if (result <= 0) {
            m_opening = false;
            // As for the main connection: the status bar says so, the debugger stays closed.
            if (CFrameStatusBar* bar = m_frame.frameStatusBar())
                bar->setPaneText(1, QStringLiteral("Can't connect to %1").arg(ConnectionSymbol::masked(server)));
            return;
        }
        m_controller->checkAgent(server);
    });
}

void CDebuggerLink::agentChecked(bool ok)
{
    m_opening = false;
    if (!ok)
        return;
    // The agent's namespace shows in the explorer.
    m_explorer.requestLoad();
    if (!m_dialog) {
        m_dialog = std::make_unique<CDlgDebug>(*m_controller, m_scheme);
        m_dialog->setMainRunner([this](const QString& text) {
            if (!m_link.session().isOpen() || m_link.runner().isRunning())
                return false;
            m_link.run(text, false);
            return true;
        });
        m_dialog->setSessionCloser([this] { m_session->close(); });
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    m_dialog->initialise(m_pendingSelection);
}

void CDebuggerLink::switchTo(const QString& function)
{
    if (m_dialog && m_dialog->isVisible() && m_session->isOpen()) {
        m_dialog->switchToFunction(function);
        m_dialog->raise();
        m_dialog->activateWindow();
    }
}

#include "app/CQueryLink.h"

#include "app/CConnectComboButton.h"
#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/CReplyPresenter.h"
#include "app/CommandIds.h"
#include "core/commands/CommandHandlers.h"
#include "connect/AuthPlugins.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionController.h"
#include "connect/CredentialCache.h"
#include "query/QueryRunner.h"
#include "results/COutputWnd.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>

CQueryLink::CQueryLink(CMainFrame& frame, SettingsStore& store, Prompter& prompter, const QString& homeFolder)
    : QObject(&frame)
    , m_frame(frame)
    , m_plugins(std::make_unique<AuthPlugins>())
    , m_cache(std::make_unique<CredentialCache>())
{
    m_plugins->scan(homeFolder);
    SessionContext context;
    context.q = &frame.qSettings();
    context.store = &store;
    context.prompter = &prompter;
    context.plugins = m_plugins.get();
    context.cache = m_cache.get();
    m_session = std::make_unique<CQHelper>(context);
    m_controller = new ConnectionController(*m_session, frame.qSettings(), frame.editorSettings(), &store, prompter, this);
    m_runner = new QueryRunner(*m_controller, frame.qSettings(), frame.editorSettings(), prompter, this);
    m_controller->setActiveQuery(m_runner);
    m_presenter = new CReplyPresenter(frame);

    m_quickConnect = [this](const QString& text) { m_controller->connectTo(text); };
    connect(&frame, &CMainFrame::connectRequested, m_controller, [this](const QString& text) { m_quickConnect(text); });
    using Scope = CommandHandlers::Scope;
    CommandHandlers& handlers = frame.commands();
    handlers.addHandler(cmd::Connected, this, Scope::Window, [this] {
        if (m_session->isOpen())
            m_controller->disconnectServer();
        else
            m_quickConnect(m_frame.connectBoxText());
    }, [this] { return m_session->isOpen() || !m_frame.connectBoxText().isEmpty(); },
       [this] { return m_session->isOpen(); });
    // Quick connect with the box's text; an empty box or a failed connect
    // opens the connection dialog.
    handlers.addHandler(cmd::ConnectToServer, this, Scope::Window, [this] { m_quickConnect(m_frame.connectBoxText()); });
    handlers.addHandler(cmd::ConnectPrevious, this, Scope::Window, [this] {
        m_frame.syncConnectBoxWithNextServer();
        m_controller->connectPrevious();
    },
                        [this] { return !m_controller->backHistory().isEmpty(); });
    handlers.addHandler(cmd::ConnectNext, this, Scope::Window, [this] {
        m_frame.syncConnectBoxWithNextServer();
        m_controller->connectNext();
    },
                        [this] { return !m_controller->forwardHistory().isEmpty(); });
    handlers.addHandler(cmd::Tls, this, Scope::Window, [this] {
        m_controller->toggleTls();
        m_frame.updateToggleActions();
    }, {}, [this] { return bool(m_frame.qSettings().EnableTLS); });
    connect(m_controller, &ConnectionController::serverChanged, this, [this](const QString& server) {
        m_frame.setServer(server, QString());
        m_frame.action(cmd::Connected)->setText(server.isEmpty() ? QStringLiteral("Connect") : QStringLiteral("Disconnect"));
        m_frame.commands().updateCommands();
    });
    connect(m_controller, &ConnectionController::historiesChanged, &frame, [&frame] { frame.commands().updateCommands(); });
    m_frame.action(cmd::Connected)->setText(QStringLiteral("Connect"));
    // The box shows the server being connected to (and the current one after).
    connect(m_controller, &ConnectionController::connectBoxText, this, [this](const QString& text) {
        if (CConnectComboButton* box = m_frame.connectBox())
            box->setEditText(text);
    });
    connect(m_controller, &ConnectionController::openUrlRequested, this,
            [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    wireStatus();
    wireRunState();

    connect(m_runner, &QueryRunner::replyReady, this, [this](int) {
        bool refresh = m_runner->refreshAfter();
        m_presenter->show(m_session->lastReply(), m_session->elapsedMs, refresh, m_session->lastReplyFacts);
    });
    registerCommands(frame.commands());
}

void CQueryLink::wireRunState()
{
    CFrameStatusBar* status = m_frame.frameStatusBar();
    // The busy animation and progress bar go with the run or the connect, however it ends.
    connect(m_runner, &QueryRunner::runningChanged, this, [this, status](bool running) {
        m_frame.setRunningQuery(running ? m_runner->pendingQuery() : QString());
        if (!running && status->showsProgress())
            status->setPaneText(CFrameStatusBar::Progress, QString());
        if (running || m_frame.isConnecting())
            status->startBusy();
        else
            status->stopBusy();
        if (m_handlers)
            m_handlers->updateCommands();
    });
    connect(m_controller, &ConnectionController::connectingChanged, this, [this, status](bool connecting) {
        m_frame.setConnecting(connecting);
        if (connecting || m_runner->isRunning())
            status->startBusy();
        else
            status->stopBusy();
        if (m_handlers)
            m_handlers->updateCommands();
    });
    // Ctrl+Enter with no session: the quick-connect box takes the focus.
    connect(m_runner, &QueryRunner::notConnected, this, [this] {
        if (CConnectComboButton* box = m_frame.connectBox()) {
            box->setFocus(Qt::OtherFocusReason);
            box->lineEdit()->selectAll();
        }
    });
    connect(&m_frame, &CMainFrame::connectCancelRequested, m_controller, [this] {
        if (m_controller->isConnecting())
            m_controller->cancelConnect();
    });
}

void CQueryLink::registerCommands(CommandHandlers& handlers)
{
    m_handlers = &handlers;
    handlers.addHandler(
        cmd::Stop, this, CommandHandlers::Scope::Window, [this] { m_runner->stop(); },
        [this] { return m_runner->canStop(); });
}

CQueryLink::~CQueryLink()
{
    // The runner and controller use the session: they go before it does,
    // silently, since the panes they report to may be gone.
    m_runner->disconnect();
    m_controller->disconnect();
    delete m_runner;
    delete m_controller;
}

void CQueryLink::wireStatus()
{
    CFrameStatusBar* status = m_frame.frameStatusBar();
    auto showStatus = [status](int pane, const QString& text, ConnectionController::Colour colour) {
        status->setPaneText(pane, text);
        status->setPaneColor(pane, colour == ConnectionController::Colour::Red ? QColor(Qt::red) : QColor());
    };
    connect(m_controller, &ConnectionController::statusText, status, showStatus);
    connect(m_runner, &QueryRunner::statusText, status, showStatus);
    connect(m_runner, &QueryRunner::progress, status, [status](int value, int range) {
        status->setProgress(range > 0 ? value * 100 / range : value);
    });
    connect(m_controller, &ConnectionController::progressCleared, status,
            [status] { status->setPaneText(CFrameStatusBar::Progress, QString()); });
    COutputWnd* output = m_frame.outputWnd();
    connect(m_controller, &ConnectionController::consoleText, output, &COutputWnd::append);
    connect(m_runner, &QueryRunner::consoleText, output, &COutputWnd::append);
    connect(m_runner, &QueryRunner::outputPaneRequested, &m_frame, [this] { m_frame.showOutputPane(); });
}

void CQueryLink::run(const QString& query, bool asIs)
{
    if (query.isEmpty())
        return;
    m_runner->run(query, true, asIs);
}

#include "app/CServerLink.h"

#include "core/commands/CommandHandlers.h"

#include "app/CConnectComboButton.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "connect/CDlgNewFolder.h"
#include "connect/CDlgServerConn.h"
#include "connect/CServerView.h"
#include "connect/CQHelper.h"
#include "connect/ConnectionController.h"
#include "connect/ServerExplorer.h"
#include "connect/ServerImport.h"
#include "core/FileChooser.h"
#include "core/Prompter.h"
#include "connect/ServerList.h"
#include "query/CDlgSubscription.h"
#include "results/grid/COutputTable.h"

#include <QDockWidget>
#include <QFileInfo>
#include <QHeaderView>
#include <QProcess>

#include <cstdlib>

CServerLink::CServerLink(CTovoApp& app, CMainFrame& frame, CQueryLink& link, Prompter& prompter)
    : QObject(&frame), m_app(app), m_frame(frame), m_link(link), m_prompter(prompter),
      m_list(std::make_unique<ServerList>(app.GetHomeFilePath(QStringLiteral("Servers.cfg")), prompter))
{
    m_explorer = new ServerExplorer(*m_list, prompter, &app.fileChooser(), this);
    m_explorer->setShowServersAs(frame.qSettings().QShowServersAs);
    // Without a home folder the status bar has said so; the tree stays empty.
    if (QFileInfo(app.home().path()).isDir() && !m_list->loadOrReport())
        std::exit(-2); // the user has been told: "Tovo - Fatal startup error"

    ConnectionController& controller = link.controller();
    ServerExplorer::Hooks hooks;
    hooks.editServer = [this](const ServerExplorer::EditRequest& request) -> std::optional<ServerExplorer::EditResult> {
        CDlgServerConn dialog(request.namePath, request.symbol, request.addMode, m_prompter, m_app.store(),
                              m_frame.qSettings(), &m_frame);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return ServerExplorer::EditResult{dialog.namePath(), dialog.symbol(), dialog.connectAfterSaving()};
    };
    hooks.askFolderName = [this] {
        CDlgNewFolder dialog(&m_frame);
        return dialog.exec() == QDialog::Accepted ? dialog.folderName() : QString();
    };
    // The connect runs on the session's worker: done follows its connectFinished.
    hooks.connect = [this, &controller](const QString& symbol, std::function<void(int)> done) {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(&controller, &ConnectionController::connectFinished, this, [once, done](int result) {
            QObject::disconnect(*once);
            if (result != CQHelper::Cancelled)
                done(result);
        });
        controller.connectTo(symbol);
    };
    hooks.disconnect = [&controller] { controller.disconnectServer(); };
    hooks.launch = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    hooks.rememberQuickConnect = [this](const QString& text) {
        if (CConnectComboButton* box = m_frame.connectBox(); box && box->findText(text) < 0)
            box->addItem(text);
    };
    m_explorer->setHooks(hooks);

    m_view = new CServerView(*m_explorer);
    m_view->setMinimumSize(100, 100);
    if (QDockWidget* dock = frame.pane(CMainFrame::ServerView))
        dock->setWidget(m_view);

    // The marking and the window title follow the current server.
    auto follow = [this, &controller](const QString& server) {
        m_explorer->setCurrentServer(server);
        m_frame.setServer(server, m_explorer->title());
        controller.setWindowTitle(m_explorer->title());
    };
    connect(&controller, &ConnectionController::serverChanged, this, follow);
    connect(m_explorer, &ServerExplorer::titleChanged, this, [this, &controller](const QString& title) {
        m_frame.setServer(m_frame.serverText(), title);
        controller.setWindowTitle(title);
    });
    follow(controller.serverText());
    connect(&frame, &CMainFrame::settingsChanged, this, [this](bool serversViewChanged, bool, bool) {
        if (serversViewChanged)
            m_explorer->setShowServersAs(m_frame.qSettings().QShowServersAs);
    });
    frame.commands().addHandler(cmd::TestSubscription, this, CommandHandlers::Scope::Window, [this] { showSubscription(); });
    frame.commands().addHandler(cmd::ImportServers, this, CommandHandlers::Scope::Window, [this] { importServers(); });
    link.setQuickConnect([this](const QString& text) { quickConnect(text); });
}

CServerLink::~CServerLink() = default;

void CServerLink::quickConnect(const QString& text) { m_explorer->quickConnect(text); }

void CServerLink::importServers()
{
    const QString caption = QStringLiteral("Import Servers");
    const QString file = m_app.fileChooser().openFileName(
        caption, QStringLiteral("Server lists (*.properties *.json);;All Files (*)"));
    if (file.isEmpty())
        return;
    const ServerImport::Parsed parsed = ServerImport::read(file);
    if (!parsed.error.isEmpty()) {
        m_prompter.inform(QStringLiteral("%1 was not imported: %2.").arg(file, parsed.error), caption,
                          Prompter::Icon::Error);
        return;
    }
    const ServerImport::Outcome outcome = ServerImport::add(*m_list, parsed.servers, {});
    if (!outcome.error.isEmpty()) {
        m_prompter.inform(QStringLiteral("The server list could not be written: %1").arg(outcome.error), caption,
                          Prompter::Icon::Error);
        return;
    }
    m_prompter.inform(ServerImport::formatName(parsed.format) + QStringLiteral(": ") + outcome.summary(), caption);
}

CDlgSubscription* CServerLink::showSubscription()
{
    if (!m_subscription) {
        auto* grid = new COutputTable(COutputTable::Place::Embedded);
        grid->setObjectName(QStringLiteral("subscriptionGrid"));
        grid->setSettings(&m_frame.qSettings());
        grid->setShowGrid(true);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->horizontalHeader()->setSectionsMovable(true);
        CDlgSubscription::Grid sink;
        sink.widget = grid;
        sink.show = [grid](K value) { grid->setValue(value); };
        sink.clear = [grid] { grid->clear(); };
        // Parented to the desktop: a window of its own, owned here.
        m_subscription = std::make_unique<CDlgSubscription>(m_prompter, m_frame.qSettings(), sink);
        m_subscription->setTlsFlip([this] {
            CDlgQSettings& q = m_frame.qSettings();
            q.EnableTLS = !q.EnableTLS;
            q.save(m_app.store());
            m_frame.updateToggleActions();
        });
    }
    m_subscription->open(m_frame.serverText());
    return m_subscription.get();
}

// Puts the server list into the main window: the "Server View" pane, the
// connection dialog behind Add, Clone, Edit and quick connect, the window
// title from the current server's name path, and the subscription dialog of
// "Test Subscription...".
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class CDlgSubscription;
class CMainFrame;
class CQueryLink;
class CServerView;
class CTovoApp;
class Prompter;
class ServerExplorer;
class ServerList;

class CServerLink : public QObject {
    Q_OBJECT
public:
    CServerLink(CTovoApp& app, CMainFrame& frame, CQueryLink& link, Prompter& prompter);
    ~CServerLink() override;

    ServerList& list() { return *m_list; }
    ServerExplorer& explorer() { return *m_explorer; }
    CServerView* view() const { return m_view; }
    // "Test Subscription...": created on first use, then shown again.
    CDlgSubscription* showSubscription();
    CDlgSubscription* subscription() const { return m_subscription.get(); }
    void quickConnect(const QString& text);
    // File > Import Servers...: another tool's server list into Servers.cfg.
    void importServers();

private:
    CTovoApp& m_app;
    CMainFrame& m_frame;
    CQueryLink& m_link;
    Prompter& m_prompter;
    std::unique_ptr<ServerList> m_list;
    ServerExplorer* m_explorer;
    CServerView* m_view;
    std::unique_ptr<CDlgSubscription> m_subscription;
};

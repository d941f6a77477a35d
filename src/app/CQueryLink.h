// Joins the main window to its session: the quick-connect box and the
// connection commands to the connection controller, the source views'
// queries to the runner, and finished runs to the reply presenter.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class AuthPlugins;
class CommandHandlers;
class CMainFrame;
class CQHelper;
class CReplyPresenter;
class ConnectionController;
class CredentialCache;
class Prompter;
class QueryRunner;
class SettingsStore;

class CQueryLink : public QObject {
    Q_OBJECT
public:
    CQueryLink(CMainFrame& frame, SettingsStore& store, Prompter& prompter, const QString& homeFolder);
    ~CQueryLink() override;

    ConnectionController& controller() { return *m_controller; }
    QueryRunner& runner() { return *m_runner; }
    CQHelper& session() { return *m_session; }
    CReplyPresenter& presenter() { return *m_presenter; }

    // Runs a query from a source view (asIs: Shift held).
    void run(const QString& query, bool asIs);
    // What the quick-connect box and "Connect" while disconnected do with the
    // box's text (default: connect to it).
    AuthPlugins* plugins() const { return m_plugins.get(); }
    void setQuickConnect(std::function<void(const QString&)> quickConnect) { m_quickConnect = std::move(quickConnect); }
    // Registers the commands the session owns (Stop).
    void registerCommands(CommandHandlers& handlers);

private:
    void wireStatus();
    void wireRunState();

    CMainFrame& m_frame;
    std::unique_ptr<AuthPlugins> m_plugins;
    std::unique_ptr<CredentialCache> m_cache;
    std::unique_ptr<CQHelper> m_session;
    ConnectionController* m_controller;
    QueryRunner* m_runner;
    CReplyPresenter* m_presenter;
    std::function<void(const QString&)> m_quickConnect;
    CommandHandlers* m_handlers = nullptr;
};

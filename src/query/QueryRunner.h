// Runs the main window's queries one at a time on the session's worker
// thread, so the user interface never waits on a query. Handles the second
// Run (abort question), Stop, a lost connection (one reconnect and re-run)
// and the kill and reconnect request. Everything it shows goes out as
// signals.
#pragma once

#include "connect/ActiveQuery.h"
#include "connect/ConnectionController.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class CDlgEditorSettings;
class CDlgQSettings;
class CQHelper;
class Prompter;
class ReplyGate;

class QueryRunner : public QObject, public ActiveQuery {
    Q_OBJECT
public:
    QueryRunner(ConnectionController& controller, CDlgQSettings& q, CDlgEditorSettings& editor, Prompter& prompter,
                QObject* parent = nullptr);
    ~QueryRunner() override;

    // Run(query text, refresh-after flag, run-as-is flag). With no session,
    // a lost server is connected to again first; with none at all the run
    // ends with "Not connected: connect to a server first".
    void run(const QString& query, bool refreshAfter, bool runAsIs);
    bool isRunning() const override { return m_token != nullptr; }
    void abandon() override;
    // Stop: the running query or connect ends at once, without a question;
    // the session is opened again when the abort closed its handle.
    void stop();
    // Whether Stop has anything to stop.
    bool canStop() const;
    // Kill the worker's run and reconnect (the client library asked to end the process).
    void killAndReconnect();

    QString lastQuery() const { return m_lastQuery; }
    QString pendingQuery() const { return m_pending; }
    // Whether the run now completing should refresh watches and namespaces.
    bool refreshAfter() const { return m_refreshAfter; }

signals:
    void statusText(int pane, const QString& text, ConnectionController::Colour colour);
    // Status pane 3's progress bar; the taskbar button shows the same.
    void progress(int value, int range);
    void consoleText(const QString& text);
    void outputPaneRequested();
    // A reply to show (code 0 or -128); it is the session's last reply.
    void replyReady(int code);
    // The taskbar's error state (cleared by the frame when it is in front).
    void taskbarError();
    // A run started or ended (a reply, an abort, a lost connection).
    void runningChanged(bool running);
    // A query was asked for with no session to run it on.
    void notConnected();

private:
    struct Deferred {
        QString query;
        bool runAsIs = false;
    };
    void startRun(const QString& query, bool runAsIs);
    void endRun();
    void onRunFinished(int code, const QString& query);
    void reportConnectionError();
    void afterConnect(int result);

    ConnectionController& m_controller;
    CQHelper& m_session;
    CDlgQSettings& m_q;
    CDlgEditorSettings& m_editor;
    Prompter& m_prompter;
    std::shared_ptr<ReplyGate> m_token; // the running run's; null when idle
    std::optional<Deferred> m_deferred;   // waits for a connect to finish
    QString m_pending;
    QString m_lastQuery;
    bool m_refreshAfter = false;
};

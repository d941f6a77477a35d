// Runs the main window's queries one at a time on a worker thread, so the
// user interface never waits on a query. Handles the second Run (abort
// question), a lost connection (one reconnect and re-run) and the kill and
// reconnect request. Everything it shows goes out as signals.
#pragma once

#include "connect/ActiveQuery.h"
#include "connect/ConnectionController.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class CDlgEditorSettings;
class CDlgQSettings;
class CQHelper;
class Prompter;
class QueryWorker;
class ReplyGate;

class QueryRunner : public QObject, public ActiveQuery {
    Q_OBJECT
public:
    QueryRunner(ConnectionController& controller, CDlgQSettings& q, CDlgEditorSettings& editor, Prompter& prompter,
                QObject* parent = nullptr);
    ~QueryRunner() override;

    // Run(query text, refresh-after flag, run-as-is flag).
    void run(const QString& query, bool refreshAfter, bool runAsIs);
    bool isRunning() const override { return m_worker != nullptr; }
    void abandon() override;
    // Kill the worker and reconnect (the client library asked to end the process).
    void killAndReconnect();

    QString lastQuery() const { return m_lastQuery; }
    QString pendingQuery() const { return m_pending; }
    // Whether the run now completing should refresh watches and namespaces.
    bool refreshAfter() const { return m_refreshAfter; }
    // Worker threads still alive (running, or holding a reply that is shown).
    int liveWorkers() const;

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

private slots:
    void onRunFinished(int code, const QString& query);

private:
    void startWorker(const QString& query);
    void forgetWorker();
    void reportConnectionError();

    ConnectionController& m_controller;
    CQHelper& m_session;
    CDlgQSettings& m_q;
    CDlgEditorSettings& m_editor;
    Prompter& m_prompter;
    QueryWorker* m_worker = nullptr;
    std::shared_ptr<ReplyGate> m_gate;
    QList<QPointer<QueryWorker>> m_workers;
    QString m_pending;
    QString m_lastQuery;
    bool m_refreshAfter = false;
};

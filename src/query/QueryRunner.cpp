#include "query/QueryRunner.h"

#include "connect/CQHelper.h"
#include "connect/ReplyGate.h"
#include "connect/ReplyRegistry.h"
#include "connect/SessionWorker.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "query/QueryComposer.h"
#include "query/SessionRun.h"

#include <QPointer>

#include <climits>

using Colour = ConnectionController::Colour;

namespace {
// The code of a run that had nothing to send.
constexpr int kNothingRun = INT_MIN;
} // namespace

QueryRunner::QueryRunner(ConnectionController& controller, CDlgQSettings& q, CDlgEditorSettings& editor,
                         Prompter& prompter, QObject* parent)
    : QObject(parent), m_controller(controller), m_session(controller.session()), m_q(q), m_editor(editor),
      m_prompter(prompter)
{
    m_controller.setActiveQuery(this);
    connect(&m_controller, &ConnectionController::connectFinished, this, &QueryRunner::afterConnect);
}

QueryRunner::~QueryRunner()
{
    m_controller.setActiveQuery(nullptr);
    // Whoever listened may be gone already (the window closing).
    blockSignals(true);
    abandon();
}

void QueryRunner::run(const QString& query, bool refreshAfter, bool runAsIs)
{
    m_refreshAfter = refreshAfter;
    if (isRunning()) {
        const auto answer = m_prompter.ask(
            QStringLiteral("Another query is still running\nDo you want to abort it and run this one?\nWARNING: "
                           "Proceed at your own risk!\n(Experiences may vary widely depending on your luck and karma)"),
            QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No);
        if (answer != Prompter::Answer::Yes)
            return;
        abandon();
        m_deferred = Deferred{query, runAsIs};
        m_controller.reopen(this, [this](int result) { afterConnect(result); });
        return;
    }
    if (m_controller.isConnecting()) {
        m_deferred = Deferred{query, runAsIs}; // runs on the connection being made
        return;
    }
    if (!m_session.isOpen()) {
        const QString lost = m_controller.lostServer();
        if (lost.isEmpty()) {
            emit statusText(0, QStringLiteral("Not connected: connect to a server first"), Colour::Black);
            emit notConnected();
            return;
        }
        m_deferred = Deferred{query, runAsIs};
        m_controller.connectTo(lost); // afterConnect follows through connectFinished
        return;
    }
    startRun(query, runAsIs);
}

void QueryRunner::afterConnect(int result)
{
    if (!m_deferred)
        return;
    const Deferred deferred = *m_deferred;
    m_deferred.reset();
    if (result == CQHelper::Cancelled)
        return;
    if (!m_session.isOpen()) {
        // The connect has said why in the connection pane.
        emit statusText(0, QStringLiteral("Not connected: connect to a server first"), Colour::Black);
        emit notConnected();
        return;
    }
    startRun(deferred.query, deferred.runAsIs);
}

void QueryRunner::startRun(const QString& query, bool runAsIs)
{
    if (QueryComposer::wrapRequested(m_editor, runAsIs))
        m_session.wrapNext = true;
    emit statusText(0, QStringLiteral("Running query: %1").arg(query), Colour::Black);
    emit progress(30, 100);
    m_pending = query;
    auto token = std::make_shared<ReplyGate>();
    m_token = token;
    emit runningChanged(true);

    CQHelper* session = &m_session;
    SessionWorker* worker = &m_session.worker();
    QPointer<QueryRunner> self(this);
    worker->post(
        this,
        [session, worker, self, query, token, q = m_q, editor = m_editor]() -> int {
            if (query.isEmpty())
                return kNothingRun;
            worker->report([self, text = QStringLiteral("q) ") + query] {
                if (self)
                    emit self->consoleText(text);
            });
            return SessionRun::run(*session, query, q, editor, token);
        },
        [this, token, query](int code) {
            if (token != m_token)
                return; // an abandoned run
            onRunFinished(code, query);
        });
}

void QueryRunner::endRun()
{
    m_token.reset();
    m_pending.clear();
    emit runningChanged(false);
}

void QueryRunner::abandon()
{
    if (!m_token)
        return;
    // The gate closes with the run's stored reply (if it got that far) taken
    // back out of the session, so nothing shows or releases it again.
    const std::shared_ptr<ReplyGate> token = m_token;
    token->releaseWith([&] {
        K last = m_session.lastReply();
        if (last && ReplyRegistry::instance().contains(last)) {
            m_session.takeLastReply();
            ReplyRegistry::instance().takeBack(last);
        }
    });
    endRun();
    m_session.close(); // the worker's blocked call returns
}

bool QueryRunner::canStop() const { return isRunning() || m_controller.isConnecting(); }

void QueryRunner::stop()
{
    if (m_controller.isConnecting())
        m_controller.cancelConnect();
    if (!isRunning())
        return;
    abandon();
    emit consoleText(QStringLiteral("Stopped"));
    emit statusText(0, QStringLiteral("Stopped"), Colour::Black);
    m_controller.reopen(this, [](int) {});
}

void QueryRunner::killAndReconnect()
{
    // The run is abandoned rather than its thread terminated: a thread killed
    // inside the client library could leave its locks held.
    if (!isRunning())
        return;
    abandon();
    m_controller.reopen(this, [](int) {});
}

void QueryRunner::reportConnectionError()
{
    emit statusText(1, QStringLiteral("Connection error"), Colour::Red);
    emit taskbarError();
}

void QueryRunner::onRunFinished(int code, const QString& query)
{
    endRun();
    if (code == kNothingRun)
        return;
    m_lastQuery = query;
    emit outputPaneRequested();
    if (code >= 0 || code == SessionRun::ErrorReply) {
        m_controller.setReconnectCounter(0);
        emit replyReady(code);
        return;
    }
    emit statusText(0, QString(), Colour::Black);
    const int counter = m_controller.reconnectCounter();
    if (counter == ConnectionController::userDisconnect)
        return;
    m_session.close();
    if (counter != 0) {
        // Lost again: shown as disconnected, and the next query connects anew.
        m_controller.connectionLost();
        reportConnectionError();
        m_controller.setReconnectCounter(0);
        return;
    }
    emit consoleText(QStringLiteral("Connection handle invalid, reconnecting..."));
    const QString server = m_controller.serverText();
    m_controller.reopen(this, [this, server, counter](int result) {
        if (result == CQHelper::Cancelled)
            return;
        if (result > 0) {
            emit consoleText(QStringLiteral("Reconnected to ") + server);
            run(m_lastQuery, true, false);
            m_controller.setReconnectCounter(counter + 1);
        } else {
            emit consoleText(QStringLiteral("Failed to reconnect.\r\n"));
            // A Disconnect, keeping the server for the next query.
            m_controller.connectionLost();
            m_controller.setReconnectCounter(ConnectionController::userDisconnect);
            reportConnectionError();
            m_controller.setReconnectCounter(m_controller.reconnectCounter() + 1);
        }
    });
}

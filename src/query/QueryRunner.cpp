#include "query/QueryRunner.h"

#include "connect/CQHelper.h"
#include "connect/ReplyGate.h"
#include "connect/ReplyRegistry.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "query/QueryComposer.h"
#include "query/QueryWorker.h"

using Colour = ConnectionController::Colour;

QueryRunner::QueryRunner(ConnectionController& controller, CDlgQSettings& q, CDlgEditorSettings& editor,
                         Prompter& prompter, QObject* parent)
    : QObject(parent), m_controller(controller), m_session(controller.session()), m_q(q), m_editor(editor),
      m_prompter(prompter)
{
    m_controller.setActiveQuery(this);
}

QueryRunner::~QueryRunner()
{
    m_controller.setActiveQuery(nullptr);
    if (m_worker)
        abandon();
    // Workers holding a shown reply end once it is released.
    if (K last = m_session.lastReply(); last && ReplyRegistry::instance().contains(last)) {
        m_session.takeLastReply();
        ReplyRegistry::instance().releaseNow(last);
    }
    for (const QPointer<QueryWorker>& worker : m_workers) {
        if (worker) {
            worker->wait();
            delete worker.data();
        }
    }
}

int QueryRunner::liveWorkers() const
{
    int n = 0;
    for (const QPointer<QueryWorker>& worker : m_workers)
        n += worker && !worker->isFinished();
    return n;
}

void QueryRunner::run(const QString& query, bool refreshAfter, bool runAsIs)
{
    m_refreshAfter = refreshAfter;
    if (m_worker) {
        const auto answer = m_prompter.ask(
            QStringLiteral("Another query is still running\nDo you want to abort it and run this one?\nWARNING: "
                           "Proceed at your own risk!\n(Experiences may vary widely depending on your luck and karma)"),
            QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Warning);
        if (answer != Prompter::Answer::Yes)
            return;
        abandon();
        m_session.open(m_controller.serverText());
    }
    if (QueryComposer::wrapRequested(m_editor, runAsIs))
        m_session.wrapNext = true;
    emit statusText(0, QStringLiteral("Running query: %1").arg(query), Colour::Black);
    emit progress(30, 100);
    startWorker(query);
}

void QueryRunner::startWorker(const QString& query)
{
    m_pending = query;
    m_gate = std::make_shared<ReplyGate>();
    auto* worker = new QueryWorker(m_session, m_pending, m_q, m_editor, m_gate);
    connect(worker, &QueryWorker::echo, this, &QueryRunner::consoleText, Qt::QueuedConnection);
    connect(worker, &QueryWorker::runFinished, this, &QueryRunner::onRunFinished, Qt::QueuedConnection);
    // A worker that posts nothing (an empty query) must not stay "running".
    connect(worker, &QThread::finished, this, [this, worker] {
        if (m_worker == worker)
            forgetWorker();
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    m_workers.removeAll(nullptr);
    m_workers.append(worker);
    m_worker = worker;
    worker->start();
}

void QueryRunner::forgetWorker()
{
    if (m_worker)
        disconnect(m_worker, &QueryWorker::runFinished, this, nullptr);
    m_worker = nullptr;
}

void QueryRunner::abandon()
{
    if (!m_worker)
        return;
    // The gate opens with the run's stored reply (if it got that far) taken
    // back out of the session, so nothing shows or releases it again.
    const std::shared_ptr<ReplyGate> gate = m_gate;
    gate->releaseWith([&] {
        K last = m_session.lastReply();
        if (last && ReplyRegistry::instance().takeIfGate(last, gate.get()))
            m_session.takeLastReply();
    });
    forgetWorker();
    m_pending.clear();
    m_session.close(); // the worker's blocked call returns
}

void QueryRunner::killAndReconnect()
{
    // The worker is abandoned rather than terminated: a thread killed inside
    // the client library could leave its locks held.
    if (!m_worker)
        return;
    abandon();
    m_session.open(m_controller.serverText());
}

void QueryRunner::reportConnectionError()
{
    emit statusText(1, QStringLiteral("Connection error"), Colour::Red);
    emit taskbarError();
}

void QueryRunner::onRunFinished(int code, const QString& query)
{
    if (sender() != m_worker)
        return; // an abandoned run
    m_lastQuery = query;
    m_pending.clear();
    forgetWorker();
    emit outputPaneRequested();
    if (code >= 0 || code == -128) {
        m_controller.setReconnectCounter(0);
        emit replyReady(code);
        return;
    }
    const int counter = m_controller.reconnectCounter();
    if (counter == ConnectionController::userDisconnect)
        return;
    m_session.close();
    if (counter != 0) {
        reportConnectionError();
        m_controller.setReconnectCounter(0);
        return;
    }
    emit consoleText(QStringLiteral("Connection handle invalid, reconnecting..."));
    const QString server = m_controller.serverText();
    if (m_session.open(server) > 0) {
        emit consoleText(QStringLiteral("Reconnected to ") + server);
        run(m_lastQuery, true, false);
        m_controller.setReconnectCounter(counter + 1);
    } else {
        emit consoleText(QStringLiteral("Failed to reconnect.\r\n"));
        m_controller.disconnectServer();
        reportConnectionError();
        m_controller.setReconnectCounter(m_controller.reconnectCounter() + 1);
    }
}

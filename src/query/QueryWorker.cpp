#include "query/QueryWorker.h"

#include "connect/CQHelper.h"
#include "connect/ReplyGate.h"
#include "query/SessionRun.h"

QueryWorker::QueryWorker(CQHelper& session, QString query, const CDlgQSettings& q, const CDlgEditorSettings& editor,
                         std::shared_ptr<ReplyGate> gate, QObject* parent)
    : QThread(parent), m_session(session), m_query(std::move(query)), m_q(q), m_editor(editor),
      m_gate(std::move(gate))
{
}

void QueryWorker::run()
{
    if (!m_query.isEmpty()) {
        emit echo(QStringLiteral("q) ") + m_query);
        const int code = SessionRun::run(m_session, m_query, m_q, m_editor, m_gate);
        if (code != SessionRun::Aborted) {
            // Read before anything is posted: from then on the session is the
            // user-interface thread's.
            K reply = code == SessionRun::ConnectionLost ? nullptr : m_session.lastReply();
            emit runFinished(code, m_query);
            if (reply) {
                m_gate->wait();
                r0(reply);
            }
        }
    }
    m9();
}

#include "query/SessionRun.h"

#include "connect/CQHelper.h"
#include "connect/ProcessMemory.h"
#include "connect/ReplyGate.h"
#include "connect/ReplyRegistry.h"
#include "connect/SessionWorker.h"
#include "query/QueryComposer.h"

#include "core/values/ReplyFacts.h"

#include <QElapsedTimer>

int SessionRun::run(CQHelper& session, const QString& query, const CDlgQSettings& q, const CDlgEditorSettings& editor,
                    const std::shared_ptr<ReplyGate>& gate)
{
    session.releaseLastReply();
    session.lastReplyFacts.reset();
    const std::int64_t memoryBefore = ProcessMemory::workingSet();
    QElapsedTimer timer;
    timer.start();
    const bool async = QueryComposer::asyncMode(q);
    const bool wrap = !async && session.wrapNext.exchange(false);
    K reply = QueryComposer::send(session.handle(), QueryComposer::compose(query, wrap, q, editor));
    session.elapsedMs = timer.elapsed();
    const std::int64_t memoryAfter = ProcessMemory::workingSet();
    session.memoryGrowth = memoryBefore >= 0 && memoryAfter >= 0 ? memoryAfter - memoryBefore : 0;
    if (!reply) {
        // After an abort the handle is the user-interface thread's again (it
        // may already be a new connection): leave it alone.
        if (gate && !gate->ifOpen([&] { session.close(); }))
            return Aborted;
        if (!gate)
            session.close();
        return ConnectionLost;
    }
    const bool error = reply->t == KERR;
    // What the window needs of the reply that grows with its length is
    // found here, on the worker, and goes with it.
    std::shared_ptr<const ReplyFacts> facts = error ? nullptr : ReplyFacts::of(reply);
    if (gate) {
        // Stored under the gate's lock so that an abort either comes first
        // (the reply is dropped here) or takes the stored reply back.
        const bool stored = gate->ifOpen([&] {
            // Freed by this worker when its last holder lets go.
            ReplyRegistry::instance().insert(reply, session.worker().poster());
            session.setLastReply(reply);
            session.lastReplyFacts = std::move(facts);
        });
        if (!stored) {
            r0(reply);
            return Aborted;
        }
    } else {
        session.setLastReply(reply);
        session.lastReplyFacts = std::move(facts);
    }
    return error ? ErrorReply : Reply;
}

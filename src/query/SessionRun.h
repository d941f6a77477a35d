// The blocking part of a run: one query on a session's handle, on the
// session's worker thread (or on the caller's thread for service queries,
// without a gate).
#pragma once

#include <QString>

#include <memory>

class CDlgEditorSettings;
class CDlgQSettings;
class CQHelper;
class ReplyGate;

class SessionRun {
public:
    enum Code { Reply = 0, ErrorReply = -128, ConnectionLost = -1, Aborted = -256 };

    // Releases the session's previous reply, sends the query as composed from
    // the settings and the session's wrap flag, times it, and keeps the reply
    // as the session's last reply. With a gate (on the session's worker
    // only), the reply is registered to be freed by that worker; an abort
    // seen after the call frees the reply and gives Aborted.
    static int run(CQHelper& session, const QString& query, const CDlgQSettings& q, const CDlgEditorSettings& editor,
                   const std::shared_ptr<ReplyGate>& gate = nullptr);
};

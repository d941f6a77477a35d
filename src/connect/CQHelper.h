// A session: one connection handle to one kdb+ instance plus the last reply
// received on it. A session either owns its handle (opened it, closes it) or
// borrows another session's handle and never closes it.
#pragma once

#include "core/Prompter.h"
#include "kdb/k.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class AuthPlugins;
class ReplyFacts;
class CDlgQSettings;
class QObject;
class SessionWorker;
class CredentialCache;
class Prompter;
class SettingsStore;

// What opening a session needs from the application.
struct SessionContext {
    CDlgQSettings* q = nullptr;     // live Q settings (credentials, capability, TLS)
    SettingsStore* store = nullptr; // ConnectTimeoutSec; saving the page after a TLS flip
    Prompter* prompter = nullptr;   // null: questions are answered No and messages dropped
    AuthPlugins* plugins = nullptr;
    CredentialCache* cache = nullptr;
    // The client library's connect (khpunc unless replaced, e.g. to observe
    // the capability sent).
    std::function<int(const QByteArray& host, int port, const QByteArray& credentials, int timeoutMs,
                       int capability)>
        connectCall;
};

// Opening a session blocks (reachability check, handshake, TLS probe), so
// the user interface opens through openAsync/connectAsync: the blocking part
// runs on the session's worker thread, the questions (TLS flips) and messages
// are asked on the caller's thread after the attempt returns, and the result
// comes back through a callback. open/connect are the same steps blocking,
// for callers that are not on the window's thread (tovo-cli, tests).
class CQHelper {
public:
    // The result of an asynchronous open or connect that was cancelled: the
    // session is left as it was.
    static constexpr int Cancelled = -4;

    explicit CQHelper(SessionContext context);
    // A session around another session's handle.
    static CQHelper borrowing(int handle, SessionContext context = {});
    ~CQHelper();
    CQHelper(CQHelper&& other) noexcept;
    CQHelper(const CQHelper&) = delete;
    CQHelper& operator=(const CQHelper&) = delete;
    CQHelper& operator=(CQHelper&&) = delete;

    int handle() const { return m_handle.load(); }
    // ConnectTimeoutSec as stored (seconds; 0 waits for ever).
    int connectTimeoutSec() const;
    bool ownsHandle() const { return m_owns; }
    bool isOpen() const { return handle() > 0; }
    SessionContext& context() { return m_context; }

    // Parses the symbol, resolves credentials and connects: a handle > 0 (now
    // held), 0 credentials refused, -1 unreachable or refused, -2 time-out,
    // -3 TLS set-up failure.
    int open(const QString& symbol);
    // The connect step alone.
    int connect(const QString& host, int port, const QString& credentials);
    // The same, off the calling thread: done(result) is called on the
    // calling thread while context lives, after any question was answered.
    // One open or connect at a time per session.
    void openAsync(const QString& symbol, const QObject* context, std::function<void(int)> done);
    void connectAsync(const QString& host, int port, const QString& credentials, const QObject* context,
                      std::function<void(int)> done);
    bool isConnecting() const { return m_attempt != nullptr; }
    // The running asynchronous open gives up at once; its done gets Cancelled.
    void cancelConnect();
    // The session's worker thread (created on first use); it runs the
    // session's queries and connects in turn.
    SessionWorker& worker();
    bool hasWorker() const { return m_worker != nullptr; }

    // Closes an owned handle; the handle becomes -1 either way.
    void close();
    // Hands the handle over to the caller, who closes it; the session is left
    // without one.
    int releaseHandle() { return m_handle.exchange(-1); }

    struct Credentials {
        QString text;
        QString input;          // the resolution input
        bool resolved = false;  // false: the symbol's own credentials
        bool fromCache = false;
    };
    Credentials resolveCredentials(const QString& credentialsText);

    // The last reply; the session holds one reference, released by the
    // release rule (a worker may still own it).
    K lastReply() const { return m_lastReply; }
    void setLastReply(K value);
    void releaseLastReply();
    K takeLastReply();

    std::int64_t elapsedMs = 0;
    std::int64_t memoryGrowth = 0;
    // Found with the last reply on the worker (see ReplyFacts::isOf); null
    // when none were.
    std::shared_ptr<const ReplyFacts> lastReplyFacts;
    // One-shot: the next synchronous run goes through the wrapping lambda.
    std::atomic<bool> wrapNext{false};

private:
    struct Attempt;
    int connectOnce(const QString& host, int port, const QString& credentials);
    void startAttempt(const QString& host, int port, const QString& credentials, std::shared_ptr<Attempt> attempt);
    // Asks the TLS question for a -1 result; true when the attempt is to be
    // repeated with EnableTLS flipped (and saved).
    bool flipTls();
    void showTlsFailure();
    bool askYes(const QString& text, Prompter::Answer defaultButton);

    SessionContext m_context;
    std::atomic<int> m_handle{-1};
    bool m_owns = true;
    K m_lastReply = nullptr;
    std::shared_ptr<Attempt> m_attempt;
    std::unique_ptr<SessionWorker> m_worker;
};

#include "connect/CQHelper.h"

#include "connect/AuthPlugins.h"
#include "connect/ConnectionSymbol.h"
#include "connect/CredentialCache.h"
#include "connect/ReplyRegistry.h"
#include "connect/SessionAttempt.h"
#include "connect/SessionWorker.h"
#include "connect/TcpProbe.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/values/KRender.h"

#include <QPointer>

#include <algorithm>
#include <utility>

namespace {
// One connect attempt as the worker thread makes it: everything it needs is
// copied, so it touches nothing of the window's thread.
struct Dial {
    QString where;
    int port = 0;
    QByteArray credentials;
    int timeoutSec = 0;
    int capability = 0;
    std::function<int(const QByteArray&, int, const QByteArray&, int, int)> call;

    // The result, and whether the plain TCP check reached the port (when it
    // did not, the library is not called and no TLS question follows).
    std::pair<int, bool> run() const
    {
        if (!TcpProbe::reachable(where, port, timeoutSec > 0 ? timeoutSec * 1000 : 30000))
            return {-1, false};
        const QByteArray host = where.toLocal8Bit();
        const int result = call ? call(host, port, credentials, timeoutSec * 1000, capability)
                                : khpunc(host.constData(), port, credentials.constData(), timeoutSec * 1000, capability);
        return {result, true};
    }
};

int connectTimeoutOf(const SessionContext& context)
{
    return std::clamp(context.store ? context.store->readInt(QString::fromLatin1(kept::ConnectTimeoutSec.name),
                                                             kept::ConnectTimeoutSec.def)
                                    : kept::ConnectTimeoutSec.def,
                      0, 86400);
}

Dial makeDial(const SessionContext& context, const QString& host, int port, const QString& credentials)
{
    Dial d;
    d.timeoutSec = connectTimeoutOf(context);
    d.where = host.isEmpty() ? QStringLiteral("localhost") : host;
    d.port = port;
    d.credentials = credentials.toLocal8Bit();
    const CDlgQSettings defaults;
    const CDlgQSettings& q = context.q ? *context.q : defaults;
    d.capability = (q.UseCapability ? 1 : 0) | (q.EnableTLS ? 2 : 0);
    d.call = context.connectCall;
    return d;
}
} // namespace

struct CQHelper::Attempt {
    QPointer<const QObject> context;
    std::function<void(int)> done;
    bool cancelled = false;
    SessionWorker::CancelFlag task; // the connect on the worker, while it is queued or runs
};

CQHelper::CQHelper(SessionContext context) : m_context(std::move(context)) {}

int CQHelper::connectTimeoutSec() const { return connectTimeoutOf(m_context); }

CQHelper CQHelper::borrowing(int handle, SessionContext context)
{
    CQHelper session(std::move(context));
    session.m_handle = handle;
    session.m_owns = false;
    return session;
}

// A session is moved only before it has a worker: the worker's tasks refer
// to the session where it is.
CQHelper::CQHelper(CQHelper&& other) noexcept
    : elapsedMs(other.elapsedMs), memoryGrowth(other.memoryGrowth), wrapNext(other.wrapNext.load()),
      m_context(std::move(other.m_context)), m_handle(other.m_handle.exchange(-1)), m_owns(other.m_owns),
      m_lastReply(std::exchange(other.m_lastReply, nullptr))
{
    Q_ASSERT(!other.m_worker);
}

CQHelper::~CQHelper()
{
    if (m_attempt)
        m_attempt->cancelled = true;
    releaseLastReply();
    close(); // wakes a query blocked on the handle
    m_worker.reset(); // cancels a connect in progress and joins
}

SessionWorker& CQHelper::worker()
{
    if (!m_worker)
        m_worker = std::make_unique<SessionWorker>();
    return *m_worker;
}

void CQHelper::close()
{
    const int h = m_handle.exchange(-1);
    if (h > 0 && m_owns)
        kclose(h);
}

void CQHelper::setLastReply(K value)
{
    releaseLastReply();
    m_lastReply = value;
}

void CQHelper::releaseLastReply() { ReplyRegistry::release(std::exchange(m_lastReply, nullptr)); }

K CQHelper::takeLastReply() { return std::exchange(m_lastReply, nullptr); }

bool CQHelper::askYes(const QString& text, Prompter::Answer defaultButton)
{
    return m_context.prompter
        && m_context.prompter->ask(text, QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                                   defaultButton)
        == Prompter::Answer::Yes;
}

CQHelper::Credentials CQHelper::resolveCredentials(const QString& credentialsText)
{
    Credentials out;
    if (!credentialsText.isEmpty() && !credentialsText.startsWith(u':')) {
        out.text = credentialsText;
        return out;
    }
    out.resolved = true;
    QString input = credentialsText;
    while (input.startsWith(u':'))
        input.remove(0, 1);
    const CDlgQSettings defaults;
    const CDlgQSettings& q = m_context.q ? *m_context.q : defaults;
    const qsizetype mark = input.indexOf(u'?');
    const QString method = mark >= 0 ? input.left(mark) : q.AuthMethod;
    if (input.isEmpty())
        input = q.DefUser.isEmpty() ? q.DefPass : q.DefUser + u':' + q.DefPass;
    out.input = input;
    if (!input.isEmpty() && m_context.cache) {
        if (auto cached = m_context.cache->take(input)) {
            out.text = *cached;
            out.fromCache = true;
            return out;
        }
    }
    if (m_context.plugins && m_context.plugins->contains(method)) {
        const AuthPlugins::Reply reply = m_context.plugins->credentials(method, input);
        if (!reply.error.isEmpty() && m_context.prompter)
            m_context.prompter->inform(reply.error, QStringLiteral("Tovo"), Prompter::Icon::Warning);
        out.text = reply.credentials;
        return out;
    }
    if (!q.DefUser.isEmpty())
        out.text = q.DefPass.isEmpty() ? q.DefUser : q.DefUser + u':' + q.DefPass;
    return out;
}

int CQHelper::open(const QString& symbol)
{
    const ConnectionTarget target = ConnectionSymbol::parse(symbol);
    const Credentials credentials = resolveCredentials(target.credentials);
    const int result = connect(target.host, target.port, credentials.text);
    if (credentials.resolved && !credentials.input.isEmpty() && credentials.text != credentials.input) {
        if (result == 0 && credentials.fromCache)
            return open(symbol); // the cache entry is gone: the plug-in is asked afresh
        if (result != 0 && m_context.cache)
            m_context.cache->store(credentials.input, credentials.text);
    }
    return result;
}

int CQHelper::connect(const QString& host, int port, const QString& credentials)
{
    const int result = connectOnce(host, port, credentials);
    if (result > 0) {
        close();
        m_handle = result;
        m_owns = true;
    }
    return result;
}

int CQHelper::connectOnce(const QString& host, int port, const QString& credentials)
{
    const auto [result, reached] = makeDial(m_context, host, port, credentials).run();
    if (!reached)
        return -1;
    if (result == -1) {
        if (!flipTls())
            return -1;
        return connectOnce(host, port, credentials);
    }
    if (result == -3)
        showTlsFailure();
    return result;
}

bool CQHelper::flipTls()
{
    CDlgQSettings defaults;
    CDlgQSettings& q = m_context.q ? *m_context.q : defaults;
    const QString question = q.EnableTLS
        ? QStringLiteral("This instance is not supporting TLS, do you want to turn off TLS and try re-connecting?")
        : QStringLiteral("This instance only supports TLS connections, do you want to turn on TLS and try "
                         "re-connecting?");
    if (!askYes(question, SessionAttempt::tlsDefault(q.EnableTLS)))
        return false;
    q.EnableTLS = !q.EnableTLS;
    if (m_context.store && m_context.q)
        q.save(*m_context.store);
    return true;
}

void CQHelper::openAsync(const QString& symbol, const QObject* context, std::function<void(int)> done)
{
    const ConnectionTarget target = ConnectionSymbol::parse(symbol);
    const Credentials credentials = resolveCredentials(target.credentials);
    QPointer<const QObject> guard(context);
    connectAsync(target.host, target.port, credentials.text, context,
                 [this, symbol, credentials, guard, done = std::move(done)](int result) {
                     if (result != Cancelled && credentials.resolved && !credentials.input.isEmpty()
                         && credentials.text != credentials.input) {
                         if (result == 0 && credentials.fromCache) {
                             openAsync(symbol, guard.data(), done); // the plug-in is asked afresh
                             return;
                         }
                         if (result != 0 && m_context.cache)
                             m_context.cache->store(credentials.input, credentials.text);
                     }
                     done(result);
                 });
}

void CQHelper::connectAsync(const QString& host, int port, const QString& credentials, const QObject* context,
                            std::function<void(int)> done)
{
    if (m_attempt)
        cancelConnect();
    auto attempt = std::make_shared<Attempt>();
    attempt->context = context;
    attempt->done = std::move(done);
    m_attempt = attempt;
    startAttempt(host, port, credentials, attempt);
}

void CQHelper::startAttempt(const QString& host, int port, const QString& credentials,
                            std::shared_ptr<Attempt> attempt)
{
    const Dial dial = makeDial(m_context, host, port, credentials);
    SessionWorker& w = worker();
    attempt->task = w.post(&w, [dial] { return dial.run(); },
           [this, host, port, credentials, attempt](std::pair<int, bool> out) {
               const int result = out.first;
               if (attempt->cancelled) {
                   if (result > 0)
                       kclose(result); // nobody wants it any more
                   return;
               }
               auto finish = [this, attempt](int code) {
                   if (m_attempt == attempt)
                       m_attempt.reset();
                   if (attempt->context)
                       attempt->done(code);
               };
               if (!out.second) {
                   finish(-1);
                   return;
               }
               if (result == -1) {
                   if (flipTls() && !attempt->cancelled)
                       startAttempt(host, port, credentials, attempt);
                   else if (!attempt->cancelled)
                       finish(-1);
                   return;
               }
               if (result == -3)
                   showTlsFailure();
               if (result > 0) {
                   // The old handle is closed on the worker, after whatever
                   // task is using it now (a namespace load, say): closing it
                   // here could pull it from under that task.
                   const int old = m_handle.exchange(result);
                   if (old > 0 && m_owns)
                       worker().post([old] { kclose(old); });
                   m_owns = true;
               }
               finish(result);
           });
}

void CQHelper::cancelConnect()
{
    const std::shared_ptr<Attempt> attempt = std::exchange(m_attempt, nullptr);
    if (!attempt)
        return;
    attempt->cancelled = true;
    // Only the connect gives up: a namespace load or query ahead of it in
    // the worker's queue carries on.
    if (attempt->task)
        attempt->task->store(true);
    if (attempt->context)
        attempt->done(Cancelled);
}

void CQHelper::showTlsFailure()
{
    K info = ee(sslInfo(nullptr));
    if (m_context.prompter) {
        const RenderOptions options = m_context.q ? RenderOptions::from(*m_context.q) : RenderOptions{};
        m_context.prompter->inform(renderConsole(info, options), QStringLiteral("Tovo"), Prompter::Icon::Warning);
        info = ee(info);
        m_context.prompter->inform(renderConsole(info, options), QStringLiteral("Tovo"), Prompter::Icon::Warning);
    }
    r0(info);
}

#include "connect/CQHelper.h"

#include "connect/AuthPlugins.h"
#include "connect/ConnectionSymbol.h"
#include "connect/CredentialCache.h"
#include "connect/ReplyRegistry.h"
#include "connect/TcpProbe.h"
#include "core/Prompter.h"
#include "core/settings/CDlgQSettings.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"
#include "core/values/KRender.h"

#include <algorithm>

CQHelper::CQHelper(SessionContext context) : m_context(std::move(context)) {}

CQHelper CQHelper::borrowing(int handle, SessionContext context)
{
    CQHelper session(std::move(context));
    session.m_handle = handle;
    session.m_owns = false;
    return session;
}

CQHelper::CQHelper(CQHelper&& other) noexcept
    : elapsedMs(other.elapsedMs), memoryGrowth(other.memoryGrowth), wrapNext(other.wrapNext.load()),
      m_context(std::move(other.m_context)), m_handle(other.m_handle.exchange(-1)), m_owns(other.m_owns),
      m_lastReply(std::exchange(other.m_lastReply, nullptr))
{
}

CQHelper::~CQHelper()
{
    releaseLastReply();
    close();
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

bool CQHelper::askYes(const QString& text)
{
    return m_context.prompter
        && m_context.prompter->ask(text, QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Warning)
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
    const int timeoutSec =
        std::clamp(m_context.store ? m_context.store->readInt(QString::fromLatin1(kept::ConnectTimeoutSec.name),
                                                              kept::ConnectTimeoutSec.def)
                                   : kept::ConnectTimeoutSec.def,
                   0, 86400);
    const QString where = host.isEmpty() ? QStringLiteral("localhost") : host;
    if (!TcpProbe::reachable(where, port, timeoutSec > 0 ? timeoutSec * 1000 : 30000))
        return -1;
    CDlgQSettings defaults;
    CDlgQSettings& q = m_context.q ? *m_context.q : defaults;
    const int capability = (q.UseCapability ? 1 : 0) | (q.EnableTLS ? 2 : 0);
    const QByteArray hostBytes = where.toLocal8Bit();
    const QByteArray credentialBytes = credentials.toLocal8Bit();
    const int result = m_context.connectCall
        ? m_context.connectCall(hostBytes, port, credentialBytes, timeoutSec * 1000, capability)
        : khpunc(hostBytes.constData(), port, credentialBytes.constData(), timeoutSec * 1000, capability);
    if (result == -1) {
        const QString question = q.EnableTLS
            ? QStringLiteral("This instance is not supporting TLS, do you want to turn off TLS and try re-connecting?")
            : QStringLiteral("This instance only supports TLS connections, do you want to turn on TLS and try "
                             "re-connecting?");
        if (!askYes(question))
            return -1;
        q.EnableTLS = !q.EnableTLS;
        if (m_context.store && m_context.q)
            q.save(*m_context.store);
        return connectOnce(host, port, credentials);
    }
    if (result == -3)
        showTlsFailure();
    return result;
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

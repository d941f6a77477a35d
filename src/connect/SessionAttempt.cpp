#include "connect/SessionAttempt.h"

#include "connect/CQHelper.h"
#include "core/values/KRender.h"

SessionAttempt::Outcome SessionAttempt::run(const Request& request)
{
    Outcome out;
    CDlgQSettings q = request.q;
    SessionContext context;
    context.q = &q;
    context.plugins = request.plugins;
    const int timeoutMs = request.timeoutSec * 1000;
    context.connectCall = [&out, timeoutMs](const QByteArray& host, int port, const QByteArray& credentials, int,
                                            int capability) {
        out.libraryCalled = true;
        const int result = khpunc(host.constData(), port, credentials.constData(), timeoutMs, capability);
        if (result <= 0) {
            K error = ee(nullptr);
            out.error = QString::fromUtf8(error->s);
            r0(error);
        }
        return result;
    };
    CQHelper session(context); // no prompter: a TLS question is answered No here
    out.result = request.symbol.isEmpty() ? session.connect(request.host, request.port, request.credentials)
                                          : session.open(request.symbol);
    if (out.result == -3) {
        const RenderOptions options = RenderOptions::from(q);
        K info = ee(sslInfo(nullptr));
        out.tlsTexts << renderConsole(info, options);
        info = ee(info);
        out.tlsTexts << renderConsole(info, options);
        r0(info);
    }
    if (out.result > 0 && !request.query.isEmpty())
        out.reply = KPtr(k(session.handle(), request.query.toUtf8().constData(), static_cast<K>(nullptr)));
    if (out.result > 0 && request.keepHandle && out.reply)
        out.handle = KHandle(session.releaseHandle());
    return out;
}

Prompter::Answer SessionAttempt::tlsDefault(bool tlsEnabled)
{
    return tlsEnabled ? Prompter::Answer::No : Prompter::Answer::Yes;
}

QString SessionAttempt::tlsQuestion(bool tlsEnabled)
{
    return tlsEnabled
        ? QStringLiteral("This instance is not supporting TLS, do you want to turn off TLS and try re-connecting?")
        : QStringLiteral("This instance only supports TLS connections, do you want to turn on TLS and try re-connecting?");
}

#include "results/ResultSender.h"

#include "connect/SessionWorker.h"

ResultSender::ResultSender(const SessionContext& context, const QString& name, K value, QObject* parent)
    : QObject(parent)
    , m_session(std::make_unique<CQHelper>(context))
    , m_name(name)
    , m_value(r1(value))
{
}

ResultSender* ResultSender::send(const SessionContext& context, const QString& server, const QString& name, K value,
                                 QObject* parent)
{
    auto* sender = new ResultSender(context, name, value, parent);
    sender->m_session->openAsync(server, sender, [sender](int handle) { sender->opened(handle); });
    return sender;
}

void ResultSender::opened(int handle)
{
    if (handle <= 0) {
        done(false);
        return;
    }
    const QByteArray name = m_name.toUtf8();
    KPtr value = m_value;
    m_session->worker().post(
        this,
        [handle, name, value] {
            K reply = k(handle, kSetFunction, kp(name.constData()), r1(value.get()), static_cast<K>(nullptr));
            const bool sent = reply && reply->t != KERR;
            if (reply)
                r0(reply);
            return sent;
        },
        [this](bool sent) { done(sent); });
}

void ResultSender::done(bool sent)
{
    m_session->close();
    emit finished(sent);
    deleteLater();
}

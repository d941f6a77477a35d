#include "ServedClient.h"

#include "InstanceNamespaces.h"

#include "ValueNotation.h"

#include "kdb/MessageCodec.h"
#include "kdb/MessageHeader.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr int kHandshakeMs = 10000;
constexpr std::size_t kMaxCredentials = 4096;

// The query text of a message: a char vector, a symbol, or the first item of
// a general list when that is one of those.
QString queryText(K x)
{
    if (!x)
        return QString();
    if (x->t == KC)
        return QString::fromUtf8(kC(x), static_cast<int>(x->n));
    if (x->t == -KS)
        return QString::fromUtf8(x->s);
    if (x->t == 0 && x->n > 0)
        return queryText(kK(x)[0]);
    return QString();
}

} // namespace

ServedClient::ServedClient(TestInstance::Private* owner, kdb::Socket socket)
    : m_owner(owner), m_stream(std::move(socket))
{
    m_loopback = m_stream.socket().isLoopbackPeer();
}

ServedClient::~ServedClient()
{
    close();
    join();
}

void ServedClient::start() { m_thread = std::thread([this] { serve(); }); }

void ServedClient::close()
{
    if (m_open.exchange(false))
        m_stream.shutdown();
}

void ServedClient::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool ServedClient::pause(int ms) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (ms < 0 || std::chrono::steady_clock::now() < until) {
        if (m_owner->stopping || !m_open)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool ServedClient::handshake()
{
    const kdb::Deadline deadline = kdb::Deadline::afterMs(kHandshakeMs);
    if (m_owner->certificate) {
        std::string error;
        auto tls = kdb::TlsSession::accept(m_owner->certificate->serverContext(), m_stream.socket(), deadline, error);
        if (!tls)
            return false;
        m_stream.setTls(std::move(tls));
    }
    QByteArray hello;
    for (;;) {
        char c = 0;
        if (m_stream.readExact(&c, 1, deadline) != kdb::Stream::Read::Ok)
            return false;
        if (c == '\0')
            break;
        hello.append(c);
        if (static_cast<std::size_t>(hello.size()) > kMaxCredentials)
            return false;
    }
    ReceivedHandshake record;
    record.tlsHello = !m_stream.isTls() && hello.startsWith("\x16\x03");
    // The last byte before the zero is the capability (clients before kdb+ 2.6 send none).
    if (!hello.isEmpty() && static_cast<unsigned char>(hello.back()) < ' ') {
        record.capability = static_cast<unsigned char>(hello.back());
        hello.chop(1);
    }
    record.credentials = hello;
    int answer = 0;
    bool silent = false;
    {
        std::lock_guard lock(m_owner->mutex);
        record.accepted = m_owner->credentials.isEmpty() || m_owner->credentials.contains(hello);
        answer = m_owner->forcedAnswer >= 0 ? m_owner->forcedAnswer : std::min(record.capability, m_owner->maxCapability);
        silent = m_owner->silent;
    }
    m_owner->recordHandshake(record);
    if (!record.accepted)
        return false;
    if (silent) {
        char sink[256];
        while (m_stream.readSome(sink, sizeof sink) > 0) {
        }
        return false;
    }
    const unsigned char byte = static_cast<unsigned char>(answer);
    if (!m_stream.writeAll(&byte, 1))
        return false;
    m_capability = std::min(record.capability, answer);
    m_ready = true;
    return true;
}

void ServedClient::serve()
{
    if (handshake()) {
        while (m_open && !m_owner->stopping) {
            kdb::MessageHeader header;
            std::vector<char> bytes;
            if (m_stream.readMessage(m_capability, header, bytes) != kdb::Stream::Read::Ok)
                break;
            ReceivedMessage message;
            message.type = header.type;
            message.bytes = QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
            message.value = KPtr(kdb::MessageCodec::decode(bytes.data(), bytes.size()));
            message.text = queryText(message.value.get());
            message.rendered = ValueNotation::format(message.value.get());
            m_owner->record(message);
            answer(message);
        }
    }
    m_ready = false;
    close();
}

void ServedClient::answer(const ReceivedMessage& message)
{
    std::shared_ptr<InstanceRule> rule = m_owner->findRule(message.text, message.rendered);
    bool compressAll = false;
    QString defaultError;
    {
        std::lock_guard lock(m_owner->mutex);
        compressAll = m_owner->compressAll;
        defaultError = m_owner->defaultError;
    }
    if (rule && rule->neverAnswer) {
        pause(-1);
        return;
    }
    if (rule && rule->delayMs > 0 && !pause(rule->delayMs))
        return;
    const bool answers = rule && (rule->compute || rule->reply || rule->hasError || !rule->raw.isEmpty());
    if (rule && rule->dropConnection && !answers) {
        close();
        return;
    }
    if (message.type == kdb::MsgSync) {
        bool sent = false;
        KPtr computed = rule && rule->compute ? rule->compute(message.text) : KPtr();
        // Like any kdb+ instance, one without a namespace model still answers
        // the explorer's service queries: with its empty namespaces.
        if (!rule && InstanceNamespaces::queryNumber(message.text)) {
            static const InstanceNamespaces empty;
            computed = empty.answer(message.text);
            if (computed) {
                sent = sendValue(computed.get(), kdb::MsgResponse, compressAll);
                return;
            }
        }
        // An unscripted function name evaluates to the model's lambda, as in q.
        if (!rule) {
            std::shared_ptr<InstanceNamespaces> model;
            {
                std::lock_guard lock(m_owner->mutex);
                model = m_owner->namespaces;
            }
            if (model && (computed = model->sourceAnswer(message.text))) {
                sendValue(computed.get(), kdb::MsgResponse, compressAll);
                return;
            }
        }
        if (!rule || (rule->compute && !computed)) {
            KPtr error(krr(defaultError.toUtf8().constData()));
            sent = sendValue(error.get(), kdb::MsgResponse, false);
        } else if (computed) {
            sent = sendValue(computed.get(), kdb::MsgResponse, compressAll || rule->compress);
        } else if (rule->reply) {
            sent = sendValue(rule->reply.get(), kdb::MsgResponse, compressAll || rule->compress);
        } else if (rule->hasError) {
            KPtr error(krr(rule->error.toUtf8().constData()));
            sent = sendValue(error.get(), kdb::MsgResponse, false);
        } else if (!rule->raw.isEmpty()) {
            sent = sendBytes(std::vector<char>(rule->raw.begin(), rule->raw.end()));
        } else {
            KPtr null(ka(KUNARY));
            sent = sendValue(null.get(), kdb::MsgResponse, false);
        }
        // Reported once the reply is due, also when the client was gone by then.
        if (rule && rule->delayMs > 0)
            m_owner->report([text = message.text](InstanceEvents* e) { emit e->delayedReplyWritten(text); });
        if (!sent)
            return;
    }
    if (rule)
        for (const KPtr& update : rule->publish)
            if (!sendValue(update.get(), kdb::MsgAsync, compressAll || rule->compress))
                return;
    if (rule && rule->streams)
        stream(rule->stream);
    if (rule && rule->dropConnection)
        close();
}

void ServedClient::stream(const UpdateStream& updates)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (long long sent = 0; updates.count < 0 || sent < updates.count; ++sent) {
        if (!m_open || m_owner->stopping)
            return;
        if (updates.perSecond > 0) {
            // Update number sent is due at start + sent / perSecond seconds.
            const Clock::time_point due = start + std::chrono::microseconds(sent * 1000000 / updates.perSecond);
            while (Clock::now() < due) {
                if (!m_open || m_owner->stopping)
                    return;
                std::this_thread::sleep_for(std::min<Clock::duration>(due - Clock::now(), std::chrono::milliseconds(5)));
            }
        }
        KPtr update = UpdateStream::update(updates.table, sent, updates.rows);
        if (!sendValue(update.get(), kdb::MsgAsync, false))
            return;
    }
}

bool ServedClient::sendValue(K value, int type, bool compress)
{
    std::vector<char> bytes;
    std::string error;
    if (!kdb::MessageCodec::encode(value, type, m_capability, true, bytes, error))
        return false;
    if (compress) {
        std::vector<char> packed;
        if (kdb::MessageCodec::compress(bytes, packed))
            bytes.swap(packed);
    }
    return sendBytes(bytes);
}

bool ServedClient::sendBytes(const std::vector<char>& bytes)
{
    std::lock_guard lock(m_writeMutex);
    if (!m_open)
        return false;
    return m_stream.writeAll(bytes.data(), bytes.size());
}

bool ServedClient::publish(K message)
{
    if (!m_ready || !m_open)
        return false;
    return sendValue(message, kdb::MsgAsync, false);
}

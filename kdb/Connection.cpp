#include "kdb/Connection.h"

#include "kdb/Deserializer.h"
#include "kdb/KPtr.h"
#include "kdb/MessageCodec.h"
#include "kdb/TlsClientContext.h"
#include "kdb/TlsProbe.h"
#include "kdb/kerror.h"

#include <algorithm>
#include <vector>

namespace kdb {

namespace {

// The rest of the message being received, for the streaming decoder.
class StreamSource : public Deserializer::Source {
public:
    explicit StreamSource(Stream& stream) : m_stream(stream) {}
    bool read(void* data, std::size_t size) override { return m_stream.readExact(data, size) == Stream::Read::Ok; }
    std::string error() const override { return m_stream.error(); }

private:
    Stream& m_stream;
};

bool isAddress(const std::string& host)
{
    // Host names get SNI; numeric addresses must not.
    return host.find_first_not_of("0123456789.") == std::string::npos || host.find(':') != std::string::npos;
}

// A login shorter than a TLS record header leaves a TLS-only server waiting
// for more bytes; after this long without an answer we ask whether it is one.
constexpr int kProbeAfterMs = 500;
// Below this much time left a probe cannot tell anything.
constexpr int kMinProbeMs = 50;

// The deadline of a probe: the connect's own, but never unbounded.
Deadline probeDeadline(Deadline deadline)
{
    constexpr int kProbeMs = 5000;
    const int left = deadline.remainingMs();
    return Deadline::afterMs(left < 0 ? kProbeMs : std::min(left, kProbeMs));
}

bool tlsOnly(const std::string& host, int port, Deadline deadline)
{
    if (!TlsProbe::speaksTls(host, port, probeDeadline(deadline)))
        return false;
    setLastError("the instance only accepts TLS connections");
    return true;
}

} // namespace

int Connection::open(const std::string& hostIn, int port, const std::string& credentials, int timeoutMs,
                     int capability, std::shared_ptr<Connection>& out)
{
    out.reset();
    const std::string host = hostIn.empty() ? std::string("localhost") : hostIn;
    const Deadline deadline = timeoutMs > 0 ? Deadline::afterMs(timeoutMs) : Deadline();

    std::shared_ptr<SSL_CTX> tlsContext;
    if (capability & WantTls) {
        std::string error;
        tlsContext = TlsClientContext::get(error);
        if (!tlsContext) {
            setLastError(error);
            return TlsFailed;
        }
    }

    Socket socket;
    switch (socket.connect(host, port, deadline)) {
    case Socket::Connect::Ok: break;
    case Socket::Connect::TimedOut: setLastError("timeout"); return TimedOut;
    case Socket::Connect::Refused: setLastError(socket.error()); return Refused;
    }
    Stream stream(std::move(socket));

    if (tlsContext) {
        std::string error;
        const bool verify = TlsClientContext::settings().verifyServer;
        TlsSession::Failure failure = TlsSession::Failure::Tls;
        auto tls = TlsSession::connect(tlsContext.get(), stream.socket(), isAddress(host) ? std::string() : host,
                                       verify ? host : std::string(), deadline, error, &failure);
        if (!tls) {
            setLastError(error);
            if (failure == TlsSession::Failure::NotTls)
                return Refused;
            return failure == TlsSession::Failure::TimedOut || deadline.expired() ? TimedOut : TlsFailed;
        }
        stream.setTls(std::move(tls));
    }

    const unsigned char wanted = (capability & WantLarge) ? CapLarge : CapGuid;
    std::string hello = credentials;
    hello.push_back(static_cast<char>(wanted));
    hello.push_back('\0');
    if (!stream.writeAll(hello.data(), hello.size())) {
        setLastError(stream.error());
        return Refused;
    }
    unsigned char answer = 0;
    Stream::Read read = Stream::Read::TimedOut;
    const int left = deadline.remainingMs();
    if (!tlsContext && hello.size() < TlsSession::kRecordHeaderSize && (left < 0 || left >= 2 * kMinProbeMs)) {
        const int firstWait = left < 0 ? kProbeAfterMs : std::min(kProbeAfterMs, left / 2);
        read = stream.readExact(&answer, 1, Deadline::afterMs(firstWait));
        if (read == Stream::Read::TimedOut) {
            if (tlsOnly(host, port, deadline))
                return Refused;
            read = stream.readExact(&answer, 1, deadline);
        }
    } else {
        read = stream.readExact(&answer, 1, deadline);
    }
    if (read != Stream::Read::Ok && CancelScope::cancelled()) {
        setLastError("cancelled");
        return TimedOut;
    }
    switch (read) {
    case Stream::Read::Ok: break;
    case Stream::Read::TimedOut: setLastError("timeout"); return TimedOut;
    case Stream::Read::Closed:
    case Stream::Read::Failed:
    case Stream::Read::BadHeader:
        // A server closes at once (a reset counts too) both on wrong
        // credentials and, when it only accepts TLS, on a plain login.
        if (!tlsContext && !deadline.expired() && tlsOnly(host, port, deadline))
            return Refused;
        setLastError("access");
        return AccessDenied;
    }
    if (answer > wanted) {
        // Not a kdb+ answer: e.g. a TLS alert from a server that expects TLS.
        setLastError("unexpected handshake answer " + std::to_string(answer));
        return Refused;
    }
    out = std::make_shared<Connection>(std::move(stream), answer);
    return Opened;
}

Connection::Connection(Stream stream, int capability)
    : m_stream(std::move(stream)), m_capability(capability), m_loopback(m_stream.socket().isLoopbackPeer())
{
}

void Connection::fail(const std::string& why)
{
    setLastError(why);
    if (!m_broken.exchange(true))
        m_stream.shutdown();
}

Connection::Sent Connection::send(K x, int type)
{
    if (m_broken) {
        setLastError("connection closed");
        return Sent::Broken;
    }
    std::vector<char> bytes;
    std::string error;
    if (!MessageCodec::encode(x, type, m_capability, m_loopback, bytes, error)) {
        setLastError(error);
        return Sent::NotEncoded;
    }
    std::lock_guard lock(m_writeMutex);
    if (!m_stream.writeAll(bytes.data(), bytes.size())) {
        fail(m_stream.error());
        return Sent::Broken;
    }
    return Sent::Ok;
}

K Connection::receive(int* type)
{
    if (m_broken) {
        setLastError("connection closed");
        return nullptr;
    }
    MessageHeader header;
    char head[MessageHeader::kSize];
    if (m_stream.readHeader(m_capability, header, head) != Stream::Read::Ok) {
        fail(m_stream.error());
        return nullptr;
    }
    *type = header.type;
    if (header.compressed) {
        // A compressed frame is expanded whole.
        std::vector<char> bytes;
        if (m_stream.readBody(header, head, bytes) != Stream::Read::Ok) {
            fail(m_stream.error());
            return nullptr;
        }
        return MessageCodec::decode(bytes.data(), bytes.size());
    }
    // A plain message is decoded as it arrives: big vectors are read straight
    // into their K vectors and the whole message is never held twice.
    StreamSource source(m_stream);
    std::string error;
    bool lost = false;
    K x = Deserializer::decodeStreamed(source, header, error, lost);
    if (lost) {
        fail(error);
        return nullptr;
    }
    return x ? x : krr(error.c_str());
}

K Connection::sync(K x)
{
    std::lock_guard lock(m_readMutex);
    switch (send(x, MsgSync)) {
    case Sent::Ok: break;
    case Sent::NotEncoded: return krr(lastError().c_str());
    case Sent::Broken: return nullptr;
    }
    for (;;) {
        int type = MsgAsync;
        K reply = receive(&type);
        if (!reply || type == MsgResponse)
            return reply;
        r0(reply);
    }
}

K Connection::async(K x)
{
    switch (send(x, MsgAsync)) {
    case Sent::Ok: return ka(KUNARY); // the generic null (::)
    case Sent::NotEncoded: return krr(lastError().c_str());
    case Sent::Broken: break;
    }
    return nullptr;
}

K Connection::next()
{
    std::lock_guard lock(m_readMutex);
    int type = MsgAsync;
    return receive(&type);
}

void Connection::shutdown()
{
    m_broken = true;
    m_stream.shutdown();
}

} // namespace kdb

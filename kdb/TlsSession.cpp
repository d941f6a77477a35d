#include "kdb/TlsSession.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace kdb {

namespace {

// A BIO over our Socket, so that writes never raise SIGPIPE and partial or
// interrupted transfers follow the Socket's rules. It also notes what the peer
// sent first, which tells a server that is not speaking TLS from a failed TLS
// handshake.
int bioWrite(BIO* bio, const char* data, int size)
{
    auto* peer = static_cast<TlsSession::Peer*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    long long n = peer->socket->send(data, static_cast<std::size_t>(size));
    if (n == -2) {
        BIO_set_retry_write(bio);
        return -1;
    }
    if (n < 0) {
        peer->gone = true;
        return -1;
    }
    return static_cast<int>(n);
}

int bioRead(BIO* bio, char* data, int size)
{
    auto* peer = static_cast<TlsSession::Peer*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    long long n = peer->socket->recv(data, static_cast<std::size_t>(size));
    if (n == -2) {
        BIO_set_retry_read(bio);
        return -1;
    }
    if (n <= 0) {
        peer->gone = true;
        return n < 0 ? -1 : 0;
    }
    if (peer->headSeen < TlsSession::kRecordHeaderSize) {
        const std::size_t take = std::min(static_cast<std::size_t>(n), TlsSession::kRecordHeaderSize - peer->headSeen);
        std::memcpy(peer->head + peer->headSeen, data, take);
        peer->headSeen += take;
        // A plain kdb+ server answers a ClientHello with a capability byte and
        // then waits: fail now rather than at the deadline.
        if (peer->checkServer && !TlsSession::mayStartServerRecord(peer->head, peer->headSeen)) {
            peer->notTls = true;
            return -1;
        }
    }
    return static_cast<int>(n);
}

long bioCtrl(BIO*, int cmd, long, void*) { return cmd == BIO_CTRL_FLUSH ? 1 : 0; }

int bioCreate(BIO* bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* socketMethod()
{
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "tovo socket");
        BIO_meth_set_write(m, bioWrite);
        BIO_meth_set_read(m, bioRead);
        BIO_meth_set_ctrl(m, bioCtrl);
        BIO_meth_set_create(m, bioCreate);
        return m;
    }();
    return method;
}

} // namespace

bool TlsSession::init(SSL_CTX* ctx, std::string& error)
{
    m_ssl = SSL_new(ctx);
    BIO* bio = m_ssl ? BIO_new(socketMethod()) : nullptr;
    if (!bio) {
        error = takeErrors("cannot create a TLS session");
        return false;
    }
    BIO_set_data(bio, &m_peer);
    SSL_set_bio(m_ssl, bio, bio);
    return true;
}

bool TlsSession::mayStartServerRecord(const unsigned char* bytes, std::size_t n)
{
    // Content type handshake (22) or alert (21), version 3.x with x <= 4, and
    // a length no record may exceed (2^14 plus the allowed expansion).
    if (n >= 1 && bytes[0] != 22 && bytes[0] != 21)
        return false;
    if (n >= 2 && bytes[1] != 3)
        return false;
    if (n >= 3 && bytes[2] > 4)
        return false;
    if (n >= 5) {
        const unsigned length = (unsigned(bytes[3]) << 8) | bytes[4];
        if (length == 0 || length > 16384 + 2048)
            return false;
    }
    return true;
}

TlsSession::~TlsSession()
{
    if (m_ssl)
        SSL_free(m_ssl);
}

std::string TlsSession::takeErrors(const std::string& fallback)
{
    std::string text;
    while (unsigned long e = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(e, buffer, sizeof buffer);
        if (!text.empty())
            text += "; ";
        text += buffer;
    }
    return text.empty() ? fallback : text;
}

bool TlsSession::handshake(bool client, Deadline deadline, std::string& error, Failure* failure)
{
    m_socket.setBlocking(false);
    m_peer.checkServer = client;
    Failure kind = Failure::None;
    for (;;) {
        ERR_clear_error();
        int r = client ? SSL_connect(m_ssl) : SSL_accept(m_ssl);
        if (r == 1)
            break;
        int e = SSL_get_error(m_ssl, r);
        Socket::Wait w = Socket::Wait::Failed;
        if (e == SSL_ERROR_WANT_READ)
            w = m_socket.waitReadable(deadline);
        else if (e == SSL_ERROR_WANT_WRITE)
            w = m_socket.waitWritable(deadline);
        if (w == Socket::Wait::Ready)
            continue;
        if (w == Socket::Wait::TimedOut) {
            kind = Failure::TimedOut;
            error = "TLS handshake timed out";
        } else if (client && (m_peer.notTls || (m_peer.gone && m_peer.headSeen < kRecordHeaderSize))) {
            // Nothing TLS came back: a plain server, not a failed TLS set-up.
            kind = Failure::NotTls;
            takeErrors("");
            error = m_peer.notTls ? "the server is not speaking TLS (its answer is no TLS record)"
                                  : "the server closed the connection without a TLS answer";
        } else {
            kind = Failure::Tls;
            std::string why = takeErrors(e == SSL_ERROR_SYSCALL || e == SSL_ERROR_ZERO_RETURN
                                             ? "connection closed during the TLS handshake"
                                             : "TLS handshake failed");
            long verify = SSL_get_verify_result(m_ssl);
            if (verify != X509_V_OK)
                why += std::string(" (certificate: ") + X509_verify_cert_error_string(verify) + ")";
            error = why;
        }
        break;
    }
    m_peer.checkServer = false;
    if (failure)
        *failure = kind;
    return kind == Failure::None;
}

std::unique_ptr<TlsSession> TlsSession::connect(SSL_CTX* ctx, Socket& socket, const std::string& sniHost,
                                                const std::string& verifyHost, Deadline deadline, std::string& error,
                                                Failure* failure)
{
    if (failure)
        *failure = Failure::Tls;
    std::unique_ptr<TlsSession> session(new TlsSession(socket));
    if (!session->init(ctx, error))
        return nullptr;
    SSL* ssl = session->m_ssl;
    if (!sniHost.empty())
        SSL_set_tlsext_host_name(ssl, sniHost.c_str());
    if (!verifyHost.empty()) {
        // An address must match an IP entry of the certificate, a name a DNS entry.
        X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
        if (!X509_VERIFY_PARAM_set1_ip_asc(param, verifyHost.c_str()))
            SSL_set1_host(ssl, verifyHost.c_str());
    }
    if (!session->handshake(true, deadline, error, failure))
        return nullptr;
    return session;
}

std::unique_ptr<TlsSession> TlsSession::accept(SSL_CTX* ctx, Socket& socket, Deadline deadline, std::string& error)
{
    std::unique_ptr<TlsSession> session(new TlsSession(socket));
    if (!session->init(ctx, error) || !session->handshake(false, deadline, error, nullptr))
        return nullptr;
    return session;
}

long long TlsSession::read(void* data, std::size_t size, Deadline deadline)
{
    // The socket stays non-blocking: OpenSSL is called under the lock and the
    // waits happen outside it, so a writer never waits for a blocked reader.
    int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    for (;;) {
        int n = 0;
        int e = SSL_ERROR_NONE;
        {
            std::lock_guard lock(m_mutex);
            ERR_clear_error();
            n = SSL_read(m_ssl, data, chunk);
            if (n <= 0)
                e = SSL_get_error(m_ssl, n);
        }
        if (n > 0)
            return n;
        Socket::Wait w = Socket::Wait::Failed;
        if (e == SSL_ERROR_WANT_READ)
            w = m_socket.waitReadable(deadline);
        else if (e == SSL_ERROR_WANT_WRITE)
            w = m_socket.waitWritable(deadline);
        else if (e == SSL_ERROR_ZERO_RETURN || (e == SSL_ERROR_SYSCALL && ERR_peek_error() == 0))
            return 0; // a TLS close, or the peer closed the socket without one
        if (w == Socket::Wait::Ready)
            continue;
        return w == Socket::Wait::TimedOut ? -2 : -1;
    }
}

bool TlsSession::writeAll(const void* data, std::size_t size, Deadline deadline)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        // A retry after WANT_* must repeat the same buffer and length.
        int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
        int n = 0;
        int e = SSL_ERROR_NONE;
        {
            std::lock_guard lock(m_mutex);
            ERR_clear_error();
            n = SSL_write(m_ssl, p, chunk);
            if (n <= 0)
                e = SSL_get_error(m_ssl, n);
        }
        if (n > 0) {
            p += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        Socket::Wait w = Socket::Wait::Failed;
        if (e == SSL_ERROR_WANT_WRITE)
            w = m_socket.waitWritable(deadline);
        else if (e == SSL_ERROR_WANT_READ)
            w = m_socket.waitReadable(deadline);
        if (w != Socket::Wait::Ready)
            return false;
    }
    return true;
}

} // namespace kdb

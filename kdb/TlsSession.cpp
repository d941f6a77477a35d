#include "kdb/TlsSession.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <climits>
#include <mutex>

namespace kdb {

namespace {

// A BIO over our Socket, so that writes never raise SIGPIPE and partial or
// interrupted transfers follow the Socket's rules.
int bioWrite(BIO* bio, const char* data, int size)
{
    auto* socket = static_cast<Socket*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    long long n = socket->send(data, static_cast<std::size_t>(size));
    if (n == -2) {
        BIO_set_retry_write(bio);
        return -1;
    }
    return n < 0 ? -1 : static_cast<int>(n);
}

int bioRead(BIO* bio, char* data, int size)
{
    auto* socket = static_cast<Socket*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    long long n = socket->recv(data, static_cast<std::size_t>(size));
    if (n == -2) {
        BIO_set_retry_read(bio);
        return -1;
    }
    return n < 0 ? -1 : static_cast<int>(n);
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

SSL* newSsl(SSL_CTX* ctx, Socket& socket)
{
    SSL* ssl = SSL_new(ctx);
    if (!ssl)
        return nullptr;
    BIO* bio = BIO_new(socketMethod());
    BIO_set_data(bio, &socket);
    SSL_set_bio(ssl, bio, bio);
    return ssl;
}

} // namespace

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

bool TlsSession::handshake(bool client, Deadline deadline, std::string& error)
{
    m_socket.setBlocking(false);
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
            error = "TLS handshake timed out";
        } else {
            std::string why = takeErrors(e == SSL_ERROR_SYSCALL || e == SSL_ERROR_ZERO_RETURN
                                             ? "connection closed during the TLS handshake"
                                             : "TLS handshake failed");
            long verify = SSL_get_verify_result(m_ssl);
            if (verify != X509_V_OK)
                why += std::string(" (certificate: ") + X509_verify_cert_error_string(verify) + ")";
            error = why;
        }
        m_socket.setBlocking(true);
        return false;
    }
    m_socket.setBlocking(true);
    return true;
}

std::unique_ptr<TlsSession> TlsSession::connect(SSL_CTX* ctx, Socket& socket, const std::string& sniHost,
                                                const std::string& verifyHost, Deadline deadline, std::string& error)
{
    SSL* ssl = newSsl(ctx, socket);
    if (!ssl) {
        error = takeErrors("cannot create a TLS session");
        return nullptr;
    }
    std::unique_ptr<TlsSession> session(new TlsSession(ssl, socket));
    if (!sniHost.empty())
        SSL_set_tlsext_host_name(ssl, sniHost.c_str());
    if (!verifyHost.empty()) {
        // An address must match an IP entry of the certificate, a name a DNS entry.
        X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
        if (!X509_VERIFY_PARAM_set1_ip_asc(param, verifyHost.c_str()))
            SSL_set1_host(ssl, verifyHost.c_str());
    }
    if (!session->handshake(true, deadline, error))
        return nullptr;
    return session;
}

std::unique_ptr<TlsSession> TlsSession::accept(SSL_CTX* ctx, Socket& socket, Deadline deadline, std::string& error)
{
    SSL* ssl = newSsl(ctx, socket);
    if (!ssl) {
        error = takeErrors("cannot create a TLS session");
        return nullptr;
    }
    std::unique_ptr<TlsSession> session(new TlsSession(ssl, socket));
    if (!session->handshake(false, deadline, error))
        return nullptr;
    return session;
}

long long TlsSession::read(void* data, std::size_t size, Deadline deadline)
{
    int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    for (;;) {
        // Bytes already decrypted need no wait on the socket.
        if (!deadline.never() && SSL_pending(m_ssl) == 0) {
            Socket::Wait w = m_socket.waitReadable(deadline);
            if (w == Socket::Wait::TimedOut)
                return -2;
            if (w == Socket::Wait::Failed)
                return -1;
        }
        ERR_clear_error();
        int n = SSL_read(m_ssl, data, chunk);
        if (n > 0)
            return n;
        int e = SSL_get_error(m_ssl, n);
        if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE)
            continue; // e.g. a post-handshake message consumed no application data
        if (e == SSL_ERROR_ZERO_RETURN)
            return 0;
        if (e == SSL_ERROR_SYSCALL && ERR_peek_error() == 0)
            return 0; // the peer closed the socket without a TLS close
        return -1;
    }
}

bool TlsSession::writeAll(const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        int chunk = size > INT_MAX ? INT_MAX : static_cast<int>(size);
        ERR_clear_error();
        int n = SSL_write(m_ssl, p, chunk);
        if (n <= 0) {
            int e = SSL_get_error(m_ssl, n);
            if (e == SSL_ERROR_WANT_WRITE || e == SSL_ERROR_WANT_READ)
                continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace kdb

#include "kdb/TlsProbe.h"

#include "kdb/TlsSession.h"

#include <openssl/bio.h>
#include <openssl/ssl.h>

#include <memory>

namespace kdb {

namespace {

bool isName(const std::string& host)
{
    return host.find_first_not_of("0123456789.") != std::string::npos && host.find(':') == std::string::npos;
}

SSL_CTX* probeContext()
{
    // Nothing is verified: the probe never gets past the server's first record.
    static SSL_CTX* ctx = [] {
        SSL_CTX* c = SSL_CTX_new(TLS_client_method());
        if (c) {
            SSL_CTX_set_min_proto_version(c, TLS1_2_VERSION);
            SSL_CTX_set_verify(c, SSL_VERIFY_NONE, nullptr);
        }
        return c;
    }();
    return ctx;
}

} // namespace

std::string TlsProbe::clientHello(const std::string& host)
{
    SSL_CTX* ctx = probeContext();
    if (!ctx)
        return {};
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(ctx), SSL_free);
    if (!ssl)
        return {};
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    if (!in || !out) {
        BIO_free(in);
        BIO_free(out);
        return {};
    }
    SSL_set_bio(ssl.get(), in, out);
    if (isName(host))
        SSL_set_tlsext_host_name(ssl.get(), host.c_str());
    SSL_set_connect_state(ssl.get());
    SSL_do_handshake(ssl.get()); // writes the ClientHello, then wants the server's answer
    TlsSession::takeErrors("");
    char* data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    return size > 0 && data ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

bool TlsProbe::speaksTls(const std::string& host, int port, Deadline deadline)
{
    const std::string hello = clientHello(host);
    if (hello.empty())
        return false;
    Socket socket;
    if (socket.connect(host, port, deadline) != Socket::Connect::Ok)
        return false;
    if (!socket.sendAll(hello.data(), hello.size()))
        return false;
    unsigned char head[TlsSession::kRecordHeaderSize];
    std::size_t seen = 0;
    while (seen < sizeof head) {
        if (socket.waitReadable(deadline) != Socket::Wait::Ready)
            return false;
        const long long n = socket.recv(head + seen, sizeof head - seen);
        if (n <= 0)
            return false;
        seen += static_cast<std::size_t>(n);
        if (!TlsSession::mayStartServerRecord(head, seen))
            return false;
    }
    return true;
}

} // namespace kdb

// One TLS session over a connected Socket (OpenSSL 3), client or server side.
#pragma once

#include "kdb/Socket.h"

#include <memory>
#include <mutex>
#include <string>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace kdb {

class TlsSession {
public:
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Runs the handshake within the deadline; null and error text on failure.
    // verifyHost: the name or address the server's certificate must match
    // (empty: do not check the name).
    static std::unique_ptr<TlsSession> connect(SSL_CTX* ctx, Socket& socket, const std::string& sniHost,
                                               const std::string& verifyHost, Deadline deadline, std::string& error);
    static std::unique_ptr<TlsSession> accept(SSL_CTX* ctx, Socket& socket, Deadline deadline, std::string& error);

    // Reading and writing may happen on two threads at once. The socket is
    // non-blocking from the handshake on.
    // Bytes read (> 0), 0 when the peer closed, -1 on error, -2 when the deadline passed.
    long long read(void* data, std::size_t size, Deadline deadline);
    bool writeAll(const void* data, std::size_t size);

    // The text of OpenSSL's error queue (emptied), or fallback when it is empty.
    static std::string takeErrors(const std::string& fallback);

private:
    TlsSession(SSL* ssl, Socket& socket) : m_ssl(ssl), m_socket(socket) {}
    bool handshake(bool client, Deadline deadline, std::string& error);

    SSL* m_ssl;
    Socket& m_socket;
    std::mutex m_mutex;
};

} // namespace kdb

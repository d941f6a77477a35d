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
    // Why a client handshake failed.
    enum class Failure {
        None,
        NotTls,   // the peer closed, reset or answered bytes that are not TLS
        TimedOut, // the deadline passed
        Tls,      // the peer spoke TLS but the handshake failed (e.g. its certificate), or a local failure
    };

    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Runs the handshake within the deadline; null, error text and failure on
    // failure. verifyHost: the name or address the server's certificate must
    // match (empty: do not check the name).
    static std::unique_ptr<TlsSession> connect(SSL_CTX* ctx, Socket& socket, const std::string& sniHost,
                                               const std::string& verifyHost, Deadline deadline, std::string& error,
                                               Failure* failure = nullptr);
    static std::unique_ptr<TlsSession> accept(SSL_CTX* ctx, Socket& socket, Deadline deadline, std::string& error);

    // Reading and writing may happen on two threads at once. The socket is
    // non-blocking from the handshake on.
    // Bytes read (> 0), 0 when the peer closed, -1 on error, -2 when the deadline passed.
    long long read(void* data, std::size_t size, Deadline deadline);
    bool writeAll(const void* data, std::size_t size, Deadline deadline = Deadline());

    // The text of OpenSSL's error queue (emptied), or fallback when it is empty.
    static std::string takeErrors(const std::string& fallback);

    // Whether the first n bytes (n <= 5) a server sent may begin a TLS record
    // (a handshake or an alert record), before any handshake succeeded.
    static bool mayStartServerRecord(const unsigned char* bytes, std::size_t n);
    static constexpr std::size_t kRecordHeaderSize = 5;

    // What the peer sent during the handshake; the socket BIO keeps it.
    struct Peer {
        Socket* socket = nullptr;
        bool checkServer = false; // a client handshake: reject a peer that is not speaking TLS at once
        unsigned char head[kRecordHeaderSize] = {};
        std::size_t headSeen = 0;
        bool notTls = false;
        bool gone = false; // closed or reset
    };

private:
    explicit TlsSession(Socket& socket) : m_socket(socket) { m_peer.socket = &socket; }
    bool init(SSL_CTX* ctx, std::string& error);
    bool handshake(bool client, Deadline deadline, std::string& error, Failure* failure);

    SSL* m_ssl = nullptr;
    Socket& m_socket;
    Peer m_peer;
    std::mutex m_mutex;
};

} // namespace kdb

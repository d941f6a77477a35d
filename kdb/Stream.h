// A connected byte stream, plain or TLS, that moves whole IPC messages.
#pragma once

#include "kdb/MessageHeader.h"
#include "kdb/Socket.h"
#include "kdb/TlsSession.h"

#include <memory>
#include <string>
#include <vector>

namespace kdb {

class Stream {
public:
    // TooLarge: the body did not fit in memory; it has been read and dropped,
    // so the stream stands at the next message.
    enum class Read { Ok, Closed, TimedOut, Failed, BadHeader, TooLarge };

    // The socket lives on the heap: a TLS session refers to it, and the
    // stream itself may move.
    explicit Stream(Socket socket) : m_socket(std::make_unique<Socket>(std::move(socket))) {}

    Socket& socket() { return *m_socket; }
    bool isTls() const { return m_tls != nullptr; }
    void setTls(std::unique_ptr<TlsSession> tls) { m_tls = std::move(tls); }

    // Bytes read (> 0), 0 for a closed peer, -1 on error, -2 after the deadline.
    long long readSome(void* data, std::size_t size, Deadline deadline = Deadline());
    Read readExact(void* data, std::size_t size, Deadline deadline = Deadline());
    bool writeAll(const void* data, std::size_t size, Deadline deadline = Deadline());

    // Reads one message: its header, then the rest, into bytes (header
    // included). The buffer grows only as bytes arrive, so a peer that
    // announces a huge length and sends little costs little memory.
    Read readMessage(int capability, MessageHeader& header, std::vector<char>& bytes,
                     Deadline deadline = Deadline());
    // The same in two steps: the header (its 8 bytes kept in head), then,
    // unless the caller reads the body itself, the rest into bytes.
    Read readHeader(int capability, MessageHeader& header, char (&head)[MessageHeader::kSize],
                    Deadline deadline = Deadline());
    Read readBody(const MessageHeader& header, const char (&head)[MessageHeader::kSize], std::vector<char>& bytes,
                  Deadline deadline = Deadline());

    // Wakes a reader blocked in another thread; the stream is unusable afterwards.
    void shutdown() { m_socket->shutdown(); }

    const std::string& error() const { return m_error; }

private:
    std::unique_ptr<Socket> m_socket;
    std::unique_ptr<TlsSession> m_tls; // declared after the socket: destroyed before it
    std::string m_error;
};

} // namespace kdb

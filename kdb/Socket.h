// A TCP socket: the only place that talks to the operating system's socket
// calls (BSD sockets, or Winsock on Windows).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kdb {

using Clock = std::chrono::steady_clock;

// A point in time after which a blocking call gives up; Deadline() never expires.
class Deadline {
public:
    Deadline() = default;
    static Deadline afterMs(int ms);
    bool never() const { return m_never; }
    bool expired() const;
    // Milliseconds left for poll(): -1 for never, 0 when expired.
    int remainingMs() const;

private:
    bool m_never = true;
    Clock::time_point m_at {};
};

// Lets another thread make this thread's socket waits give up: while a scope
// is installed, every wait (connect, handshake, TLS, reads) polls in short
// slices and fails with "cancelled" once the flag is set. A connect being
// cancelled from the user interface is the use; a blocked query is woken by
// closing its handle instead.
class CancelScope {
public:
    explicit CancelScope(const std::atomic<bool>* flag);
    ~CancelScope();
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;
    // Whether a scope is installed on this thread, and whether its flag is set.
    static bool active();
    static bool cancelled();

private:
    const std::atomic<bool>* m_previous;
};

class Socket {
public:
    enum class Connect { Ok, Refused, TimedOut };
    enum class Wait { Ready, TimedOut, Failed };

    Socket() = default;
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool isOpen() const;
    std::intptr_t native() const { return m_fd; }

    // Connects within the deadline (a non-blocking connect); the socket is
    // blocking again afterwards. On failure, error() says why.
    Connect connect(const std::string& host, int port, Deadline deadline);

    // Listens on host (an address such as "127.0.0.1") and port; port 0 lets
    // the system choose, see localPort().
    bool listen(const std::string& host, int port, int backlog = 16);
    int localPort() const;
    // Accepts one connection; an invalid socket when the deadline passes or
    // the listening socket was shut down.
    Socket accept(Deadline deadline);

    // Blocking I/O; partial transfers and interruptions are retried by the
    // caller through these. send/recv return the bytes moved, 0 for an
    // orderly close (recv), -1 on error.
    long long send(const void* data, std::size_t size);
    long long recv(void* data, std::size_t size);
    bool sendAll(const void* data, std::size_t size);

    Wait waitReadable(Deadline deadline);
    Wait waitWritable(Deadline deadline);
    bool setBlocking(bool blocking);
    bool isLoopbackPeer() const;

    // Stops both directions so that a reader blocked in another thread wakes up.
    void shutdown();
    void close();

    const std::string& error() const { return m_error; }

private:
    explicit Socket(std::intptr_t fd) : m_fd(fd) {}
    void setError(const char* what);
    Wait wait(bool forWrite, Deadline deadline);

    std::intptr_t m_fd = -1;
    std::string m_error;
};

} // namespace kdb

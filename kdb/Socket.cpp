#include "kdb/Socket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using socklen_t = int;
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kdb {

namespace {

#ifdef _WIN32
using Native = SOCKET;
constexpr Native kInvalid = INVALID_SOCKET;
int lastSocketError() { return WSAGetLastError(); }
bool interrupted(int e) { return e == WSAEINTR; }
bool wouldBlock(int e) { return e == WSAEWOULDBLOCK || e == WSAEINPROGRESS; }
int pollFds(WSAPOLLFD* fds, ULONG n, int ms) { return WSAPoll(fds, n, ms); }
using PollFd = WSAPOLLFD;
void closeNative(Native s) { ::closesocket(s); }
std::string errorText(int e)
{
    char buffer[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(e), 0, buffer,
                   sizeof buffer, nullptr);
    return buffer;
}
void startup()
{
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}
constexpr int kSendFlags = 0;
#else
using Native = int;
constexpr Native kInvalid = -1;
int lastSocketError() { return errno; }
bool interrupted(int e) { return e == EINTR; }
bool wouldBlock(int e) { return e == EWOULDBLOCK || e == EAGAIN || e == EINPROGRESS; }
int pollFds(pollfd* fds, nfds_t n, int ms) { return ::poll(fds, n, ms); }
using PollFd = pollfd;
void closeNative(Native s) { ::close(s); }
std::string errorText(int e) { return std::strerror(e); }
void startup() {}
#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL; // a closed peer must not raise SIGPIPE
#else
constexpr int kSendFlags = 0;
#endif
#endif

Native nat(std::intptr_t fd) { return static_cast<Native>(fd); }

void tune(Native s)
{
    int one = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    ::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&one), sizeof one);
#if defined(SO_NOSIGPIPE)
    ::setsockopt(s, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
}

} // namespace

namespace {
thread_local const std::atomic<bool>* t_cancel = nullptr;
// How long a cancellable wait sleeps between looks at its flag.
constexpr int kCancelSliceMs = 20;
} // namespace

CancelScope::CancelScope(const std::atomic<bool>* flag) : m_previous(t_cancel) { t_cancel = flag; }
CancelScope::~CancelScope() { t_cancel = m_previous; }
bool CancelScope::active() { return t_cancel != nullptr; }
bool CancelScope::cancelled() { return t_cancel && t_cancel->load(); }

Deadline Deadline::afterMs(int ms)
{
    Deadline d;
    d.m_never = false;
    d.m_at = Clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
    return d;
}

bool Deadline::expired() const { return !m_never && Clock::now() >= m_at; }

int Deadline::remainingMs() const
{
    if (m_never)
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_at - Clock::now()).count();
    if (left <= 0)
        return 0;
    return left > 1000000000 ? 1000000000 : static_cast<int>(left);
}

Socket::~Socket() { close(); }

Socket::Socket(Socket&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)), m_error(std::move(other.m_error)) {}

Socket& Socket::operator=(Socket&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool Socket::isOpen() const { return m_fd != -1; }

void Socket::setError(const char* what) { m_error = std::string(what) + ": " + errorText(lastSocketError()); }

Socket::Connect Socket::connect(const std::string& host, int port, Deadline deadline)
{
    startup();
    close();
    if (port <= 0 || port > 65535) {
        m_error = "invalid port";
        return Connect::Refused;
    }
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int rc = ::getaddrinfo(host.empty() ? "localhost" : host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0 || !found) {
        m_error = "host not found: " + host;
        return Connect::Refused;
    }
    Connect result = Connect::Refused;
    for (addrinfo* a = found; a && !CancelScope::cancelled(); a = a->ai_next) {
        Native s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == kInvalid) {
            setError("socket");
            continue;
        }
        m_fd = static_cast<std::intptr_t>(s);
        setBlocking(false);
        int c = ::connect(s, a->ai_addr, static_cast<socklen_t>(a->ai_addrlen));
        if (c != 0 && wouldBlock(lastSocketError())) {
            Wait w = waitWritable(deadline);
            if (w == Wait::TimedOut) {
                m_error = "connect timed out";
                result = Connect::TimedOut;
                close();
                break; // the time is spent: trying further addresses would overrun it
            }
            int soError = 0;
            socklen_t len = sizeof soError;
            ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len);
            c = (w == Wait::Ready && soError == 0) ? 0 : -1;
            if (c != 0)
                m_error = "connect: " + errorText(soError);
        } else if (c != 0) {
            setError("connect");
        }
        if (c == 0) {
            setBlocking(true);
            tune(s);
            result = Connect::Ok;
            break;
        }
        close();
    }
    ::freeaddrinfo(found);
    return result;
}

bool Socket::listen(const std::string& host, int port, int backlog)
{
    startup();
    close();
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<unsigned short>(port));
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
        m_error = "invalid listen address: " + host;
        return false;
    }
    Native s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == kInvalid) {
        setError("socket");
        return false;
    }
    m_fd = static_cast<std::intptr_t>(s);
#ifndef _WIN32
    int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, backlog) != 0) {
        setError("listen");
        close();
        return false;
    }
    return true;
}

int Socket::localPort() const
{
    sockaddr_storage addr {};
    socklen_t len = sizeof addr;
    if (m_fd == -1 || ::getsockname(nat(m_fd), reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return 0;
    if (addr.ss_family == AF_INET)
        return ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    if (addr.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    return 0;
}

Socket Socket::accept(Deadline deadline)
{
    if (waitReadable(deadline) != Wait::Ready)
        return Socket();
    Native s = ::accept(nat(m_fd), nullptr, nullptr);
    if (s == kInvalid) {
        setError("accept");
        return Socket();
    }
    Socket accepted(static_cast<std::intptr_t>(s));
    tune(s);
    return accepted;
}

long long Socket::send(const void* data, std::size_t size)
{
    for (;;) {
#ifdef _WIN32
        int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
        long long n = ::send(nat(m_fd), static_cast<const char*>(data), chunk, kSendFlags);
#else
        long long n = ::send(nat(m_fd), data, size, kSendFlags);
#endif
        if (n >= 0)
            return n;
        if (interrupted(lastSocketError()))
            continue;
        if (wouldBlock(lastSocketError()))
            return -2;
        setError("send");
        return -1;
    }
}

long long Socket::recv(void* data, std::size_t size)
{
    for (;;) {
#ifdef _WIN32
        int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
        long long n = ::recv(nat(m_fd), static_cast<char*>(data), chunk, 0);
#else
        long long n = ::recv(nat(m_fd), data, size, 0);
#endif
        if (n >= 0)
            return n;
        if (interrupted(lastSocketError()))
            continue;
        if (wouldBlock(lastSocketError()))
            return -2;
        setError("recv");
        return -1;
    }
}

bool Socket::sendAll(const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        long long n = send(p, size);
        if (n == -2) {
            if (waitWritable(Deadline()) != Wait::Ready)
                return false;
            continue;
        }
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

Socket::Wait Socket::wait(bool forWrite, Deadline deadline)
{
    if (m_fd == -1)
        return Wait::Failed;
    for (;;) {
        if (CancelScope::cancelled()) {
            m_error = "cancelled";
            return Wait::Failed;
        }
        PollFd p {};
        p.fd = nat(m_fd);
        p.events = forWrite ? POLLOUT : POLLIN;
        int ms = deadline.remainingMs();
        if (CancelScope::active())
            ms = ms < 0 ? kCancelSliceMs : std::min(ms, kCancelSliceMs);
        int r = pollFds(&p, 1, ms);
        if (r > 0) {
            // Hang-up and errors are reported as ready: the next call tells which.
            return Wait::Ready;
        }
        if (r == 0) {
            if (deadline.expired())
                return Wait::TimedOut;
            continue; // the rounding of remainingMs() woke us a little early, or a cancel slice ended
        }
        if (interrupted(lastSocketError()))
            continue;
        setError("poll");
        return Wait::Failed;
    }
}

Socket::Wait Socket::waitReadable(Deadline deadline) { return wait(false, deadline); }
Socket::Wait Socket::waitWritable(Deadline deadline) { return wait(true, deadline); }

bool Socket::setBlocking(bool blocking)
{
    if (m_fd == -1)
        return false;
#ifdef _WIN32
    u_long mode = blocking ? 0 : 1;
    return ::ioctlsocket(nat(m_fd), FIONBIO, &mode) == 0;
#else
    int flags = ::fcntl(nat(m_fd), F_GETFL, 0);
    if (flags < 0)
        return false;
    flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return ::fcntl(nat(m_fd), F_SETFL, flags) == 0;
#endif
}

bool Socket::isLoopbackPeer() const
{
    sockaddr_storage addr {};
    socklen_t len = sizeof addr;
    if (m_fd == -1 || ::getpeername(nat(m_fd), reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return false;
    if (addr.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&addr);
        return (ntohl(in->sin_addr.s_addr) >> 24) == 127;
    }
    if (addr.ss_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&addr);
        static const unsigned char loop6[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
        const auto* b = reinterpret_cast<const unsigned char*>(&in6->sin6_addr);
        if (std::memcmp(b, loop6, 16) == 0)
            return true;
        return std::memcmp(b, mapped, 12) == 0 && b[12] == 127;
    }
    return false;
}

void Socket::shutdown()
{
    if (m_fd == -1)
        return;
#ifdef _WIN32
    ::shutdown(nat(m_fd), SD_BOTH);
#else
    ::shutdown(nat(m_fd), SHUT_RDWR);
#endif
}

void Socket::close()
{
    if (m_fd != -1) {
        closeNative(nat(m_fd));
        m_fd = -1;
    }
}

} // namespace kdb

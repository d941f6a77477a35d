// One client connection to a kdb+ instance: the handshake, then whole
// messages in both directions. Thread-safe: one reader and one writer at a
// time; shutdown() from any thread wakes a blocked reader.
#pragma once

#include "kdb/Stream.h"
#include "kdb/k.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace kdb {

class Connection {
public:
    // Result codes of open(), as khpunc returns them.
    enum : int { Refused = -1, TimedOut = -2, TlsFailed = -3, AccessDenied = 0, Opened = 1 };
    // Capability bits of open().
    enum : int { WantLarge = 1, WantTls = 2 };

    // Connects and runs the handshake within timeoutMs (0: no limit). On
    // failure, the library's last error says why.
    static int open(const std::string& host, int port, const std::string& credentials, int timeoutMs, int capability,
                    std::shared_ptr<Connection>& out);

    explicit Connection(Stream stream, int capability);

    int capability() const { return m_capability; }
    bool isTls() const { return m_stream.isTls(); }

    // Sends x as a sync message and waits for the response; messages of other
    // types that arrive meanwhile are dropped. Null when the connection is
    // gone; an error value when x cannot be sent (the connection stays usable).
    K sync(K x);
    // Bounds each later sync() as a whole, sending and receiving (0: no limit).
    void setQueryTimeout(int ms) { m_queryTimeoutMs = ms; }
    // Sends x as an async message: a generic null when sent, an error value
    // when x cannot be sent, null when the connection is gone.
    K async(K x);
    // Waits for the next incoming message of any type.
    K next();

    void shutdown();
    bool isBroken() const { return m_broken.load(); }

private:
    enum class Sent { Ok, NotEncoded, Broken };
    Sent send(K x, int type, Deadline deadline);
    K receive(int* type, Deadline deadline);
    void fail(const std::string& why);

    Stream m_stream;
    int m_capability;
    bool m_loopback;
    std::atomic<bool> m_broken {false};
    std::atomic<int> m_queryTimeoutMs {0};
    std::mutex m_readMutex;
    std::mutex m_writeMutex;
};

} // namespace kdb

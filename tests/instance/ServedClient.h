// One client connection of the test instance, served on its own thread.
#pragma once

#include "TestInstancePrivate.h"

#include "kdb/Stream.h"

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class ServedClient {
public:
    ServedClient(TestInstance::Private* owner, kdb::Socket socket);
    ~ServedClient();

    void start();
    // Closes the connection; the serving thread ends soon after.
    void close();
    void join();
    bool isOpen() const { return m_open.load(); }
    // Sends an async message; false when the client is gone or not yet past the handshake.
    bool publish(K message);

private:
    void serve();
    bool handshake();
    void answer(const ReceivedMessage& message);
    bool sendValue(K value, int type, bool compress);
    bool sendBytes(const std::vector<char>& bytes);
    bool pause(int ms) const;
    void stream(const UpdateStream& updates);

    TestInstance::Private* m_owner;
    kdb::Stream m_stream;
    std::thread m_thread;
    std::mutex m_writeMutex;
    std::atomic<bool> m_open {true};
    std::atomic<bool> m_ready {false};
    bool m_loopback = true;
    int m_capability = 0;
};

#include "connect/TcpProbe.h"

#include "kdb/Socket.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <atomic>
#include <memory>
#include <thread>

bool TcpProbe::reachable(const QString& host, int port, int timeoutMs)
{
    if (port <= 0 || port > 65535)
        return false;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        // Off the window's thread (a session's worker) the check runs right
        // here, where a cancel of the worker's task reaches it.
        kdb::Socket socket;
        const bool ok = socket.connect(host.toLocal8Bit().toStdString(), port, kdb::Deadline::afterMs(timeoutMs))
            == kdb::Socket::Connect::Ok;
        socket.close();
        return ok;
    }
    struct Shared {
        std::atomic<bool> done{false};
        std::atomic<bool> ok{false};
    };
    auto shared = std::make_shared<Shared>();
    const std::string name = host.toLocal8Bit().toStdString();
    std::thread worker([shared, name, port, timeoutMs] {
        kdb::Socket socket;
        shared->ok = socket.connect(name, port, kdb::Deadline::afterMs(timeoutMs)) == kdb::Socket::Connect::Ok;
        socket.close();
        shared->done = true;
    });
    {
        // User input waits: a click must not start a second connect meanwhile.
        while (!shared->done)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    worker.join();
    return shared->ok;
}

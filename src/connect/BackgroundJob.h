// One piece of blocking work at a time (a connect, a service query) on a
// session worker; its result comes back to this object's thread. The window's
// thread never waits for it: cancel() makes the client library's waits give
// up, and destroying the job cancels and joins the worker at once.
#pragma once

#include "connect/SessionWorker.h"

#include <QObject>

#include <functional>

class BackgroundJob : public QObject {
    Q_OBJECT
public:
    explicit BackgroundJob(QObject* parent = nullptr) : QObject(parent), m_worker(new SessionWorker(this)) {}

    bool isRunning() const { return m_running > 0; }
    // The running work gives up its kdb waits; its done still follows.
    void cancel() { m_worker->cancel(); }

    // Runs work on the worker thread; done(result) runs on this object's
    // thread afterwards.
    template <class R>
    void start(std::function<R()> work, std::function<void(R)> done)
    {
        ++m_running;
        m_worker->post(this, std::move(work), [this, done = std::move(done)](R result) {
            --m_running;
            done(std::move(result));
        });
    }

private:
    SessionWorker* m_worker;
    int m_running = 0;
};

// One piece of blocking work (a connect, a service query) on a thread of its
// own; its result comes back to this object's thread by a queued call. The
// window's thread never waits for it, except that destroying a job whose work
// has not finished joins it.
#pragma once

#include "kdb/k.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class BackgroundJob : public QObject {
    Q_OBJECT
public:
    explicit BackgroundJob(QObject* parent = nullptr) : QObject(parent) {}
    ~BackgroundJob() override { join(); }

    bool isRunning() const { return m_running.load(); }

    // Runs work on a new thread; done(result) runs on this object's thread
    // afterwards. A job runs one work at a time: start waits for the last one.
    template <class R>
    void start(std::function<R()> work, std::function<void(R)> done)
    {
        join();
        m_running = true;
        m_thread = std::thread([this, work = std::move(work), done = std::move(done)] {
            auto result = std::make_shared<std::optional<R>>(work());
            m9(); // the library's memory of this thread
            QMetaObject::invokeMethod(
                this,
                [this, result, done] {
                    join();
                    m_running = false;
                    done(std::move(**result));
                },
                Qt::QueuedConnection);
        });
    }

private:
    void join()
    {
        if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
            m_thread.join();
    }

    std::thread m_thread;
    std::atomic<bool> m_running{false};
};

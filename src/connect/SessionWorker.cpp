#include "connect/SessionWorker.h"

#include "kdb/Socket.h"
#include "kdb/k.h"

#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace {
std::atomic<int> g_liveThreads{0};
}

struct SessionWorker::Poster::Core {
    struct Task {
        std::function<void()> run;
        bool mustRun = false; // a release of memory: runs even while the worker stops
        // Set by a cancel that comes before the task has started, too.
        std::shared_ptr<std::atomic<bool>> flag = std::make_shared<std::atomic<bool>>(false);
    };
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Task> queue;
    std::shared_ptr<std::atomic<bool>> current; // the running task's cancel flag
    bool stopping = false;
    std::atomic<QThread*> thread{nullptr};

    // The task's cancel flag; null when the worker is stopping.
    std::shared_ptr<std::atomic<bool>> push(std::function<void()> task, bool mustRun)
    {
        auto flag = std::make_shared<std::atomic<bool>>(false);
        {
            std::lock_guard lock(mutex);
            if (stopping)
                return nullptr;
            queue.push_back(Task{std::move(task), mustRun, flag});
        }
        wake.notify_one();
        return flag;
    }

    // Drops the tasks that need not run; the caller holds the lock.
    void dropOptional(std::deque<Task>& dropped)
    {
        std::deque<Task> kept;
        for (Task& task : queue)
            (task.mustRun ? kept : dropped).push_back(std::move(task));
        queue.swap(kept);
    }

    void loop()
    {
        for (;;) {
            std::function<void()> task;
            std::shared_ptr<std::atomic<bool>> flag;
            std::deque<Task> dropped;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stopping || !queue.empty(); });
                if (stopping)
                    dropOptional(dropped);
                if (queue.empty())
                    break;
                task = std::move(queue.front().run);
                flag = queue.front().flag;
                queue.pop_front();
                current = flag;
            }
            dropped.clear();
            {
                kdb::CancelScope scope(flag.get());
                task();
                task = nullptr; // what it captured goes on this thread
            }
            m9();
            std::lock_guard lock(mutex);
            current.reset();
        }
        m9();
    }
};

bool SessionWorker::Poster::post(std::function<void()> work) const
{
    const std::shared_ptr<Core> core = m_core.lock();
    return core && core->push(std::move(work), true) != nullptr;
}

bool SessionWorker::Poster::isWorkerThread() const
{
    const std::shared_ptr<Core> core = m_core.lock();
    return core && core->thread.load() == QThread::currentThread();
}

SessionWorker::SessionWorker(QObject* parent) : QObject(parent), m_core(std::make_shared<Poster::Core>())
{
    std::shared_ptr<Poster::Core> core = m_core;
    m_thread = QThread::create([core] {
        core->thread = QThread::currentThread();
        core->loop();
        --g_liveThreads;
    });
    m_thread->setObjectName(QStringLiteral("session worker"));
    ++g_liveThreads;
    m_thread->start();
}

SessionWorker::~SessionWorker()
{
    cancelAll();
    {
        std::lock_guard lock(m_core->mutex);
        m_core->stopping = true;
    }
    m_core->wake.notify_all();
    m_thread->wait();
    delete m_thread;
}

int SessionWorker::liveThreads() { return g_liveThreads.load(); }

void SessionWorker::post(std::function<void()> work) { enqueue(std::move(work)); }

SessionWorker::CancelFlag SessionWorker::enqueue(std::function<void()> task)
{
    CancelFlag flag = m_core->push(std::move(task), false);
    // A worker that is stopping runs nothing more: a flag that is set already.
    return flag ? flag : std::make_shared<std::atomic<bool>>(true);
}

void SessionWorker::deliver(std::function<void()> done)
{
    QMetaObject::invokeMethod(this, std::move(done), Qt::QueuedConnection);
}

void SessionWorker::cancel()
{
    // A task posted but not yet picked up counts as running for its poster:
    // it starts cancelled rather than missing the cancel.
    std::lock_guard lock(m_core->mutex);
    if (m_core->current) {
        m_core->current->store(true);
        return;
    }
    for (const Poster::Core::Task& task : m_core->queue) {
        if (!task.mustRun) {
            task.flag->store(true);
            return;
        }
    }
}

void SessionWorker::cancelAll()
{
    std::deque<Poster::Core::Task> dropped;
    {
        std::lock_guard lock(m_core->mutex);
        m_core->dropOptional(dropped);
        if (m_core->current)
            m_core->current->store(true);
    }
    dropped.clear();
    if (m_interrupt)
        m_interrupt();
}

bool SessionWorker::isBusy() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->current || !m_core->queue.empty();
}

SessionWorker::Poster SessionWorker::poster() const { return Poster(m_core); }

bool SessionWorker::isWorkerThread() const { return m_core->thread.load() == QThread::currentThread(); }

#include "core/background/Background.h"

#include "kdb/Socket.h"
#include "kdb/k.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace background {

struct Control {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    // Where results go: the context's thread's inbox (null: nowhere), and the
    // context itself, read only on that thread.
    class Inbox* inbox = nullptr;
    QPointer<const QObject> context;
    std::mutex mutex; // guards the interrupt
    std::function<void()> interrupt;
    bool interrupted = false;

    void cancel()
    {
        std::function<void()> run;
        {
            std::lock_guard lock(mutex);
            cancelled = true;
            if (interrupt && !interrupted) {
                interrupted = true;
                run = interrupt;
            }
        }
        if (run)
            run();
    }
};

namespace {
thread_local std::shared_ptr<Control> t_current;
std::atomic<bool> g_shutDown{false};
} // namespace

// Deliveries for one thread. Workers never post to a context object (it may
// be on its way out): they queue here, under a lock, and the inbox, which
// lives as long as the process, runs each delivery on its thread only if the
// context is still there. The payloads cross threads under that lock only.
class Inbox : public QObject {
public:
    struct Entry {
        std::shared_ptr<Control> control;
        std::function<void()> fn;
    };

    void push(Entry entry)
    {
        bool post = false;
        {
            std::lock_guard lock(m_mutex);
            m_entries.push_back(std::move(entry));
            post = !m_posted;
            m_posted = true;
        }
        if (post)
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

    // The inbox of the thread obj lives on; made on first use.
    static Inbox* of(const QObject* obj)
    {
        static std::mutex mutex;
        static auto* const inboxes = new std::unordered_map<QThread*, Inbox*>();
        QThread* thread = obj->thread();
        std::lock_guard lock(mutex);
        Inbox*& inbox = (*inboxes)[thread];
        if (!inbox) {
            inbox = new Inbox();
            if (thread != QThread::currentThread())
                inbox->moveToThread(thread);
        }
        return inbox;
    }

protected:
    void customEvent(QEvent*) override
    {
        std::deque<Entry> entries;
        {
            std::lock_guard lock(m_mutex);
            entries.swap(m_entries);
            m_posted = false;
        }
        for (Entry& entry : entries) {
            if (entry.control->context && !entry.control->cancelled && !g_shutDown)
                entry.fn();
            entry.fn = nullptr; // a dropped result goes here, on the context's thread
        }
    }

private:
    std::mutex m_mutex;
    std::deque<Entry> m_entries;
    bool m_posted = false;
};

namespace {


// Worker threads shared by all tasks. A thread stays a while after its last
// job so that a burst of short jobs does not start one thread each; threads
// are detached and hold the pool alive, so nothing ever joins them.
class Pool : public std::enable_shared_from_this<Pool> {
public:
    struct Item {
        std::shared_ptr<Control> control;
        std::function<void()> job;
    };

    void submit(Item item)
    {
        Item dropped;
        {
            std::lock_guard lock(m_mutex);
            if (m_closing) {
                item.control->cancelled = true;
                dropped = std::move(item); // destroyed outside the lock
            } else {
                m_jobs.push_back(std::move(item));
                if (m_idle > 0) {
                    m_wake.notify_one();
                } else {
                    ++m_threads;
                    std::thread([self = shared_from_this()] { self->loop(); }).detach();
                }
            }
        }
    }

    // Marks control as the one running on this thread (or none).
    void setRunning(const std::shared_ptr<Control>& control, bool running)
    {
        std::lock_guard lock(m_mutex);
        if (running) {
            m_running.push_back(control);
        } else {
            m_running.erase(std::find(m_running.begin(), m_running.end(), control));
            if (m_running.empty())
                m_quiet.notify_all();
        }
    }

    int close(std::chrono::milliseconds wait)
    {
        std::deque<Item> dropped;
        std::vector<std::shared_ptr<Control>> running;
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
            dropped.swap(m_jobs);
            running = m_running;
        }
        for (Item& item : dropped)
            item.control->cancelled = true;
        dropped.clear();
        for (const auto& control : running)
            control->cancel();
        std::unique_lock lock(m_mutex);
        m_wake.notify_all(); // idle threads end
        m_quiet.wait_for(lock, wait, [this] { return m_running.empty(); });
        return static_cast<int>(m_running.size());
    }

    bool closing() const
    {
        std::lock_guard lock(m_mutex);
        return m_closing;
    }
    int busy() const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_running.size());
    }
    int threads() const
    {
        std::lock_guard lock(m_mutex);
        return m_threads;
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            ++m_idle;
            const bool woken = m_wake.wait_for(lock, std::chrono::seconds(20),
                                               [this] { return m_closing || !m_jobs.empty(); });
            --m_idle;
            if (!woken || m_jobs.empty())
                break;
            Item item = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            runItem(item.control, std::move(item.job));
            item = Item{};
            lock.lock();
        }
        --m_threads;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_quiet;
    std::deque<Item> m_jobs;
    std::vector<std::shared_ptr<Control>> m_running;
    int m_threads = 0;
    int m_idle = 0;
    bool m_closing = false;

public:
    // Runs one job under its task's flag on the calling worker thread.
    void runItem(const std::shared_ptr<Control>& control, std::function<void()> job)
    {
        if (!control->cancelled) {
            setRunning(control, true);
            t_current = control;
            {
                kdb::CancelScope scope(&control->cancelled);
                job();
                job = nullptr; // what the work captured goes here, on the worker
            }
            t_current.reset();
            control->finished = true;
            m9();
            setRunning(control, false);
        } else {
            job = nullptr;
            control->finished = true;
        }
    }
};

Pool& pool()
{
    // Never destroyed: detached workers may still use it while the process ends.
    static auto* const instance = new std::shared_ptr<Pool>(std::make_shared<Pool>());
    return **instance;
}

} // namespace

std::shared_ptr<Control> makeControl(const QObject* context)
{
    auto control = std::make_shared<Control>();
    if (context) {
        control->context = context;
        control->inbox = Inbox::of(context);
    }
    return control;
}

void submit(const std::shared_ptr<Control>& control, std::function<void()> job)
{
    pool().submit({control, std::move(job)});
}

void runItem(const std::shared_ptr<Control>& control, std::function<void()> job)
{
    pool().runItem(control, std::move(job));
}

bool deliver(const std::shared_ptr<Control>& control, std::function<void()> fn)
{
    if (!control->inbox || control->cancelled || g_shutDown)
        return false;
    control->inbox->push({control, std::move(fn)});
    return true;
}

} // namespace background

using background::Control;

void BackgroundTask::cancel() const
{
    if (m_control)
        m_control->cancel();
}

void BackgroundTask::onCancel(std::function<void()> interrupt) const
{
    if (!m_control)
        return;
    bool now = false;
    {
        std::lock_guard lock(m_control->mutex);
        if (m_control->cancelled) {
            now = true;
        } else {
            m_control->interrupt = interrupt;
        }
    }
    if (now)
        interrupt();
}

bool BackgroundTask::isCancelled() const { return m_control && m_control->cancelled; }

bool BackgroundTask::isFinished() const { return !m_control || m_control->finished; }

BackgroundTask Background::run(std::function<void()> work)
{
    std::shared_ptr<Control> control = background::makeControl(nullptr);
    background::submit(control, std::move(work));
    return BackgroundTask(std::move(control));
}

void Background::report(std::function<void()> fn)
{
    if (background::t_current)
        background::deliver(background::t_current, std::move(fn));
}

bool Background::cancelled() { return background::t_current && background::t_current->cancelled; }

std::shared_ptr<Control> Background::current() { return background::t_current; }

int Background::shutdown(std::chrono::milliseconds wait)
{
    background::g_shutDown = true;
    return background::pool().close(wait);
}

bool Background::isShutDown() { return background::g_shutDown; }

int Background::busyWorkers() { return background::pool().busy(); }

int Background::liveThreads() { return background::pool().threads(); }

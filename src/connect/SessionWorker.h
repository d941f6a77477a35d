// One long-lived worker thread for one session: it runs the tasks posted to
// it one at a time, in the order posted, and hands each task's result back
// on the thread that owns the SessionWorker (the window's thread), through
// that thread's event loop. Nothing on the owner's thread ever waits for a
// task, and no thread is started per query or parked per reply.
//
//   SessionWorker worker;                                   // on the window's thread
//   worker.setInterrupt([&session] { session.close(); });   // what wakes a blocked call
//   worker.post(this,
//       [&session, query] { return SessionRun::run(session, query, ...); },  // worker thread
//       [this](int code) { showReply(code); });             // window's thread, while `this` lives
//   worker.cancel();                                        // the running task gives up
//
// Cancelling: every task runs under a kdb::CancelScope, so the client
// library's socket waits (TCP connect, handshake, TLS set-up and probe,
// reads) give up within a few tens of milliseconds once cancel() is called;
// a query blocked on an open handle is woken by closing the handle (kclose),
// which the owner does itself (the session's close, or the interrupt).
//
// Destruction drops the tasks not yet started, cancels the running one, runs
// the interrupt and joins the thread: it returns as soon as the running task
// gives up. Results of tasks that end after their context object (or the
// worker) is gone are dropped; a result's destruction then runs on the owner's
// thread. The worker thread calls m9() after every task.
//
// Tasks may touch only what outlives the worker (the session it serves,
// copies of settings); widgets and other window-thread objects are reached
// only from the `done` callbacks.
#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

class QThread;

class SessionWorker : public QObject {
    Q_OBJECT
public:
    // A thread-safe way to post work to a worker that may be gone by then;
    // the reply registry keeps one per held reply.
    class Poster {
    public:
        Poster() = default;
        // Queues work (meant for releasing memory) to run on the worker
        // thread even when the worker is being destroyed; false (and work
        // not taken) when the worker is gone or already stopped.
        bool post(std::function<void()> work) const;
        // Whether the calling thread is this worker's thread.
        bool isWorkerThread() const;

    private:
        friend class SessionWorker;
        struct Core;
        explicit Poster(std::weak_ptr<Core> core) : m_core(std::move(core)) {}
        std::weak_ptr<Core> m_core;
    };

    explicit SessionWorker(QObject* parent = nullptr);
    ~SessionWorker() override;
    SessionWorker(const SessionWorker&) = delete;
    SessionWorker& operator=(const SessionWorker&) = delete;

    // A task's own cancel flag: set, the task gives up its kdb waits if it
    // runs, or starts cancelled if it has not started yet. Other tasks are
    // not touched.
    using CancelFlag = std::shared_ptr<std::atomic<bool>>;

    // Runs work() on the worker thread, then done(result) (done() for work
    // returning void) on the owner's thread, unless context is gone by then.
    template <class Work, class Done>
    CancelFlag post(const QObject* context, Work work, Done done);
    // Runs work on the worker thread; nothing comes back.
    void post(std::function<void()> work);

    // Called on the owner's thread by cancelAll() and the destructor, after
    // the running task's cancel flag is set: closes what a task may be
    // blocked on.
    void setInterrupt(std::function<void()> interrupt) { m_interrupt = std::move(interrupt); }

    // The running task (or, before it has started, the first one posted)
    // gives up its kdb waits; the other queued tasks still run.
    void cancel();
    // Queued tasks are dropped, the running one is cancelled and interrupted.
    void cancelAll();

    // From a task, on the worker thread: runs fn on the owner's thread (a
    // progress report such as a query's echo). fn checks its own context.
    void report(std::function<void()> fn) { deliver(std::move(fn)); }

    // A task runs or waits to run.
    bool isBusy() const;
    Poster poster() const;
    bool isWorkerThread() const;

    // Worker threads alive in the process (all sessions).
    static int liveThreads();

private:
    CancelFlag enqueue(std::function<void()> task);
    void deliver(std::function<void()> done);

    std::shared_ptr<Poster::Core> m_core;
    QThread* m_thread = nullptr;
    std::function<void()> m_interrupt;
};

template <class Work, class Done>
SessionWorker::CancelFlag SessionWorker::post(const QObject* context, Work work, Done done)
{
    using Result = std::invoke_result_t<Work&>;
    QPointer<const QObject> guard(context);
    auto shared = std::make_shared<Done>(std::move(done));
    return enqueue([this, guard, work = std::move(work), shared]() mutable {
        if constexpr (std::is_void_v<Result>) {
            work();
            deliver([guard, shared] {
                if (guard)
                    (*shared)();
            });
        } else {
            auto result = std::make_shared<Result>(work());
            deliver([guard, shared, result] {
                if (guard)
                    (*shared)(std::move(*result));
            });
        }
    });
}

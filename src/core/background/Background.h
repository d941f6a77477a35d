// The one way to run work off the window's thread.
//
//   BackgroundTask task = Background::run(this,
//       [copyOfWhatItNeeds] { return compute(copyOfWhatItNeeds); },  // a worker thread
//       [this](Result r) { show(std::move(r)); });                   // this object's thread
//   task.onCancel([connection] { connection->interrupt(); });       // optional: wakes a blocked call
//   task.cancel();                                                   // the result is dropped
//
// Ownership: the work owns what it captured (copies, shared pointers); the
// window's objects are reached only from `done`, which runs on the thread
// the context object lives on, and only while that object lives. A worker
// never holds a pointer to a window object.
//
// A result is dropped (destroyed on the worker, `done` not called) when the
// task was cancelled, when the context object was destroyed first, or when
// Background::shutdown() has run. Cancelling sets the task's flag, which the
// kdb client library's socket waits watch (they give up within a few tens of
// milliseconds), and runs the task's interrupt once on the cancelling thread.
//
// Exit: Background::shutdown() cancels everything, waits a bounded time for
// the workers and abandons the ones still busy; their threads are detached
// and their results dropped. Nothing ever joins a worker.
#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace background {
struct Control;
// Queues job on a worker thread, where it runs under the task's cancel flag.
void submit(const std::shared_ptr<Control>& control, std::function<void()> job);
// From the worker: posts fn to the task's context thread unless the result
// is to be dropped; fn runs there only if it still is not. False: dropped.
bool deliver(const std::shared_ptr<Control>& control, std::function<void()> fn);
std::shared_ptr<Control> makeControl(const QObject* context);
// On a worker: runs job now, under the task's flag (skipped when cancelled).
void runItem(const std::shared_ptr<Control>& control, std::function<void()> job);

// The job that runs work and delivers its result (also used by SerialQueue).
// `done` is destroyed on the worker when the result is dropped: it captures
// only pointers and values, never something whose destruction must happen on
// the window's thread.
template <class Work, class Done>
std::function<void()> job(const std::shared_ptr<Control>& control, Work work, Done done)
{
    using Result = std::invoke_result_t<Work&>;
    auto sharedDone = std::make_shared<Done>(std::move(done));
    auto sharedWork = std::make_shared<Work>(std::move(work));
    std::weak_ptr<Control> weak = control;
    return [weak, sharedWork, sharedDone] {
        if constexpr (std::is_void_v<Result>) {
            (*sharedWork)();
            if (auto c = weak.lock())
                deliver(c, [sharedDone] { (*sharedDone)(); });
        } else {
            auto result = std::make_shared<Result>((*sharedWork)());
            if (auto c = weak.lock())
                deliver(c, [sharedDone, result] { (*sharedDone)(std::move(*result)); });
        }
    };
}
} // namespace background

// A handle on one submitted piece of work; copies share it. An empty handle
// refers to nothing (cancel() does nothing).
class BackgroundTask {
public:
    BackgroundTask() = default;
    explicit BackgroundTask(std::shared_ptr<background::Control> control) : m_control(std::move(control)) {}

    // The work's kdb waits give up, the interrupt runs (once) and the result
    // is dropped. Harmless when the task ended or was cancelled already.
    void cancel() const;
    // Runs on the cancelling thread when the task is cancelled (at once when
    // it already is); it must be safe against the work running meanwhile.
    void onCancel(std::function<void()> interrupt) const;
    bool isCancelled() const;
    // The work has returned (or was dropped without running).
    bool isFinished() const;
    explicit operator bool() const { return m_control != nullptr; }
    bool operator==(const BackgroundTask& other) const { return m_control == other.m_control; }

private:
    std::shared_ptr<background::Control> m_control;
};

class Background {
public:
    // Runs work() on a worker thread, then done(result) (done() for void
    // work) on context's thread, unless the result is dropped (see above).
    // Call it on context's thread.
    template <class Work, class Done>
    static BackgroundTask run(const QObject* context, Work work, Done done);
    // Fire and forget: nothing comes back.
    static BackgroundTask run(std::function<void()> work);

    // From inside a running work: fn runs on the task's context thread (a
    // progress report), under the same drop rules as the result.
    static void report(std::function<void()> fn);
    // Inside a running work: whether its task has been cancelled.
    static bool cancelled();

    // At exit, on the window's thread: refuses new work, cancels all tasks,
    // waits up to `wait` for the workers, then abandons the rest. Returns
    // the number of works abandoned while still running.
    static int shutdown(std::chrono::milliseconds wait = std::chrono::milliseconds(500));
    static bool isShutDown();

    // Works running now, process-wide (for tests and diagnostics).
    static int busyWorkers();
    // Worker threads alive, busy or idle.
    static int liveThreads();

private:
    friend class SerialQueue;
    // Delivery through the task running now on this thread.
    static std::shared_ptr<background::Control> current();
};

template <class Work, class Done>
BackgroundTask Background::run(const QObject* context, Work work, Done done)
{
    std::shared_ptr<background::Control> control = background::makeControl(context);
    background::submit(control, background::job(control, std::move(work), std::move(done)));
    return BackgroundTask(std::move(control));
}

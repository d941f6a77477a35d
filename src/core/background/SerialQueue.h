// Tasks that must not overlap (the messages of one connection) run one at a
// time, in the order posted, on the workers of Background. Each post is a
// task of its own, with the same rules: it may be cancelled, its result goes
// to its context object on that object's thread and is dropped when that
// object is gone.
//
// Destroying the queue drops the tasks not started and cancels the running
// one (its interrupt runs); it does not wait for it. The running work owns
// what it captured, so it may finish after the queue is gone; its result is
// dropped.
#pragma once

#include "core/background/Background.h"

#include <deque>
#include <memory>
#include <mutex>

class SerialQueue {
public:
    SerialQueue();
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    template <class Work, class Done>
    BackgroundTask post(const QObject* context, Work work, Done done)
    {
        std::shared_ptr<background::Control> control = background::makeControl(context);
        enqueue(control, background::job(control, std::move(work), std::move(done)));
        return BackgroundTask(std::move(control));
    }
    // Nothing comes back.
    BackgroundTask post(std::function<void()> work);

    // Every task posted and not yet finished is cancelled.
    void cancelAll();
    // A task runs or waits to run.
    bool isBusy() const;

private:
    struct State;
    void enqueue(const std::shared_ptr<background::Control>& control, std::function<void()> job);

    std::shared_ptr<State> m_state;
};

#include "core/background/SerialQueue.h"

struct SerialQueue::State : std::enable_shared_from_this<SerialQueue::State> {
    struct Item {
        BackgroundTask task;
        std::shared_ptr<background::Control> control;
        std::function<void()> job;
    };
    mutable std::mutex mutex;
    std::deque<Item> items;
    BackgroundTask running;
    bool draining = false;

    // One worker job runs the queue's items until it is empty.
    void drain()
    {
        for (;;) {
            Item item;
            {
                std::lock_guard lock(mutex);
                if (items.empty() || Background::isShutDown()) {
                    draining = false;
                    running = BackgroundTask();
                    items.clear();
                    return;
                }
                item = std::move(items.front());
                items.pop_front();
                running = item.task;
            }
            background::runItem(item.control, std::move(item.job));
        }
    }
};

SerialQueue::SerialQueue() : m_state(std::make_shared<State>()) {}

SerialQueue::~SerialQueue() { cancelAll(); }

BackgroundTask SerialQueue::post(std::function<void()> work)
{
    std::shared_ptr<background::Control> control = background::makeControl(nullptr);
    enqueue(control, std::move(work));
    return BackgroundTask(std::move(control));
}

void SerialQueue::enqueue(const std::shared_ptr<background::Control>& control, std::function<void()> job)
{
    bool start = false;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->items.push_back({BackgroundTask(control), control, std::move(job)});
        start = !m_state->draining;
        m_state->draining = true;
    }
    if (start)
        Background::run([state = m_state] { state->drain(); });
}

void SerialQueue::cancelAll()
{
    std::deque<State::Item> dropped;
    BackgroundTask running;
    {
        std::lock_guard lock(m_state->mutex);
        dropped.swap(m_state->items);
        running = m_state->running;
    }
    for (State::Item& item : dropped)
        item.task.cancel();
    running.cancel();
}

bool SerialQueue::isBusy() const
{
    std::lock_guard lock(m_state->mutex);
    return !m_state->items.empty() || (m_state->running && !m_state->running.isFinished());
}

#include "query/SubscriptionFeed.h"

#include "query/Subscription.h"

SubscriptionFeed::SubscriptionFeed(QObject* parent) : QObject(parent) {}

SubscriptionFeed::~SubscriptionFeed() { stop(); }

void SubscriptionFeed::start(int handle)
{
    stop();
    m_handle = handle;
    m_running = true;
    m_thread = std::thread([this, handle] { read(handle); });
}

void SubscriptionFeed::closeHandle()
{
    const int handle = m_handle.exchange(-1);
    if (handle > 0)
        kclose(handle);
}

void SubscriptionFeed::stop()
{
    closeHandle();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    m_latest.reset();
    m_notified = false;
}

void SubscriptionFeed::read(int handle)
{
    for (;;) {
        KPtr message(k(handle, static_cast<const char*>(nullptr)));
        K data = nullptr;
        const Subscription::Message kind = Subscription::classify(message.get(), &data);
        if (kind == Subscription::Message::Stop)
            break;
        if (kind == Subscription::Message::Skip)
            continue;
        ++m_updates;
        bool notify = false;
        KPtr superseded;
        {
            std::lock_guard lock(m_mutex);
            superseded = std::move(m_latest);
            m_latest = KPtr(r1(data));
            notify = !m_notified;
            m_notified = true;
        }
        if (superseded)
            ++m_dropped;
        if (notify)
            emit updateReady();
    }
    closeHandle();
    m_running = false;
    m9();
    emit ended();
}

KPtr SubscriptionFeed::takeLatest()
{
    std::lock_guard lock(m_mutex);
    m_notified = false;
    return std::move(m_latest);
}

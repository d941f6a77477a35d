#include "kdb/BackgroundSink.h"

#include <cstring>

namespace kdb {

BackgroundSink::BackgroundSink(Serializer::Sink& target)
    : m_target(target)
    , m_thread([this] { run(); })
{
}

BackgroundSink::~BackgroundSink()
{
    {
        std::unique_lock lock(m_mutex);
        waitIdle(lock);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool BackgroundSink::write(const char* data, std::size_t size)
{
    {
        std::unique_lock lock(m_mutex);
        waitIdle(lock);
        if (m_failed)
            return false;
        if (size && size <= kCopiedMax) {
            std::memcpy(m_copy, data, size);
            data = m_copy;
        }
        m_data = data;
        m_size = size;
        m_pending = true;
    }
    m_changed.notify_all();
    return true;
}

bool BackgroundSink::finish()
{
    std::unique_lock lock(m_mutex);
    waitIdle(lock);
    return !m_failed;
}

void BackgroundSink::waitIdle(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait(lock, [this] { return !m_pending; });
}

void BackgroundSink::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_pending || m_stop; });
        if (!m_pending)
            return;
        const char* data = m_data;
        const std::size_t size = m_size;
        lock.unlock();
        const bool ok = m_target.write(data, size);
        lock.lock();
        if (!ok)
            m_failed = true;
        m_pending = false;
        m_changed.notify_all();
    }
}

} // namespace kdb

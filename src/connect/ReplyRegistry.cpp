#include "connect/ReplyRegistry.h"

#include <optional>

ReplyRegistry& ReplyRegistry::instance()
{
    static ReplyRegistry registry;
    return registry;
}

void ReplyRegistry::insert(K value, SessionWorker::Poster home)
{
    std::lock_guard lock(m_mutex);
    m_homes.insert(value, std::move(home));
}

bool ReplyRegistry::contains(K value) const
{
    std::lock_guard lock(m_mutex);
    return m_homes.contains(value);
}

int ReplyRegistry::size() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_homes.size());
}

void ReplyRegistry::freeOn(const SessionWorker::Poster& home, K value)
{
    if (home.isWorkerThread() || !home.post([value] { r0(value); }))
        r0(value);
}

void ReplyRegistry::release(K value)
{
    if (!value)
        return;
    ReplyRegistry& registry = instance();
    const bool last = value->r == 0 || (value->r == 1 && value->t >= KUNARY && value->t <= KTERNARY);
    if (last) {
        // Forgotten before it is freed: its address may come back for another reply.
        std::optional<SessionWorker::Poster> home;
        {
            std::lock_guard lock(registry.m_mutex);
            const auto it = registry.m_homes.find(value);
            if (it != registry.m_homes.end()) {
                home = *it;
                registry.m_homes.erase(it);
            }
        }
        if (home) {
            freeOn(*home, value);
            return;
        }
    }
    r0(value);
}

bool ReplyRegistry::takeBack(K value)
{
    SessionWorker::Poster home;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_homes.find(value);
        if (it == m_homes.end())
            return false;
        home = *it;
        m_homes.erase(it);
    }
    freeOn(home, value);
    return true;
}

#include "connect/ReplyRegistry.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

ReplyRegistry::ReplyRegistry()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        moveToThread(app->thread());
}

ReplyRegistry& ReplyRegistry::instance()
{
    static ReplyRegistry registry;
    return registry;
}

void ReplyRegistry::insert(K value, std::shared_ptr<ReplyGate> gate)
{
    std::lock_guard lock(m_mutex);
    m_gates.insert(value, std::move(gate));
}

bool ReplyRegistry::contains(K value) const
{
    std::lock_guard lock(m_mutex);
    return m_gates.contains(value);
}

int ReplyRegistry::size() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_gates.size());
}

void ReplyRegistry::release(K value)
{
    if (!value)
        return;
    ReplyRegistry& registry = instance();
    const bool last = value->r == 0 || (value->r == 1 && value->t >= KUNARY && value->t <= KTERNARY);
    if (last && registry.contains(value)) {
        const auto key = reinterpret_cast<quintptr>(value);
        QMetaObject::invokeMethod(&registry, [key] { instance().releaseRegistered(key); }, Qt::QueuedConnection);
        return;
    }
    r0(value);
}

void ReplyRegistry::releaseRegistered(quintptr value)
{
    // Forgotten before the gate opens: once open, the worker frees the value
    // and its address may come back for another reply.
    std::shared_ptr<ReplyGate> gate;
    {
        std::lock_guard lock(m_mutex);
        gate = m_gates.take(reinterpret_cast<K>(value));
    }
    if (gate)
        gate->release();
}

bool ReplyRegistry::takeIfGate(K value, const ReplyGate* gate)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_gates.find(value);
    if (it == m_gates.end() || it->get() != gate)
        return false;
    m_gates.erase(it);
    return true;
}

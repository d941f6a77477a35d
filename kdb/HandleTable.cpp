#include "kdb/HandleTable.h"

#include "kdb/Connection.h"

namespace kdb {

HandleTable& HandleTable::instance()
{
    static HandleTable table;
    return table;
}

int HandleTable::add(std::shared_ptr<Connection> connection)
{
    std::lock_guard lock(m_mutex);
    int handle = 1;
    for (const auto& entry : m_connections) {
        if (entry.first != handle)
            break;
        ++handle;
    }
    m_connections.emplace(handle, std::move(connection));
    return handle;
}

std::shared_ptr<Connection> HandleTable::find(int handle) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_connections.find(handle);
    return it == m_connections.end() ? nullptr : it->second;
}

std::shared_ptr<Connection> HandleTable::remove(int handle)
{
    std::lock_guard lock(m_mutex);
    auto it = m_connections.find(handle);
    if (it == m_connections.end())
        return nullptr;
    auto connection = std::move(it->second);
    m_connections.erase(it);
    return connection;
}

} // namespace kdb

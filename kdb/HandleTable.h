// Maps the small positive integers that the C calls use as handles to
// connections. Thread-safe; a connection lives while a call still uses it.
#pragma once

#include <map>
#include <memory>
#include <mutex>

namespace kdb {

class Connection;

class HandleTable {
public:
    static HandleTable& instance();

    // The smallest free handle, as the system does with file descriptors.
    int add(std::shared_ptr<Connection> connection);
    std::shared_ptr<Connection> find(int handle) const;
    std::shared_ptr<Connection> remove(int handle);

private:
    mutable std::mutex m_mutex;
    std::map<int, std::shared_ptr<Connection>> m_connections;
};

} // namespace kdb

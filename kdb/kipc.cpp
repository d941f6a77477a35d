// The published IPC calls over Connection and HandleTable.
#include "kdb/Connection.h"
#include "kdb/HandleTable.h"
#include "kdb/TlsClientContext.h"
#include "kdb/k.h"
#include "kdb/kerror.h"

#include <cstdarg>
#include <vector>

using kdb::Connection;
using kdb::HandleTable;

I khp(const char* host, I port) { return khpun(host, port, "", 0); }
I khpu(const char* host, I port, const char* usrpwd) { return khpun(host, port, usrpwd, 0); }
I khpun(const char* host, I port, const char* usrpwd, I timeoutMs) { return khpunc(host, port, usrpwd, timeoutMs, 0); }

I khpunc(const char* host, I port, const char* usrpwd, I timeoutMs, I capability)
{
    std::shared_ptr<Connection> connection;
    int rc = Connection::open(host ? host : "", port, usrpwd ? usrpwd : "", timeoutMs, capability, connection);
    if (rc != Connection::Opened)
        return rc;
    return HandleTable::instance().add(std::move(connection));
}

V kclose(I handle)
{
    if (auto connection = HandleTable::instance().remove(handle < 0 ? -handle : handle))
        connection->shutdown(); // wakes a thread blocked on it; the socket closes with the last user
}

K k(I handle, const char* query, ...)
{
    // The arguments belong to us from here on, whatever happens.
    std::vector<K> args;
    if (query) {
        va_list list;
        va_start(list, query);
        while (K arg = va_arg(list, K))
            args.push_back(arg);
        va_end(list);
    }
    auto release = [&args] {
        for (K arg : args)
            r0(arg);
    };
    auto connection = handle == 0 ? nullptr : HandleTable::instance().find(handle < 0 ? -handle : handle);
    if (!connection) {
        release();
        kdb::setLastError("invalid handle");
        return nullptr;
    }
    if (!query)
        return handle > 0 ? connection->next() : ka(KUNARY);

    K message;
    if (args.empty()) {
        message = kp(query);
    } else {
        message = ktn(0, static_cast<J>(args.size() + 1));
        kK(message)[0] = kp(query);
        for (std::size_t i = 0; i < args.size(); ++i)
            kK(message)[i + 1] = args[i];
        args.clear(); // now owned by message
    }
    K result = handle > 0 ? connection->sync(message) : connection->async(message);
    r0(message);
    return result;
}

K sslInfo(K) { return kdb::TlsClientContext::info(); }

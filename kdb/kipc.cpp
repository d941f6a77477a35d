// The published IPC calls over Connection and HandleTable.
#include "kdb/Connection.h"
#include "kdb/HandleTable.h"
#include "kdb/KPtr.h"
#include "kdb/TlsClientContext.h"
#include "kdb/k.h"
#include "kdb/kbounds.h"
#include "kdb/kerror.h"

#include <cstdarg>
#include <new>
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

bool kdb::setQueryTimeout(I handle, I ms)
{
    auto connection = handle == 0 ? nullptr : HandleTable::instance().find(handle < 0 ? -handle : handle);
    if (!connection)
        return false;
    connection->setQueryTimeout(ms > 0 ? ms : 0);
    return true;
}

V kclose(I handle)
{
    if (auto connection = HandleTable::instance().remove(handle < 0 ? -handle : handle))
        connection->shutdown(); // wakes a thread blocked on it; the socket closes with the last user
}

namespace {
K query(I handle, const char* query, std::vector<K>& args);
}

K k(I handle, const char* text, ...)
{
    // The arguments belong to us from here on, whatever happens.
    std::vector<K> args;
    if (text) {
        va_list list;
        va_start(list, text);
        while (K arg = va_arg(list, K)) {
            try {
                args.push_back(arg);
            } catch (const std::bad_alloc&) {
                r0(arg); // the rest are released below, as the list is read on
            }
        }
        va_end(list);
    }
    // Memory running out anywhere in the call becomes an error value: the
    // library never ends the process.
    try {
        return query(handle, text, args);
    } catch (const std::bad_alloc&) {
        for (K arg : args)
            r0(arg);
        return kdb::localError("wsfull");
    }
}

namespace {
K query(I handle, const char* query, std::vector<K>& args)
{
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

    KPtr text(kp(query));
    KPtr message;
    if (args.empty()) {
        message = std::move(text);
    } else {
        message = KPtr(ktn(0, static_cast<J>(args.size() + 1)));
        kK(message.get())[0] = text.release();
        for (std::size_t i = 0; i < args.size(); ++i)
            kK(message.get())[i + 1] = args[i];
        args.clear(); // now owned by message
    }
    return handle > 0 ? connection->sync(message.get()) : connection->async(message.get());
}
} // namespace

K sslInfo(K) { return kdb::TlsClientContext::info(); }

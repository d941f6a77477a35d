// A service channel over a connection handle borrowed from a session: one
// synchronous call per query. The handle is never closed here.
#pragma once

#include "explorer/ServiceChannel.h"

#include <functional>

class HandleChannel : public ServiceChannel {
public:
    explicit HandleChannel(int handle) : m_handle([handle] { return handle; }) {}
    // The handle is read at each call (a session's current one).
    explicit HandleChannel(std::function<int()> handle) : m_handle(std::move(handle)) {}
    K call(const QString& text) override;

private:
    std::function<int()> m_handle;
};

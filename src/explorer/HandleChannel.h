// A service channel over a connection handle borrowed from a session: one
// synchronous call per query. The handle is never closed here.
#pragma once

#include "explorer/ServiceChannel.h"

class HandleChannel : public ServiceChannel {
public:
    explicit HandleChannel(int handle) : m_handle(handle) {}
    K call(const QString& text) override;

private:
    int m_handle;
};

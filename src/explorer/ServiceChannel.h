// How a namespace load reaches the instance: one synchronous call per service
// query on the connection it shares with the user's queries.
#pragma once

#include "kdb/k.h"

#include <QString>

class ServiceChannel {
public:
    virtual ~ServiceChannel() = default;
    // The reply (owned by the caller; type -128 for a q error), or null when
    // the connection failed, with failureText() saying why.
    virtual K call(const QString& text) = 0;
    // The console text of the failure of the last null call.
    virtual QString failureText() const;
};

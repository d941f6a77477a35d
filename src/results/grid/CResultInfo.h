// Where and when a shown value came from: kept by every grid, the history and
// the stash.
#pragma once

#include <QString>

#include <cstdint>

struct CResultInfo {
    std::int32_t roundtrip = 0; // milliseconds
    std::int64_t size = 0;      // bytes of the reply
    QString server;
    QString query;
    QString received; // "%#c GMT" in UTC

    // The current time in UTC in the long date-and-time form, e.g.
    // "Tuesday, March 14, 2023 10:15:30 GMT".
    static QString receivedNow();

    bool operator==(const CResultInfo&) const = default;
};

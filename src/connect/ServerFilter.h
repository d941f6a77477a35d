// The server explorer's filter: a text cut at each "*" whose pieces must all
// occur, in order, in an entry's "name(symbol)" text, ignoring case.
#pragma once

#include <QString>

struct ServerEntry;

class ServerFilter {
public:
    // Whether every non-empty piece of filter occurs in text, each after the
    // previous one; no anchoring at either end. Both are compared in upper case.
    static bool matches(const QString& filter, const QString& text);
    // Whether the tree shows entry under filter: always for an empty filter,
    // else when its "name(symbol)" matches or its symbol is the current
    // server text (ignoring case).
    static bool admits(const QString& filter, const ServerEntry& entry, const QString& currentServer);
};

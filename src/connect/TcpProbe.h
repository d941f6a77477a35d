// The reachability check before a connect: a plain TCP connection, opened and
// closed again. Events keep being processed while it waits.
#pragma once

#include <QString>

class TcpProbe {
public:
    static bool reachable(const QString& host, int port, int timeoutMs);
};

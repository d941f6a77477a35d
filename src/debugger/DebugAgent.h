// The debugger agent: a q script kept as a resource and sent to an instance
// unchanged, as one query, when the instance lacks it.
#pragma once

#include <QByteArray>

class DebugAgent {
public:
    // The script's bytes exactly as they are sent (UTF-8 q source).
    static QByteArray script();
};

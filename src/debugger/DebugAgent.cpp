#include "debugger/DebugAgent.h"

#include <QFile>

// Resources of a static library need an explicit initialisation.
static void initDebuggerResources()
{
    Q_INIT_RESOURCE(debugger);
}

QByteArray DebugAgent::script()
{
    static const QByteArray bytes = [] {
        initDebuggerResources();
        QFile file(QStringLiteral(":/debugger/agent.q"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return bytes;
}

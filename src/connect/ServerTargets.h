// Server list entries for programs without a window (tovo-cli): listing the
// home folder's Servers.cfg and connecting to an entry by its name path as a
// connect from the window would, with questions turned into errors.
#pragma once

#include "connect/ServerList.h"

#include <QList>
#include <QString>

class ServerTargets {
public:
    // The home folder when none is given: the program's folder, or the
    // per-user application-data folder when that one is not writable.
    static QString defaultHomeFolder();
    // "Production/ticker" or "`Production`ticker" -> "`Production`ticker".
    static QString namePathOf(const QString& text);

    // The entries of home's Servers.cfg in file order; a missing file has
    // none (and is not created).
    static bool list(const QString& home, QList<ServerEntry>* entries, QString* error);

    struct Options {
        bool tls = false;    // EnableTLS for this connect, whatever the settings say
        int timeoutMs = -1;  // -1: ConnectTimeoutSec from the settings
        QString profile;
    };
    // Resolves the name path in home's Servers.cfg and connects with the
    // stored settings (DefUser, DefPass, AuthMethod, plug-ins of home). A
    // handle > 0, or the library's result with error set.
    static int open(const QString& home, const QString& namePath, const Options& options, QString* symbol,
                    QString* error);
};

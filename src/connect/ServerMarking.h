// Which server list entries are the current server, and the window title
// made from their name paths.
#pragma once

#include <QList>
#include <QString>

class ServerList;
struct ServerEntry;

class ServerMarking {
public:
    // The form both sides are compared in: a colon appended when the text
    // does not end with one, then normalised as a connection symbol.
    static QString key(const QString& symbol);
    static bool sameServer(const QString& symbol, const QString& currentServer);

    // Line numbers of the entries whose symbol is the current server.
    static QList<int> markedLines(const QList<ServerEntry>& entries, const QString& currentServer);
    // The name paths of the marked entries, backquotes trimmed at both ends and
    // the inner ones made backslashes, one a line. When none is marked, the
    // first entry of the map equal in upper case without trailing colons gives
    // its name path with every backquote a backslash. Empty when disconnected.
    static QString title(const ServerList& list, const QString& currentServer);
};

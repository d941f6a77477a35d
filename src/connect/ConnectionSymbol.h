// Connection symbols: q's handle syntax with credentials,
// backquote, colon, host, colon, port, colon, user, colon, password.
#pragma once

#include <QString>

struct ConnectionTarget {
    QString host;
    int port = 0;
    QString credentials; // normally user:password; the password may hold colons
    bool hasPort = false;
};

class ConnectionSymbol {
public:
    // The symbol the connection dialog stores: all four fields, an empty port
    // when port is 0, trailing white space trimmed.
    static QString compose(const QString& host, int port, const QString& user, const QString& password);
    // A leading backquote and colon, so "host:port" and "`host:port" both
    // become "`:host:port". An empty text stays empty.
    static QString normalise(const QString& text);
    static ConnectionTarget parse(const QString& symbol);
    // The symbol with its password, if any, shown as "***": for trees,
    // tooltips and titles.
    static QString masked(const QString& symbol);
};

#include "connect/ServerMarking.h"

#include "connect/ConnectionSymbol.h"
#include "connect/ServerList.h"

namespace {
QString withoutTrailingColons(QString text)
{
    while (text.endsWith(u':'))
        text.chop(1);
    return text;
}

QString trimmedTitle(QString text)
{
    static const QString blanks = QStringLiteral(" \t\r\n");
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blanks.contains(text.at(from)))
        ++from;
    while (to > from && blanks.contains(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}
} // namespace

QString ServerMarking::key(const QString& symbol)
{
    if (symbol.isEmpty())
        return QString();
    return ConnectionSymbol::normalise(symbol.endsWith(u':') ? symbol : symbol + u':');
}

bool ServerMarking::sameServer(const QString& symbol, const QString& currentServer)
{
    return !currentServer.isEmpty() && key(symbol) == key(currentServer);
}

QList<int> ServerMarking::markedLines(const QList<ServerEntry>& entries, const QString& currentServer)
{
    QList<int> lines;
    if (currentServer.isEmpty())
        return lines;
    const QString current = key(currentServer);
    for (const ServerEntry& entry : entries)
        if (key(entry.symbol) == current)
            lines.append(entry.line);
    return lines;
}

QString ServerMarking::title(const ServerList& list, const QString& currentServer)
{
    if (currentServer.isEmpty())
        return QString();
    const QString current = key(currentServer);
    QStringList paths;
    for (const ServerEntry& entry : list.entries()) {
        if (key(entry.symbol) != current)
            continue;
        QString path = entry.namePath;
        while (path.startsWith(u'`'))
            path.remove(0, 1);
        while (path.endsWith(u'`'))
            path.chop(1);
        paths.append(path.replace(u'`', u'\\'));
    }
    if (!paths.isEmpty())
        return trimmedTitle(paths.join(u'\n'));
    const QString upper = withoutTrailingColons(current.toUpper());
    for (const ServerEntry& entry : list.entries()) {
        if (withoutTrailingColons(key(list.symbolFor(entry.namePath)).toUpper()) == upper)
            return trimmedTitle(QString(entry.namePath).replace(u'`', u'\\'));
    }
    return QString();
}

#include "connect/ServerFilter.h"

#include "connect/ServerList.h"

bool ServerFilter::matches(const QString& filter, const QString& text)
{
    const QString upperText = text.toUpper();
    qsizetype from = 0;
    for (const QString& piece : filter.toUpper().split(u'*', Qt::SkipEmptyParts)) {
        const qsizetype at = upperText.indexOf(piece, from);
        if (at < 0)
            return false;
        from = at + piece.size();
    }
    return true;
}

bool ServerFilter::admits(const QString& filter, const ServerEntry& entry, const QString& currentServer)
{
    if (filter.isEmpty())
        return true;
    if (!currentServer.isEmpty() && entry.symbol.compare(currentServer, Qt::CaseInsensitive) == 0)
        return true;
    return matches(filter, entry.name() + u'(' + entry.symbol + u')');
}

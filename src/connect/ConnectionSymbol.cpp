#include "connect/ConnectionSymbol.h"

#include <climits>

QString ConnectionSymbol::compose(const QString& host, int port, const QString& user, const QString& password)
{
    QString text = port != 0 ? QStringLiteral("`:%1:%2:%3:%4").arg(host).arg(port).arg(user, password)
                             : QStringLiteral("`:%1::%2:%3").arg(host, user, password);
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

QString ConnectionSymbol::normalise(const QString& text)
{
    if (text.isEmpty())
        return text;
    QString out = text.startsWith(u'`') ? text : u'`' + text;
    if (out.size() < 2 || out.at(1) != u':')
        out = QStringLiteral("`:") + out.mid(1);
    return out;
}

namespace {
// Leading decimal digits, as atoi reads them; saturates instead of overflowing.
int leadingNumber(QStringView text)
{
    long long value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}
} // namespace

ConnectionTarget ConnectionSymbol::parse(const QString& symbol)
{
    ConnectionTarget target;
    qsizetype colon = symbol.indexOf(u':', 1);
    QString host = colon < 0 ? symbol : symbol.left(colon);
    if (colon >= 0 && (host.isEmpty() || host == QStringLiteral("`"))) {
        colon = symbol.indexOf(u':', colon + 1);
        host = colon < 0 ? symbol : symbol.left(colon);
    }
    if (host.startsWith(u'`')) {
        qsizetype from = 0;
        qsizetype to = host.size();
        while (from < to && (host.at(from) == u'`' || host.at(from) == u':'))
            ++from;
        while (to > from && (host.at(to - 1) == u'`' || host.at(to - 1) == u':'))
            --to;
        host = host.mid(from, to - from);
    }
    target.host = host;
    if (colon < 0)
        return target;
    target.hasPort = true;
    const qsizetype portEnd = symbol.indexOf(u':', colon + 1);
    target.port = leadingNumber(QStringView(symbol).mid(colon + 1, portEnd < 0 ? -1 : portEnd - colon - 1));
    if (portEnd >= 0)
        target.credentials = symbol.mid(portEnd + 1);
    return target;
}

QString ConnectionSymbol::masked(const QString& symbol)
{
    const QString credentials = parse(symbol).credentials;
    const qsizetype colon = credentials.indexOf(u':');
    if (colon < 0 || colon + 1 >= credentials.size())
        return symbol;
    const qsizetype password = credentials.size() - colon - 1;
    return symbol.left(symbol.size() - password) + QStringLiteral("***");
}

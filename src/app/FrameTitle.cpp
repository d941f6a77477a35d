#include "app/FrameTitle.h"

#include <QRegularExpression>

QString FrameTitle::hostPort(const QString& serverText)
{
    static const QRegularExpression colons(QStringLiteral(":+"));
    const QStringList tokens = serverText.split(colons);
    qsizetype at = 0;
    if (!tokens.isEmpty() && (tokens[0].isEmpty() || tokens[0] == QStringLiteral("`")))
        at = 1;
    QString host = tokens.value(at);
    if (host.startsWith(u'`')) {
        while (!host.isEmpty() && (host.front() == u'`' || host.front() == u':'))
            host.remove(0, 1);
        while (!host.isEmpty() && (host.back() == u'`' || host.back() == u':'))
            host.chop(1);
    }
    return host + u':' + tokens.value(at + 1);
}

QString FrameTitle::frameTitle(const QString& serverText, const QString& serverTitle)
{
    if (serverText.isEmpty())
        return QStringLiteral("Tovo");
    QString text = hostPort(serverText);
    if (!serverTitle.isEmpty()) {
        QString title = serverTitle;
        title.replace(QStringLiteral("\r\n"), QStringLiteral(" | "));
        title.replace(u'\n', QStringLiteral(" | "));
        text += QStringLiteral(" (") + title + u')';
    }
    return QStringLiteral("Tovo - ") + text;
}

QString FrameTitle::caption(const QString& documentName, const QString& frameTitle)
{
    return documentName.isEmpty() ? frameTitle : documentName + QStringLiteral(" - ") + frameTitle;
}

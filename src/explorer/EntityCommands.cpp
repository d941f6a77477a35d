#include "explorer/EntityCommands.h"

#include "explorer/CQEntity.h"

QString EntityCommands::sourceText(const QString& fullName, const QString& definition)
{
    QString name = fullName;
    QString body = definition;
    if (body.startsWith(QStringLiteral("k)"))) {
        body.remove(0, 2);
        name.prepend(QStringLiteral("k)"));
    }
    // The editor keeps LF line ends; a CR from the reply would show as a break too.
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return name + u':' + body + QStringLiteral(";\n\n");
}

QString EntityCommands::deleteQuery(const CQEntity& entity)
{
    QString from = QStringLiteral("`.") + entity.nameSpace();
    from.replace(QStringLiteral("`.."), QStringLiteral("`."));
    return QStringLiteral("delete ") + entity.shortName() + QStringLiteral(" from ") + from;
}

QString EntityCommands::deleteQuestion(const QString& query)
{
    return QStringLiteral("You are about to ") + query + QStringLiteral("\n Are you absolutely sure???");
}

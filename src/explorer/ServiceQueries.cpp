#include "explorer/ServiceQueries.h"

using namespace ServiceQueryTexts;

bool ServiceQueries::isPlainIdentifier(const QString& name)
{
    if (name.isEmpty() || !name.at(0).isLetter())
        return false;
    for (const QChar c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('_'))
            return false;
    return true;
}

namespace {
QString quotedList(const QStringList& items)
{
    if (items.isEmpty())
        return {};
    QString text = QStringLiteral("[");
    for (const QString& item : items) {
        text += QLatin1Char('"');
        text += item;
        text += QStringLiteral("\";");
    }
    text.back() = QLatin1Char(']');
    return text;
}
} // namespace

QString ServiceQueries::nameList(const QStringList& fullNames) { return quotedList(fullNames); }

QString ServiceQueries::filesList(const QStringList& paths)
{
    QStringList escaped;
    escaped.reserve(paths.size());
    for (QString path : paths) {
        path.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        path.replace(QLatin1Char('"'), QLatin1String("\\\""));
        escaped << path;
    }
    return quotedList(escaped);
}

QString ServiceQueries::wrap(int timeLimit, const QString& lambdaAndArgs)
{
    return QLatin1String(kWrapperHead) + QString::number(timeLimit) + QLatin1String(kWrapperTail) + lambdaAndArgs;
}

QString ServiceQueries::namespacesQuery(int timeLimit) { return wrap(timeLimit, QLatin1String(kNamespacesLambda)); }

QString ServiceQueries::variablesQuery(int timeLimit, const QStringList& variables, const QStringList& tables)
{
    return wrap(timeLimit, QLatin1String(kVariablesLambda) + nameList(variables) + QLatin1String(kVariablesMiddle)
                               + nameList(tables) + QStringLiteral("))"));
}

QString ServiceQueries::tablesQuery(int timeLimit, const QStringList& tables)
{
    return wrap(timeLimit, QLatin1String(kTablesLambda) + nameList(tables));
}

QString ServiceQueries::functionsQuery(int timeLimit, const QStringList& functions)
{
    return wrap(timeLimit, QLatin1String(kFunctionsLambda) + nameList(functions));
}

QString ServiceQueries::filesQuery(int timeLimit, const QStringList& paths)
{
    return wrap(timeLimit, QLatin1String(kFilesLambda) + filesList(paths));
}

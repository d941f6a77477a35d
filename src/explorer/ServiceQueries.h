// The texts of the namespace load's service queries: the wrapper that puts a
// time limit around each query, the five query lambdas and the name lists
// spliced into them.
#pragma once

#include <QString>
#include <QStringList>

namespace ServiceQueryTexts {
extern const char* const kWrapperHead;
extern const char* const kWrapperTail;
extern const char* const kNamespacesLambda;
extern const char* const kVariablesLambda;
extern const char* const kVariablesMiddle;
extern const char* const kTablesLambda;
extern const char* const kFunctionsLambda;
extern const char* const kFilesLambda;
} // namespace ServiceQueryTexts

class ServiceQueries {
public:
    // A first character that is a letter, then letters, digits or "_".
    static bool isPlainIdentifier(const QString& name);
    // ["a";".b.c"], or empty text for no names.
    static QString nameList(const QStringList& fullNames);
    // The same for file paths, with backslashes (and double quotes) escaped
    // so that a path can never end the string early.
    static QString filesList(const QStringList& paths);

    // The wrapper around a query lambda and its argument text; timeLimit is
    // the NamespaceSQTimeout in seconds (0 = none).
    static QString wrap(int timeLimit, const QString& lambdaAndArgs);

    static QString namespacesQuery(int timeLimit);
    static QString variablesQuery(int timeLimit, const QStringList& variables, const QStringList& tables);
    static QString tablesQuery(int timeLimit, const QStringList& tables);
    static QString functionsQuery(int timeLimit, const QStringList& functions);
    static QString filesQuery(int timeLimit, const QStringList& paths);
};

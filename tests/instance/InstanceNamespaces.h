// The namespace model of the test instance: namespaces, tables, functions and
// variables as an instance script (or a test) describes them, and the reply
// of each of the explorer's five service queries computed from them in the
// shapes an instance gives. The queries are recognised by the global their
// lambda assigns (.z.tovo.ns.r1 .. r5) and the names read from their lists.
#pragma once

#include "kdb/KPtr.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class InstanceNamespaces {
public:
    struct Column {
        QString name;
        char type = 'j';   // meta letter
        QString foreignKey;
        QString attribute; // "s", "u", "p", "g" or empty
    };
    struct Table {
        int storage = 1; // 1 in memory, 2 splayed, 3 partitioned
        bool keyed = false;
        QList<Column> columns;
        qint64 rows = 0;
        qint64 size = -1; // serialised size; -1: rows x 8 per column
        QString metaError; // meta fails with this text
    };
    struct Function {
        int type = 100;
        QStringList params, locals, globals, nestedGlobals, symbols;
        QString body;      // lambda source
        QString file;
        qint64 line = -1;
        QString base;      // projections: the lambda projected
        QStringList args;  // projections: fixed arguments in value notation ("" elided)
        QStringList free;  // projections: free parameter names
        QString value;     // other kinds: the value in value notation (a primitive name for 101..103)
    };
    struct Variable {
        int type = -7;
        qint64 count = 1;
        qint64 size = 8;
    };

    void addNamespace(const QString& symbol);
    void addTable(const QString& fullName, const Table& table);
    void addFunction(const QString& fullName, const Function& function);
    void addVariable(const QString& fullName, const Variable& variable);
    // Query 1..5 fails with this q error.
    void failQuery(int query, const QString& error) { m_failures[query] = error; }
    // The namespaces query answers this value instead (as .z.pg might).
    void answerNamespacesWith(K value);

    // One model line of an instance script (the part after "ns-"), e.g.
    // "table: .feed.trades rows=10 cols=time:p,sym:s:g". False with a reason.
    bool applyLine(const QString& key, const QString& value, QString* error);
    static QString formatHelp();
    // A large model: functions with bodies of about bodyLength characters,
    // each reading one variable and one table, spread over the namespaces.
    void generate(int namespaces, int functions, int tables, int variables, int bodyLength);

    // The reply to a service query; null when the text is none of them.
    KPtr answer(const QString& query) const;
    // What evaluating a function's name gives (its lambda, as "Get source"
    // asks), or the name -> lambda dictionary of the dependents' source
    // query; null for any other text.
    KPtr sourceAnswer(const QString& query) const;
    // The text the files query gives for a path: each of the file's functions
    // as "name:body" on its own line, a comment naming the file on line 1
    // when that one is free, functions of no known line after them.
    QString fileText(const QString& path) const;
    static int queryNumber(const QString& query);

    int entityCount() const { return int(m_tables.size() + m_functions.size() + m_variables.size()); }

private:
    KPtr namespacesReply() const;
    KPtr variablesReply(const QStringList& names, const QStringList& exceptTables) const;
    KPtr tablesReply(const QStringList& names) const;
    KPtr functionsReply(const QStringList& names) const;
    KPtr filesReply(const QStringList& paths) const;

    QStringList m_namespaces; // besides the root and .z, in order of appearance
    QMap<QString, Table> m_tables;
    QMap<QString, Function> m_functions;
    QMap<QString, Variable> m_variables;
    // Per file: the functions defined in it, by line (-1: unknown).
    QMap<QString, QMultiMap<qint64, QString>> m_files;
    QMap<int, QString> m_failures;
    KPtr m_namespacesOverride;
};

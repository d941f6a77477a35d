// The watch list's combined query as the test instance answers it: the
// query (@[value;"e1";`$"!SIGNAL!",];...;1;0h) is taken apart and each
// expression answered from the script, as q would evaluate the protected
// call: a scripted value, or the symbol `!SIGNAL!<error> for a scripted
// error; an expression with no script signals its own text (q's error for
// an undefined name). Scripted values of one expression are taken in turn,
// one for each watch query, the last staying, so a value can change between
// refreshes.
#pragma once

#include "kdb/KPtr.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>

class TestInstance;

class InstanceWatches {
public:
    // The model that answers watch queries on instance (a rule is added).
    static std::shared_ptr<InstanceWatches> install(TestInstance& instance);

    void addValue(const QString& expression, K value);          // takes the reference
    void addError(const QString& expression, const QString& error);

    // One script line (the part after "watch"): "-value: EXPR -> VALUE" or
    // "-error: EXPR -> ERROR", given as key "value"/"error" and the text.
    bool applyLine(const QString& key, const QString& text, QString* error);
    static QString formatHelp();

    // The expressions of a watch query, unescaped; false when text is none.
    static bool parseQuery(const QString& text, QStringList* expressions);
    // The reply to a watch query (null when text is none).
    KPtr answer(const QString& text);

private:
    struct Answer {
        KPtr value;
        QString error;
    };
    mutable QMutex m_mutex;
    QHash<QString, QList<Answer>> m_answers;
    QHash<QString, int> m_taken;
};

// One scripted answer of the test instance: which queries it matches and
// what the instance does then.
#pragma once

#include "kdb/KPtr.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <functional>

struct InstanceRule {
    // Matching: the exact query text or a pattern. A query sent as a general
    // list (text; args...) is matched by its text and by its whole rendering
    // in value notation, e.g. ("{x+y}";1;2).
    QString exact;
    QRegularExpression pattern;
    bool usesPattern = false;

    // The answer to a sync query: computed, else reply, else error, else raw (a whole
    // message sent byte for byte), else the generic null.
    KPtr reply;
    QString error;
    QByteArray raw;
    bool hasError = false;

    // A reply computed from the query text (null: the default error).
    std::function<KPtr(const QString& text)> compute;

    int delayMs = 0;
    bool neverAnswer = false;    // hold the query unanswered until the client goes
    bool dropConnection = false; // close after the answer, or instead of one when there is none
    bool compress = false;       // send the reply compressed
    QList<KPtr> publish;         // async messages pushed to the client after the answer

    bool matches(const QString& text, const QString& rendered) const
    {
        if (usesPattern)
            return pattern.match(text).hasMatch() || pattern.match(rendered).hasMatch();
        return exact == text || exact == rendered;
    }
};

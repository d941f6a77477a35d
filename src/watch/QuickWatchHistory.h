// The quick watch's expressions: the one evaluated last and the drop-down
// list of earlier ones (no duplicates, compared ignoring case).
#pragma once

#include <QString>
#include <QStringList>

class QuickWatchHistory {
public:
    const QStringList& entries() const { return m_entries; }
    QString previous() const { return m_previous; }

    // False when text is empty or already listed.
    bool add(const QString& text);
    // A requery was answered (a value or a q error): the expression evaluated
    // before joins the list and current becomes the one evaluated last.
    void evaluated(const QString& current);
    // The expression field after selecting a node in logical mode: the last
    // expression indexed by path ("(x)[1][`a]"), or the last expression
    // itself when path is empty.
    QString expressionFor(const QString& path);

private:
    QStringList m_entries;
    QString m_previous;
};

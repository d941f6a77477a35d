// The console's running transcript and its two limits: texts longer than the
// result length are cut, and only the newest echoed queries are kept.
#pragma once

#include <QString>

class ConsoleTranscript {
public:
    struct Limits {
        int maxResultKChars = 5; // QMaxConsoleResultLength; 0 or less: never cut
        int maxQueries = 25;     // QMaxConsoleQueries; 0 or less: never trimmed
    };

    struct Change {
        bool trimmed = false; // the front of the transcript was dropped
        QString appended;     // what was added at the end (text and "\r\n")
    };

    // Appends one text (a query echo, a reply or a message) and one "\r\n".
    Change append(const QString& text, const Limits& limits);
    void clear() { m_text.clear(); }
    const QString& text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }

    // The console's copy of a text: cut to the limit followed by "<...>".
    static QString cut(const QString& text, int maxResultKChars);
    // Drops the oldest echoes so that at most maxQueries remain; true when it dropped anything.
    static bool trim(QString& transcript, int maxQueries);

private:
    QString m_text;
};

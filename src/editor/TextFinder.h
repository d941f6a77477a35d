// Searching a text as the Find and Replace boxes do: case-sensitive or not,
// whole words or any substring, forwards or backwards from the selection,
// wrapping around the end once; and replacing every occurrence.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

class TextFinder {
public:
    // The last search: what the boxes hold, kept between searches (F3).
    struct Options {
        QString what;
        QString with;
        bool wholeWord = false;
        bool matchCase = false;
        bool down = true;
    };

    struct Hit {
        qsizetype pos = -1;   // -1: not found
        bool wrapped = false; // found only after passing the end (or start)
    };

    // Whether `what` occurs at `at` under the options.
    static bool matchesAt(QStringView text, qsizetype at, const Options& options);
    // The next occurrence from the selection: downwards one that starts at or
    // after selEnd, upwards one that starts before selStart. With wrap the
    // search continues from the other end of the text.
    static Hit find(QStringView text, qsizetype selStart, qsizetype selEnd, const Options& options, bool wrap = true);
    // Every occurrence from the start, not overlapping.
    static QList<qsizetype> findAll(QStringView text, const Options& options);
    // The text with every occurrence replaced by options.with; *count receives how many.
    static QString replaceAll(QStringView text, const Options& options, int* count = nullptr);

    // UTF-8 bytes of a UTF-16 text (the editor counts positions in bytes).
    static qsizetype utf8Length(QStringView text);

private:
    static qsizetype forward(QStringView text, qsizetype from, const Options& options);
    static qsizetype backward(QStringView text, qsizetype before, const Options& options);
};

// The rules of auto-complete, apart from the list control: the word being
// completed, the items listed for it, the best item, and the text and caret
// after accepting.
#pragma once

#include "editor/CompletionSource.h"

#include <QList>
#include <QString>

class CompletionRules {
public:
    static const QString& delimiters();
    static bool isDelimiter(QChar c) { return delimiters().contains(c); }

    struct Word {
        int anchorStart = -1; // first character completed (after any namespace prefix)
        int anchorEnd = -1;
        QString head;   // before the caret, after the prefix
        QString tail;   // after the caret
        QString prefix; // ".feed." or empty
    };
    // The word around caret (a position in text).
    static Word wordAt(const QString& text, int caret);

    struct Item {
        QString text;
        int icon = 0;
    };
    // The items for a namespace prefix, sorted without regard to case.
    static QList<Item> items(const QList<CompletionName>& names, const QString& prefix);
    // Index of the best item for head and tail, or 0 (the first) with no match.
    static int bestItem(const QList<Item>& items, const QString& head, const QString& tail);

    enum AcceptKind { Explicit = 1, TypedBracket = -2, TypedDelimiter = -1 };
    struct Accepted {
        QString text; // replaces anchorStart..anchorEnd
        int caret = -1; // where the caret goes, or -1: after the inserted text
    };
    // after: the text after the anchor end; caret: where the user was typing.
    static Accepted accept(const QString& itemText, const QString& after, int kind, const Word& word, int caret);
};

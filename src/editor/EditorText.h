// The text rules of the source view's commands, on plain text with "\n" line
// ends: what Execute Line and Execute Selection send, block indenting, the
// word and identifier at the caret, bracket partners and the two copy forms.
#pragma once

#include <QByteArrayView>
#include <QString>

class EditorText {
public:
    // The caret's line, trimmed, vertical tabs as blanks.
    static QString executeLine(const QString& text, int caret);
    // The selection (or, when empty and executeAll is set, the whole text) with
    // line ends as "\n", vertical tabs as blanks, trimmed. *nothingSelected is
    // set when the selection is empty and executeAll is off.
    static QString executeSelection(const QString& selection, const QString& whole, bool executeAll,
                                    bool* nothingSelected = nullptr);

    // Each line of block gets `spaces` blanks in front, or (unindent) loses up to
    // that many leading blanks.
    static QString indentBlock(const QString& block, int spaces, bool unindent);
    // How many white-space characters before the caret Shift+Tab removes
    // (0 unless only white space precedes the caret on its line).
    static int unindentAtCaret(const QString& text, int caret, int spaces);

    // The word around pos (at most 1000 characters each side), or the selection trimmed.
    static QString wordAt(const QString& text, int pos);
    // A word without leading underscores and digits, and without ".", "_" or
    // digit runs that cannot start a name.
    static QString identifierOf(const QString& word);

    // On the editor's UTF-8 bytes (brackets are ASCII, so byte positions serve):
    // the partner of the bracket at pos, or -1 (same kind only; strings and
    // comments are not skipped).
    static int matchingBracket(QByteArrayView text, int pos);
    // The bracket next to the caret that has a partner: the character after it,
    // else the one before; -1 if none.
    static int bracketNearCaret(QByteArrayView text, int caret);

    static QString copyAsString(const QString& selection);
    // serverText is a connection symbol: `:host:port:user:password.
    static QString copyAsUrl(const QString& selection, const QString& serverText);
};

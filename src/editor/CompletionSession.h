// One auto-complete list of a source view, apart from its widgets: what is
// listed for the word at the caret, which item is chosen, what each change
// the user types does to the open list, and when the caret has left the word.
// Everything works on the caret's line; columns count UTF-16 characters.
#pragma once

#include "editor/CompletionRules.h"

#include <QList>
#include <QString>

class CompletionSession {
public:
    bool isOpen() const { return m_open; }
    const QList<CompletionRules::Item>& items() const { return m_items; }
    int current() const { return m_current; }
    void setCurrent(int index);
    const CompletionRules::Word& word() const { return m_word; }
    int line() const { return m_line; }

    // Fills the list for the word around column of lineText; false (closed)
    // when nothing is listed: no source, a load running, no names.
    bool open(int line, const QString& lineText, int column, const CompletionSource* source);
    void close();

    // What the view does after one change while the list is open.
    enum class Action {
        None,     // the list stays, its choice recomputed
        Reopen,   // "." typed: open again for the new prefix
        Accept,   // a delimiter typed: accept with acceptKind()
        Hide,
    };
    // A change on line, leaving lineText and the caret at column.
    // inserted: the text inserted (empty for a deletion); changed: how many
    // characters were inserted or deleted.
    Action changed(int line, const QString& lineText, int column, const QString& inserted, int changed);
    int acceptKind() const { return m_acceptKind; }

    // Whether the caret at line and column is still inside the word.
    bool caretInside(int line, int column) const;

    // The accepted text for the current item: the range of lineText it
    // replaces, the text and the caret column after (-1: after the text).
    // caret: where the user was typing.
    struct Replacement {
        int from = 0;
        int to = 0;
        QString text;
        int caret = -1;
    };
    Replacement accept(const QString& lineText, int caret, int kind) const;

    // Up/Down (1/-1), Page Up/Down (page size), the ends (a big step).
    void move(int step);

private:
    bool m_open = false;
    int m_line = -1;
    QList<CompletionRules::Item> m_items;
    int m_current = -1;
    CompletionRules::Word m_word;
    int m_acceptKind = CompletionRules::Explicit;
};

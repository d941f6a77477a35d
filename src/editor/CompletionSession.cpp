#include "editor/CompletionSession.h"

#include <algorithm>

void CompletionSession::setCurrent(int index)
{
    if (index >= 0 && index < m_items.size())
        m_current = index;
}

bool CompletionSession::open(int line, const QString& lineText, int column, const CompletionSource* source)
{
    close();
    if (!source || source->loading())
        return false;
    m_word = CompletionRules::wordAt(lineText, column);
    m_items = CompletionRules::items(source->names(), m_word.prefix);
    if (m_items.isEmpty())
        return false;
    m_line = line;
    m_current = CompletionRules::bestItem(m_items, m_word.head, m_word.tail);
    m_open = true;
    return true;
}

void CompletionSession::close()
{
    m_open = false;
    m_line = -1;
    m_items.clear();
    m_current = -1;
    m_word = {};
    m_acceptKind = CompletionRules::Explicit;
}

CompletionSession::Action CompletionSession::changed(int line, const QString& lineText, int column,
                                                     const QString& inserted, int changed)
{
    if (!m_open)
        return Action::None;
    if (line != m_line || changed != 1 || inserted.size() > 1)
        return Action::Hide;
    if (inserted.size() == 1) {
        const QChar c = inserted.front();
        if (c == u'.')
            return Action::Reopen;
        if (CompletionRules::isDelimiter(c)) {
            // The word is what stands before the typed character.
            const CompletionRules::Word before = CompletionRules::wordAt(lineText, column - 1);
            if (before.prefix != m_word.prefix)
                return Action::Hide;
            m_word = before;
            const bool wordAtCaret = before.anchorEnd > before.anchorStart;
            m_acceptKind = c == u'[' && wordAtCaret ? CompletionRules::TypedBracket : CompletionRules::TypedDelimiter;
            return Action::Accept;
        }
    }
    // A character of the word typed or deleted: the choice follows the new word.
    const CompletionRules::Word now = CompletionRules::wordAt(lineText, column);
    if (now.prefix != m_word.prefix)
        return Action::Hide;
    m_word = now;
    m_current = CompletionRules::bestItem(m_items, m_word.head, m_word.tail);
    return Action::None;
}

bool CompletionSession::caretInside(int line, int column) const
{
    return m_open && line == m_line && column >= m_word.anchorStart && column <= m_word.anchorEnd;
}

CompletionSession::Replacement CompletionSession::accept(const QString& lineText, int caret, int kind) const
{
    Replacement r;
    if (m_current < 0 || m_current >= m_items.size())
        return r;
    // After a typed delimiter that character is not part of what follows the word.
    const int typed = kind < 0 ? 1 : 0;
    const CompletionRules::Accepted accepted =
        CompletionRules::accept(m_items.at(m_current).text, lineText.mid(m_word.anchorEnd + typed), kind, m_word, caret);
    r.from = m_word.anchorStart;
    r.to = m_word.anchorEnd;
    r.text = accepted.text;
    r.caret = accepted.caret;
    return r;
}

void CompletionSession::move(int step)
{
    if (m_items.isEmpty())
        return;
    const qint64 to = qint64(std::max(m_current, 0)) + step;
    m_current = int(std::clamp<qint64>(to, 0, m_items.size() - 1));
}

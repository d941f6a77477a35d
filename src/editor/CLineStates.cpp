#include "editor/CLineStates.h"

void CLineStates::reset(int lineCount)
{
    m_states.assign(static_cast<size_t>(std::max(lineCount, 1)), ScanState::Code);
    markAll();
}

void CLineStates::markAll()
{
    m_dirtyFirst = 0;
    m_dirtyLast = lineCount() - 1;
}

void CLineStates::addDirty(int first, int last)
{
    if (m_dirtyFirst < 0) {
        m_dirtyFirst = first;
        m_dirtyLast = last;
    } else {
        m_dirtyFirst = std::min(m_dirtyFirst, first);
        m_dirtyLast = std::max(m_dirtyLast, last);
    }
}

void CLineStates::linesInserted(int line, int count)
{
    line = std::clamp(line, 0, lineCount() - 1);
    if (count > 0) {
        // The new lines' states are unknown until re-coloured; the copy keeps the vector's shape.
        m_states.insert(m_states.begin() + line + 1, static_cast<size_t>(count), m_states[static_cast<size_t>(line)]);
        if (m_dirtyFirst > line)
            m_dirtyFirst += count;
        if (m_dirtyLast > line)
            m_dirtyLast += count;
    }
    addDirty(line, line + std::max(count, 0));
}

void CLineStates::linesRemoved(int line, int count)
{
    line = std::clamp(line, 0, lineCount() - 1);
    count = std::min(count, lineCount() - 1 - line);
    if (count > 0) {
        m_states.erase(m_states.begin() + line + 1, m_states.begin() + line + 1 + count);
        auto shift = [&](int& at) {
            if (at > line + count)
                at -= count;
            else if (at > line)
                at = line;
        };
        shift(m_dirtyFirst);
        shift(m_dirtyLast);
    }
    addDirty(line, line);
}

void CLineStates::lineChanged(int line) { addDirty(std::clamp(line, 0, lineCount() - 1), std::clamp(line, 0, lineCount() - 1)); }

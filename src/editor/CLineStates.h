// The scanner state at the start of every line of a document, kept across
// edits so that re-colouring can start at the first changed line and stop as
// soon as a line starts in the same state as in the previous run (everything
// after it then colours as before).
#pragma once

#include "editor/LineColourer.h"

#include <algorithm>
#include <vector>

class CLineStates {
public:
    int lineCount() const { return static_cast<int>(m_states.size()); }
    ScanState stateAt(int line) const { return m_states[static_cast<size_t>(line)]; }

    // A document of lineCount lines, none coloured yet.
    void reset(int lineCount);
    // count new lines after `line`, whose own text changed too.
    void linesInserted(int line, int count);
    // count lines after `line` were joined into it.
    void linesRemoved(int line, int count);
    void lineChanged(int line);
    void markAll();

    bool hasDirty() const { return m_dirtyFirst >= 0; }
    int dirtyFirst() const { return m_dirtyFirst; }
    int dirtyLast() const { return m_dirtyLast; }

    struct Range {
        int first = -1; // -1 when nothing was coloured
        int last = -1;
    };
    // Colours the changed lines and the lines after them whose starting state
    // changed. colourLine(line, stateIn) colours one line and returns the state
    // at the next line's start.
    template <typename ColourLine>
    Range recolour(ColourLine&& colourLine)
    {
        Range done;
        if (!hasDirty())
            return done;
        const int n = lineCount();
        int line = std::min(m_dirtyFirst, n - 1);
        const int mustReach = std::min(m_dirtyLast, n - 1);
        done.first = line;
        for (; line < n; ++line) {
            const ScanState next = colourLine(line, m_states[static_cast<size_t>(line)]);
            done.last = line;
            if (line + 1 >= n)
                break;
            ScanState& stored = m_states[static_cast<size_t>(line) + 1];
            if (line >= mustReach && stored == next)
                break;
            stored = next;
        }
        m_dirtyFirst = m_dirtyLast = -1;
        return done;
    }

private:
    void addDirty(int first, int last);

    std::vector<ScanState> m_states;
    int m_dirtyFirst = -1;
    int m_dirtyLast = -1;
};

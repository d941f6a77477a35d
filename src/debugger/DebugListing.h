// A function's listing as the agent prints it ("N:" then "*" for a
// breakpoint or a blank, a blank, the statement), laid out for the source
// box: the text, where each line starts, which lines carry a breakpoint and
// which one is the current statement.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class DebugListing {
public:
    DebugListing() = default;
    // lines: the answer's lines; the listing starts at the first "0:" line.
    // "Not running" (or no "0:" line) makes a listing without statements.
    static DebugListing fromAnswer(const QStringList& lines, int currentStatement);

    QString text() const { return m_lines.join(u'\n'); }
    const QStringList& lines() const { return m_lines; }
    bool running() const { return m_running; }
    // Character offset of each line in text().
    const QList<int>& lineStarts() const { return m_starts; }
    // The statement number of each line (-1 for a line that has none).
    const QList<int>& statements() const { return m_statements; }
    bool hasBreakpoint(int line) const { return m_breakpoints.contains(line); }
    const QList<int>& breakpointLines() const { return m_breakpoints; }
    // The line of the current statement, -1 when none is marked.
    int currentLine() const { return m_current; }
    void setCurrentStatement(int statement);
    // The last line whose start is at or before the character position.
    int lineAt(int position) const;

private:
    QStringList m_lines;
    QList<int> m_starts;
    QList<int> m_statements;
    QList<int> m_breakpoints;
    int m_current = -1;
    bool m_running = false;
};

#include "debugger/DebugListing.h"

#include <QRegularExpression>

DebugListing DebugListing::fromAnswer(const QStringList& lines, int currentStatement)
{
    DebugListing l;
    static const QRegularExpression kNumbered(QStringLiteral("^(\\d+):(\\*?)"));
    int first = -1;
    for (int i = 0; i < lines.size() && first < 0; ++i) {
        const int at = lines[i].indexOf(QStringLiteral("0:"));
        if (at >= 0 && kNumbered.match(lines[i].mid(at)).hasMatch() && lines[i].mid(at).startsWith(QStringLiteral("0:")))
            first = i;
    }
    if (first < 0) {
        l.m_lines = lines;
    } else {
        l.m_running = true;
        l.m_lines = lines.mid(first);
        l.m_lines[0] = l.m_lines[0].mid(l.m_lines[0].indexOf(QStringLiteral("0:")));
    }
    int offset = 0;
    for (int i = 0; i < l.m_lines.size(); ++i) {
        l.m_starts << offset;
        offset += int(l.m_lines[i].size()) + 1;
        const QRegularExpressionMatch m = kNumbered.match(l.m_lines[i]);
        l.m_statements << (l.m_running && m.hasMatch() ? m.captured(1).toInt() : -1);
        if (l.m_running && m.hasMatch() && !m.captured(2).isEmpty())
            l.m_breakpoints << i;
    }
    l.setCurrentStatement(currentStatement);
    return l;
}

void DebugListing::setCurrentStatement(int statement)
{
    m_current = m_running && statement >= 0 ? int(m_statements.indexOf(statement)) : -1;
}

int DebugListing::lineAt(int position) const
{
    int line = -1;
    for (int i = 0; i < m_starts.size() && m_starts[i] <= position; ++i)
        line = i;
    return line;
}

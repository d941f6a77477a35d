#include "editor/CSyntaxHighlighting.h"

#include "core/colors/CDialogFontsColors.h"
#include "editor/CHiTarget.h"
#include "editor/LineColourer.h"

#include <limits>

namespace {

bool isTrimChar(QChar c)
{
    static const QString trim = QStringLiteral("~!@#$%^&*()-+=|\\/?<>'[]{};, \t\n\r`:\"");
    return trim.contains(c);
}

QStringView trimmed(QStringView s)
{
    while (!s.isEmpty() && isTrimChar(s.front()))
        s = s.mid(1);
    while (!s.isEmpty() && isTrimChar(s.back()))
        s.chop(1);
    return s;
}

} // namespace

CSyntaxHighlighting::CSyntaxHighlighting(CHiTarget* target, const CDialogFontsColors& scheme,
                                         const QSet<QString>* knownNames)
    : m_target(target)
    , m_scheme(scheme)
    , m_knownNames(knownNames)
{
}

CSyntaxHighlighting::~CSyntaxHighlighting()
{
    if (m_target)
        apply();
}

void CSyntaxHighlighting::colour(int first, int last)
{
    if (m_target)
        colourText(m_target->text(), first, last);
}

void CSyntaxHighlighting::colourText(const QString& text, int first, int last)
{
    const int n = static_cast<int>(text.size());
    const int lo = first < 0 ? 0 : first;
    const int hi = last < 0 ? std::numeric_limits<int>::max() : last;
    const bool bold = m_scheme.keywordsAreBold();
    const char16_t* s = reinterpret_cast<const char16_t*>(text.utf16());
    ScanState state = ScanState::Code;
    int lineStart = 0;
    while (lineStart <= n && lineStart <= hi) {
        int lineEnd = lineStart;
        while (lineEnd < n && s[lineEnd] != u'\r' && s[lineEnd] != u'\n')
            ++lineEnd;
        const int base = lineStart;
        // Lines before the requested range only carry the scanner state forward.
        const bool wanted = lineEnd >= lo;
        state = LineColourer<char16_t>::colourLine(
            s + lineStart, lineEnd - lineStart, state, m_knownNames, [&](int start, int length, int element) {
                if (!wanted)
                    return;
                // Ranges that overlap the request are kept whole, so that a change
                // inside a token re-colours all of it.
                const int a = base + start;
                const int b = base + start + length - 1;
                if (b >= lo && a <= hi)
                    m_regions.append(CHiRegion(bold && element == CDialogFontsColors::Keyword ? 1 : 0, a, b,
                                               m_scheme.color(element), element));
            });
        if (lineEnd >= n)
            break;
        lineStart = lineEnd + (s[lineEnd] == u'\r' && lineEnd + 1 < n && s[lineEnd + 1] == u'\n' ? 2 : 1);
    }
}

void CSyntaxHighlighting::apply()
{
    if (m_target && !m_regions.isEmpty()) {
        m_target->beginBatch();
        for (const CHiRegion& r : std::as_const(m_regions))
            m_target->setTextStyle(r.start, r.end, r.colour, r.bold != 0);
        m_target->endBatch();
    }
    m_regions.clear();
}

QList<int> CSyntaxHighlighting::findOccurrences(const QString& text, const QString& word, bool caseSensitive,
                                                bool wholeWord)
{
    QList<int> found;
    if (word.isEmpty())
        return found;
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype len = word.size();
    for (qsizetype i = text.indexOf(word, 0, cs); i >= 0; i = text.indexOf(word, i + len, cs)) {
        if (wholeWord) {
            const qsizetype a = std::max<qsizetype>(0, i - 1);
            const qsizetype b = std::min<qsizetype>(text.size(), i + len + 1);
            if (trimmed(QStringView(text).mid(a, b - a)).compare(word, cs) != 0)
                continue;
        }
        found.append(static_cast<int>(i));
    }
    return found;
}

int CSyntaxHighlighting::markOccurrences(const QString& word, std::uint32_t colour, int first, int last,
                                         bool caseSensitive, bool wholeWord)
{
    if (!m_target)
        return -1;
    const QString text = m_target->text();
    const int lo = first < 0 ? 0 : first;
    const int hi = last < 0 ? std::numeric_limits<int>::max() : last;
    int firstFound = -1;
    m_target->beginBatch();
    for (int pos : findOccurrences(text, word, caseSensitive, wholeWord)) {
        const int end = pos + static_cast<int>(word.size()) - 1;
        if (end < lo || pos > hi)
            continue;
        if (firstFound < 0)
            firstFound = pos;
        m_target->setBackground(pos, end, colour, false);
    }
    m_target->endBatch();
    return firstFound;
}

void CSyntaxHighlighting::setBackground(int start, int end, std::uint32_t colour, bool reset)
{
    if (m_target)
        m_target->setBackground(start, end, colour, reset);
}

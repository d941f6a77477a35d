#include "editor/CQLexer.h"

#include "core/colors/CDialogFontsColors.h"
#include "editor/FontConv.h"
#include "editor/LineColourer.h"

#include <Qsci/qsciscintilla.h>

#include <cstring>
#include <vector>

using Sci = QsciScintillaBase;
using E = CDialogFontsColors;

CQLexer::CQLexer(QObject* parent)
    : QsciLexerCustom(parent)
{
}

QString CQLexer::description(int style) const
{
    if (style == 0)
        return E::elementName(E::Default);
    if (style >= E::Operator && style <= E::ParseError)
        return E::elementName(style);
    return QString();
}

int CQLexer::styleOf(int element) { return element >= E::Operator && element <= E::ParseError ? element : 0; }

void CQLexer::applyScheme(const CDialogFontsColors& scheme, const QFont& source, const QColor& background,
                          bool plain)
{
    setDefaultFont(source);
    setDefaultColor(FontConv::toQColor(scheme.color(E::Default)));
    setDefaultPaper(background);
    QFont bold = source;
    bold.setBold(true);
    for (int style = 0; style <= E::ParseError; ++style) {
        const int element = style == 0 || plain ? int(E::Default) : style;
        setColor(FontConv::toQColor(scheme.color(element)), style);
        setFont(element == E::Keyword && scheme.keywordsAreBold() ? bold : source, style);
        setPaper(background, style);
    }
}

void CQLexer::styleText(int, int)
{
    if (!m_deferred)
        colourChanges();
}

void CQLexer::noteModification(int position, int type, int linesAdded)
{
    QsciScintilla* ed = editor();
    if (!ed || !(type & (Sci::SC_MOD_INSERTTEXT | Sci::SC_MOD_DELETETEXT)))
        return;
    const int line = static_cast<int>(ed->SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
    if (linesAdded > 0)
        m_states.linesInserted(line, linesAdded);
    else if (linesAdded < 0)
        m_states.linesRemoved(line, -linesAdded);
    else
        m_states.lineChanged(line);
}

void CQLexer::colourAll()
{
    QsciScintilla* ed = editor();
    if (!ed)
        return;
    m_states.reset(static_cast<int>(ed->SendScintilla(Sci::SCI_GETLINECOUNT)));
    if (m_highlighting) {
        colourChanges();
        return;
    }
    const long length = ed->SendScintilla(Sci::SCI_GETLENGTH);
    if (length > 0) {
        std::vector<char> zero(static_cast<size_t>(length), 0);
        startStyling(0);
        ed->SendScintilla(Sci::SCI_SETSTYLINGEX, static_cast<unsigned long>(length), zero.data());
    }
    m_states.recolour([](int, ScanState) { return ScanState::Code; });
}

CLineStates::Range CQLexer::colourChanges()
{
    QsciScintilla* ed = editor();
    if (!ed || !m_highlighting)
        return {};
    const int lines = static_cast<int>(ed->SendScintilla(Sci::SCI_GETLINECOUNT));
    if (m_states.lineCount() != lines)
        m_states.reset(lines); // lost track of the edits: start again
    if (!m_states.hasDirty())
        return {};
    const long length = ed->SendScintilla(Sci::SCI_GETLENGTH);
    const char* text = static_cast<const char*>(ed->SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));
    const long first = ed->SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(m_states.dirtyFirst()));
    std::vector<char> styles;
    const CLineStates::Range range = m_states.recolour([&](int line, ScanState in) {
        const long start = ed->SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        const long end = ed->SendScintilla(Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        const long next = line + 1 < lines
            ? ed->SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
            : length;
        // An empty last line has no bytes (and an empty text no buffer at all).
        if (next <= start)
            return LineColourer<char>::colourLine("", 0, in, m_known, [](int, int, int) {});
        styles.resize(static_cast<size_t>(next - first), 0);
        char* lineStyles = styles.data() + (start - first);
        std::memset(lineStyles, 0, static_cast<size_t>(next - start));
        return LineColourer<char>::colourLine(text + start, static_cast<int>(end - start), in, m_known,
                                              [&](int a, int len, int element) {
                                                  std::memset(lineStyles + a, styleOf(element), static_cast<size_t>(len));
                                              });
    });
    if (!styles.empty()) {
        startStyling(static_cast<int>(first));
        ed->SendScintilla(Sci::SCI_SETSTYLINGEX, static_cast<unsigned long>(styles.size()), styles.data());
    }
    // Everything after the last styled line is as the previous run left it.
    startStyling(static_cast<int>(length));
    return range;
}

// The q lexer of the source views: styles the QScintilla document with the
// q colouring rules, keeping the scanner state of every line so that after
// an edit only the changed lines, and the lines whose state changed because
// of them, are styled again. A style number is the colour element's number
// (style 0 is the "Default" text colour).
#pragma once

#include "editor/CLineStates.h"

#include <Qsci/qscilexercustom.h>

#include <QColor>
#include <QFont>
#include <QSet>

class CDialogFontsColors;

class CQLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    explicit CQLexer(QObject* parent = nullptr);

    const char* language() const override { return "q"; }
    QString description(int style) const override;
    // Scintilla asks for styles of text it is about to show.
    void styleText(int start, int end) override;

    static int styleOf(int element);

    // Fonts and colours of every style; background is the window's. plain:
    // every style looks like "Default" text (a view without highlighting that
    // shares its coloured text with another view).
    void applyScheme(const CDialogFontsColors& scheme, const QFont& source, const QColor& background,
                     bool plain = false);
    void setKnownNames(const QSet<QString>* names) { m_known = names; }
    const QSet<QString>* knownNames() const { return m_known; }
    void setHighlighting(bool on) { m_highlighting = on; }
    bool highlighting() const { return m_highlighting; }
    // While set, styling waits for colourChanges().
    void setDeferred(bool deferred) { m_deferred = deferred; }

    // Edits reported by the editor (position, modification type, lines added).
    void noteModification(int position, int type, int linesAdded);
    // Styles the whole text again (or makes it all "Default" when highlighting is off).
    void colourAll();
    // Styles what the edits since the last run can have changed; returns the lines styled.
    CLineStates::Range colourChanges();
    const CLineStates& lineStates() const { return m_states; }

private:
    CLineStates m_states;
    const QSet<QString>* m_known = nullptr;
    bool m_highlighting = true;
    bool m_deferred = false;
};

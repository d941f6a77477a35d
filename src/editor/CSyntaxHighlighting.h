// The q colouriser for any window that shows q text: scans the text, builds
// the coloured ranges for a requested part of it and applies them.
#pragma once

#include "editor/CHiRegion.h"

#include <QList>
#include <QSet>
#include <QString>

#include <cstdint>

class CDialogFontsColors;
class CHiTarget;

class CSyntaxHighlighting {
public:
    // knownNames: the namespace explorer's global names, or null when not available.
    CSyntaxHighlighting(CHiTarget* target, const CDialogFontsColors& scheme,
                        const QSet<QString>* knownNames = nullptr);
    // Applies any regions still in the list.
    virtual ~CSyntaxHighlighting();
    CSyntaxHighlighting(const CSyntaxHighlighting&) = delete;
    CSyntaxHighlighting& operator=(const CSyntaxHighlighting&) = delete;

    // Scans the whole text and builds regions for first..last (-1: text start or end).
    void colour(int first = -1, int last = -1);
    // The same on a given text, for callers without a window.
    void colourText(const QString& text, int first = -1, int last = -1);
    const QList<CHiRegion>& regions() const { return m_regions; }
    // Applies all regions in list order, then empties the list.
    void apply();

    // Gives every occurrence of word between first and last (-1: whole text) the
    // background colour; returns the position of the first one or -1.
    virtual int markOccurrences(const QString& word, std::uint32_t colour, int first = -1, int last = -1,
                                bool caseSensitive = true, bool wholeWord = false);
    virtual void setBackground(int start, int end, std::uint32_t colour, bool reset);

    // Positions of the counted occurrences of word in text.
    static QList<int> findOccurrences(const QString& text, const QString& word, bool caseSensitive, bool wholeWord);

private:
    CHiTarget* m_target;
    const CDialogFontsColors& m_scheme;
    const QSet<QString>* m_knownNames;
    QList<CHiRegion> m_regions;
};

// F1: the address of the q reference page, or of the search page, for the
// word at the caret.
#pragma once

#include <QString>

class HelpLookup {
public:
    // word: the word at the caret (editor word breaks) or the selection;
    // identifier: the identifier at the caret (used for the search page when
    // there is no selection).
    static QString address(const QString& word, bool selection, const QString& identifier, const QString& helpUrl,
                           const QString& altHelpUrl);
    static QString defaultHelpUrl();
};

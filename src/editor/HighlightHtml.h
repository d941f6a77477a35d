// q text as an HTML fragment coloured by the scheme (for the command line and
// for copying coloured code). Each coloured span names its colour element in
// its class: the element's name in lower case with blanks as hyphens
// ("keyword", "recognized-global", "parse-error").
#pragma once

#include <QString>

class CDialogFontsColors;

QString highlightHtml(const QString& text, const CDialogFontsColors& scheme);

// q text as an HTML fragment coloured by the scheme (for the command line and
// for copying coloured code).
#pragma once

#include <QString>

class CDialogFontsColors;

QString highlightHtml(const QString& text, const CDialogFontsColors& scheme);

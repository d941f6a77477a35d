#include "editor/HighlightHtml.h"

#include "core/colors/CDialogFontsColors.h"
#include "editor/CSyntaxHighlighting.h"

#include <vector>

namespace {

QString cssColour(std::uint32_t ref)
{
    return QStringLiteral("#%1%2%3")
        .arg(ref & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((ref >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((ref >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

// The class naming a span's colour element: its name in lower case, blanks as hyphens.
QString elementClass(int element)
{
    return CDialogFontsColors::elementName(element).toLower().replace(u' ', u'-');
}

} // namespace

QString highlightHtml(const QString& text, const CDialogFontsColors& scheme)
{
    CSyntaxHighlighting hl(nullptr, scheme);
    hl.colourText(text);
    // Later regions win, as when they are applied to a window.
    const int n = static_cast<int>(text.size());
    std::vector<int> element(static_cast<size_t>(n), CDialogFontsColors::Default);
    std::vector<char> bold(static_cast<size_t>(n), 0);
    for (const CHiRegion& r : hl.regions()) {
        for (int i = std::max(0, r.start); i <= r.end && i < n; ++i) {
            element[static_cast<size_t>(i)] = r.element;
            bold[static_cast<size_t>(i)] = static_cast<char>(r.bold);
        }
    }
    QString html = QStringLiteral("<pre style=\"background-color:%1;color:%2\">")
                       .arg(cssColour(scheme.color(CDialogFontsColors::Background)),
                            cssColour(scheme.color(CDialogFontsColors::Default)));
    int i = 0;
    while (i < n) {
        int j = i + 1;
        while (j < n && element[static_cast<size_t>(j)] == element[static_cast<size_t>(i)]
               && bold[static_cast<size_t>(j)] == bold[static_cast<size_t>(i)])
            ++j;
        const QString piece = text.mid(i, j - i).toHtmlEscaped();
        const int e = element[static_cast<size_t>(i)];
        if (e == CDialogFontsColors::Default) {
            html += piece;
        } else {
            html += QStringLiteral("<span class=\"%1\" style=\"color:%2%3\">%4</span>")
                        .arg(elementClass(e), cssColour(scheme.color(e)),
                             bold[static_cast<size_t>(i)] ? QStringLiteral(";font-weight:bold") : QString(), piece);
        }
        i = j;
    }
    html += QStringLiteral("</pre>\n");
    return html;
}

#include "results/grid/GridCopy.h"

#include "results/grid/CKTableRenderer.h"

namespace {

QString cellOpening(const CKTableRenderer& grid, int row, int section)
{
    return QStringLiteral("<TD bgcolor=\"%1\">").arg(GridColors::htmlText(grid.cellColour(row, section)));
}

QString wrapped(const CKTableRenderer& grid, const QString& inner)
{
    return QStringLiteral("<font face=\"") + grid.colours().fontFace
        + QStringLiteral("\" size=\"9\"><TABLE cellspacing=0 border=1>") + inner + QStringLiteral("</TABLE></font>");
}

} // namespace

QString GridCopy::escaped(QString text)
{
    return text.replace(QLatin1Char('<'), QLatin1String("&lt;")).replace(QLatin1Char('>'), QLatin1String("&gt;"));
}

GridCopy::Forms GridCopy::rows(const CKTableRenderer& grid, const std::vector<int>& rows,
                               const std::vector<int>& sections, bool headers)
{
    Forms forms;
    QString html;
    const QChar tab(QLatin1Char('\t'));
    const QLatin1String lineEnd("\r\n");
    if (headers) {
        html += QLatin1String("<TR>");
        for (std::size_t i = 0; i < sections.size(); ++i) {
            const QString name = grid.headerText(sections[i]);
            if (i > 0)
                forms.text += tab;
            forms.text += name;
            html += QLatin1String("<TH>") + escaped(name) + QLatin1String("</TH>");
        }
        forms.text += lineEnd;
        html += QLatin1String("</TR>");
    }
    for (int row : rows) {
        html += QLatin1String("<TR align=right>");
        for (std::size_t i = 0; i < sections.size(); ++i) {
            const QString text = grid.cellText(row, sections[i]);
            if (i > 0)
                forms.text += tab;
            forms.text += text;
            html += cellOpening(grid, row, sections[i]) + escaped(text) + QLatin1String("</TD>");
        }
        forms.text += lineEnd;
        html += QLatin1String("</TR>");
    }
    forms.html = wrapped(grid, html);
    return forms;
}

GridCopy::Forms GridCopy::cell(const CKTableRenderer& grid, int row, int section)
{
    Forms forms;
    forms.text = grid.cellText(row, section);
    forms.html = wrapped(grid, QLatin1String("<TR>") + cellOpening(grid, row, section) + escaped(forms.text)
                                   + QLatin1String("</TD></TR>"));
    return forms;
}

#include "results/export/HtmlExport.h"

#include "results/export/ExportSink.h"
#include "results/grid/CKTableRenderer.h"
#include "results/grid/GridCopy.h"

namespace {

void placeOffset(QByteArray& buffer, const char* key, qsizetype offset)
{
    const qsizetype at = buffer.indexOf(key) + qsizetype(qstrlen(key));
    const QByteArray digits = QByteArray::number(qulonglong(offset)).rightJustified(8, '0');
    buffer.replace(at, 8, digits.right(8));
}

} // namespace

QByteArray HtmlExport::clipboardEnvelope(const QByteArray& fragment)
{
    static const char header[] = "Version:0.9\r\nStartHTML:00000000\r\nEndHTML:00000000\r\nStartFragment:00000000\r\n"
                                 "EndFragment:00000000\r\n";
    QByteArray buffer(header);
    const qsizetype startHtml = buffer.size();
    buffer += "<html><body>\r\n";
    const qsizetype startFragment = buffer.size();
    buffer += "<!--StartFragment -->\r\n";
    buffer += fragment;
    buffer += "\r\n";
    const qsizetype endFragment = buffer.size();
    buffer += "<!--EndFragment-->\r\n</body>\r\n</html>";
    placeOffset(buffer, "StartHTML:", startHtml);
    placeOffset(buffer, "EndHTML:", buffer.size());
    placeOffset(buffer, "StartFragment:", startFragment);
    placeOffset(buffer, "EndFragment:", endFragment);
    return buffer;
}

QString HtmlExport::styleSheet(const GridColors& colours)
{
    const auto rule = [](const char* selector, std::uint32_t colour) {
        return QLatin1String(selector) + QStringLiteral("{background:") + GridColors::htmlText(colour)
            + QStringLiteral("}\n");
    };
    return rule("*.ko ", colours.keyOddRows) + rule("*.ke ", colours.keyEvenRows) + rule("*.o ", colours.oddRows)
        + rule("*.e ", colours.evenRows);
}

bool HtmlExport::writePage(const CKTableRenderer& grid, QIODevice& out)
{
    ExportSink sink(out);
    const CResultInfo& record = grid.record();
    sink << "\xEF\xBB\xBF"
         << R"(<html><head><meta http-equiv="Content-Type" content="text/html; charset=UTF-8"/>)"
         << R"(<style type="text/css">)" << styleSheet(grid.colours()) << "</style></head><body>"
         << "<table><tr><td>"
         << "<table width=100% border=1 frame=void rules=cols cellpadding=1 cellspacing=0><tr><th align=right>"
            "Server:</th><td>"
         << GridCopy::escaped(record.server) << "</td></tr><tr><th align=right>Query:</th><td>"
         << GridCopy::escaped(record.query) << "</td></tr><tr><th align=right>Results received:</th><td>"
         << GridCopy::escaped(record.received) << "</td></tr></table></td></tr><tr><td>";

    sink << R"(<font face=")" << grid.colours().fontFace
         << R"(" size="9"><TABLE width=100% cellspacing=0 border=1>)" << "<TR>";
    const int columns = grid.columnCount();
    for (int c = 0; c < columns; ++c)
        sink << "<TH>" << GridCopy::escaped(grid.headerText(c)) << "</TH>";
    sink << "</TR><TBODY align=right>";
    const int numberColumn = grid.hasNumberColumn() ? 1 : 0;
    const int keyEnd = numberColumn + grid.keyColumnCount();
    static const char* const opening[2][2] = {{"<TD class=e>", "<TD class=o>"}, {"<TD class=ke>", "<TD class=ko>"}};
    QString line;
    for (int row = 0, rows = grid.rowCount(); row < rows; ++row) {
        line = QStringLiteral("<TR>");
        const int odd = row % 2;
        for (int c = 0; c < columns; ++c) {
            const int key = c >= numberColumn && c < keyEnd ? 1 : 0;
            line += QLatin1String(opening[key][odd]) + GridCopy::escaped(grid.cellText(row, c))
                + QLatin1String("</TD>");
        }
        sink << line << "</TR>";
        if (!sink.maybeFlush())
            return false;
    }
    sink << "</TBODY></TABLE></font>" << "</td><tr></table>" << "</body></html>";
    return sink.flush();
}

#include "results/export/SpreadsheetXmlExport.h"

#include "results/export/ExportSink.h"
#include "results/grid/CKTableRenderer.h"

#include <charconv>
#include <vector>

namespace {

const char* const kStyles =
    R"(<ss:Styles>)"
    R"(<ss:Style ss:ID="Default" ss:Name="Normal"><ss:Alignment ss:Vertical="Bottom"/><ss:Borders/><ss:Font/>)"
    R"(<ss:Interior/><ss:NumberFormat/><ss:Protection/></ss:Style>)"
    R"(<ss:Style ss:ID="bold"><ss:Font ss:Bold="1"/></ss:Style>)"
    R"(<ss:Style ss:ID="time"><ss:NumberFormat ss:Format="hh:mm:ss.000"/></ss:Style>)"
    R"(<ss:Style ss:ID="minute"><ss:NumberFormat ss:Format="hh:mm"/></ss:Style>)"
    R"(<ss:Style ss:ID="month"><ss:NumberFormat ss:Format="yyyy\-mm"/></ss:Style>)"
    R"(<ss:Style ss:ID="second"><ss:NumberFormat ss:Format="hh:mm:ss"/></ss:Style>)"
    R"(<ss:Style ss:ID="date"><ss:NumberFormat ss:Format="yyyy\-mm\-dd"/></ss:Style>)"
    R"(<ss:Style ss:ID="datetime"><ss:NumberFormat ss:Format="yyyy\-mm\-dd hh:mm:ss.000"/></ss:Style>)"
    R"(<ss:Style ss:ID="timestamp"><ss:NumberFormat ss:Format="yyyy\-mm\-dd hh:mm:ss.000"/></ss:Style>)"
    R"(</ss:Styles><ss:Worksheet ss:Name="Sheet1">)";

// "&", "<" and ">" as entities; characters XML 1.0 cannot carry at all (the
// control characters other than tab and line breaks) as blanks, so that a
// string column holding them still gives a readable workbook.
bool needsEscape(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '&' || u == '<' || u == '>' || u < 0x20 || u == 0xFFFE || u == 0xFFFF)
            return true;
    }
    return false;
}

void appendEscaped(QString& out, const QString& text)
{
    if (!needsEscape(text)) {
        out += text;
        return;
    }
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '\t': case '\n': case '\r': out += c; break;
        default:
            out += c.unicode() < 0x20 || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF ? QChar(QLatin1Char(' ')) : c;
        }
    }
}

QString escaped(const QString& text)
{
    QString out;
    appendEscaped(out, text);
    return out;
}

// Whether the spreadsheet reads text as a number: the whole text parses as a
// double. std::from_chars, since QString::toDouble spent more time on every
// cell than the rest of the export.
bool readsAsNumber(const QString& text)
{
    constexpr qsizetype kMax = 64;
    const qsizetype n = text.size();
    if (n == 0 || n > kMax)
        return false;
    char bytes[kMax];
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u > 0x7F)
            return false;
        bytes[i] = static_cast<char>(u);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(bytes, bytes + n, value);
    return error == std::errc() && end == bytes + n;
}

// The cell for a display text, appended to a row.
void appendCell(QString& line, const QString& text, bool numberColumn)
{
    const char* type = "String";
    const char* special = nullptr;
    if (numberColumn) {
        const QChar last = text.isEmpty() ? QChar() : text.back();
        if (last == QLatin1Char('n') || last == QLatin1Char('N')) {
            special = ""; // a null: an empty cell
        } else if (last == QLatin1Char('w') || last == QLatin1Char('W')) {
            special = text.size() == 2 ? "&#8734;" : "-&#8734;";
        } else {
            // Texts the spreadsheet cannot read as a number (bytes shown in
            // hex, numbers with locale separators) stay text, so that the
            // workbook still opens.
            if (readsAsNumber(text))
                type = "Number";
        }
    }
    line += QLatin1String(R"(<ss:Cell><ss:Data ss:Type=")");
    line += QLatin1String(type);
    line += QLatin1String(R"(">)");
    if (special)
        line += QLatin1String(special);
    else
        appendEscaped(line, text);
    line += QLatin1String("</ss:Data></ss:Cell>");
}

} // namespace

SpreadsheetXmlExport::ColumnClass SpreadsheetXmlExport::columnClass(K column)
{
    if (!column)
        return {};
    switch (column->t) {
    case KB: case KG: case KH: case KI: case KJ: case KE: case KF: return {true, nullptr};
    case KP: case KN: return {false, "timestamp"};
    case KM: return {false, "month"};
    case KD: return {false, "date"};
    case KZ: return {false, "datetime"};
    case KU: return {false, "minute"};
    case KV: return {false, "second"};
    case KT: return {false, "time"};
    default: return {};
    }
}

QString SpreadsheetXmlExport::cell(const QString& text, bool numberColumn)
{
    QString line;
    appendCell(line, text, numberColumn);
    return line;
}

bool SpreadsheetXmlExport::write(const CKTableRenderer& grid, QIODevice& out)
{
    ExportSink sink(out);
    sink << "\xEF\xBB\xBF" << R"(<?xml version="1.0"?>)"
         << R"(<ss:Workbook xmlns:ss="urn:schemas-microsoft-com:office:spreadsheet">)" << kStyles << "<ss:Table>";
    const int first = grid.hasNumberColumn() ? 1 : 0;
    const int columns = grid.columnCount();
    std::vector<bool> numbers;
    for (int c = first; c < columns; ++c) {
        const ColumnClass kind = columnClass(grid.columnVector(c));
        numbers.push_back(kind.number);
        sink << R"(<ss:Column ss:AutoFitWidth="1" ss:Width="80" )";
        if (kind.style)
            sink << R"(ss:StyleID=")" << kind.style << "\"";
        sink << "/>";
    }
    sink << "<ss:Row>";
    for (int c = first; c < columns; ++c)
        sink << R"(<ss:Cell><ss:Data ss:Type="String">)" << escaped(grid.headerText(c)) << "</ss:Data></ss:Cell>";
    sink << "</ss:Row>";
    QString line;
    for (int row = 0, rows = grid.rowCount(); row < rows; ++row) {
        line = QStringLiteral("<ss:Row>");
        for (int c = first; c < columns; ++c)
            appendCell(line, grid.cellText(row, c), numbers[std::size_t(c - first)]);
        sink << line << "</ss:Row>";
        if (!sink.maybeFlush())
            return false;
    }
    sink << "</ss:Table></ss:Worksheet></ss:Workbook>";
    return sink.flush();
}

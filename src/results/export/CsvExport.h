// Grid content as CSV: the display texts in display order, never bounded by
// QCellCharsLimit, lines ending CR LF, UTF-8.
#pragma once

#include <QChar>
#include <QString>

#include <vector>

class CKTableRenderer;
class QIODevice;

class CsvExport {
public:
    // The text as a CSV field: enclosed in double quotes, with its double
    // quotes doubled, when it holds a double quote, a line break or the separator.
    static QString field(const QString& text, QChar separator);

    // rows: display rows in the order given; null for all rows.
    static bool write(const CKTableRenderer& grid, const std::vector<int>* rows, QChar separator, QIODevice& out);
    // The file is written whole or not at all; error says why it was not.
    static bool save(const QString& path, const CKTableRenderer& grid, const std::vector<int>* rows, QChar separator,
                     QString* error);
};

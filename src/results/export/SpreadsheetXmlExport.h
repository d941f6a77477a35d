// Grid content as a spreadsheet XML workbook ("Open in Excel"): the display
// texts (bounded by QCellCharsLimit as shown) in display order, number
// columns as numbers, temporal columns with their date and time styles.
// Written in pieces, so a large grid never becomes one string.
#pragma once

#include "kdb/k.h"

#include <QString>

class CKTableRenderer;
class QIODevice;

class SpreadsheetXmlExport {
public:
    struct ColumnClass {
        bool number = false;
        const char* style = nullptr; // a style id, or null
    };
    // By the type of a column vector (null: none).
    static ColumnClass columnClass(K column);

    // The cell for a display text in a column of that class.
    static QString cell(const QString& text, bool numberColumn);

    // The whole workbook, UTF-8 with a byte-order mark.
    static bool write(const CKTableRenderer& grid, QIODevice& out);
};

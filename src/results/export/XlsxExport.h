// Grid content as an Office Open XML workbook: the rows in display order,
// number columns as numbers, temporal columns as dates and times in the
// spreadsheet's own formats, nulls empty, other columns as their display
// texts; a bold, frozen header row with an auto-filter. Written by
// libxlsxwriter row by row (its constant-memory mode), whole or not at all.
#pragma once

#include "kdb/k.h"

#include <QString>

#include <optional>

class CKTableRenderer;

class XlsxExport {
public:
    // Excel's day number of an item of a temporal vector (days since
    // 1899-12-30, time of day as the fraction); empty for nulls, infinities
    // and what Excel cannot show (before 1900, negative times).
    static std::optional<double> serialOf(K column, long long index);
    // The number of an item of a numeric vector; empty for nulls and infinities.
    static std::optional<double> numberOf(K column, long long index);
    // The spreadsheet number format of a temporal vector type; null otherwise.
    static const char* formatOf(int type);

    // Rows beyond a worksheet's 1048575 below the header are refused.
    static bool save(const QString& path, const CKTableRenderer& grid, QString* error);
};

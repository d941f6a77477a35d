#include "results/export/CsvExport.h"

#include "results/export/ExportSink.h"
#include "results/grid/CKTableRenderer.h"

#include <QSaveFile>

QString CsvExport::field(const QString& text, QChar separator)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == separator) {
            QString quoted = text;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            return QLatin1Char('"') + quoted + QLatin1Char('"');
        }
    }
    return text;
}

bool CsvExport::write(const CKTableRenderer& grid, const std::vector<int>* rows, QChar separator, QIODevice& out)
{
    ExportSink sink(out);
    const int columns = grid.columnCount();
    const QString sep(separator);
    QString line;
    // Headers go as they are, unquoted.
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            line += sep;
        line += grid.headerText(c);
    }
    sink << line << "\r\n";
    const int count = rows ? int(rows->size()) : grid.rowCount();
    for (int i = 0; i < count; ++i) {
        const int row = rows ? (*rows)[std::size_t(i)] : i;
        line.clear();
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                line += sep;
            line += field(grid.cellText(row, c, 0), separator);
        }
        sink << line << "\r\n";
        if (!sink.maybeFlush())
            return false;
    }
    return sink.flush();
}

bool CsvExport::save(const QString& path, const CKTableRenderer& grid, const std::vector<int>* rows, QChar separator,
                     QString* error)
{
    QSaveFile file(path);
    // flush() before commit(): commit() misses a failed write of the last buffered bytes.
    if (!file.open(QIODevice::WriteOnly) || !write(grid, rows, separator, file) || !file.flush() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

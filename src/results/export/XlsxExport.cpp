#include "results/export/XlsxExport.h"

#include "results/grid/CKTableRenderer.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

constexpr double kDay2000 = 36526; // 2000.01.01 as an Excel day number
constexpr double kNanosPerDay = 86400e9;
constexpr int kMaxText = 32767; // characters of one cell

bool isNull(J v) { return v == nj || v == wj || v == -wj; }
bool isNull(I v) { return v == ni || v == wi || v == -wi; }

std::filesystem::path nativePath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

bool isNullItem(K column, long long index)
{
    if (!column || index < 0 || index >= column->n)
        return true;
    switch (column->t) {
    case KH: return kH(column)[index] == nh;
    case KI: case KM: case KD: case KU: case KV: case KT: return kI(column)[index] == ni;
    case KJ: case KP: case KN: return kJ(column)[index] == nj;
    case KE: return std::isnan(kE(column)[index]);
    case KF: case KZ: return std::isnan(kF(column)[index]);
    default: return false;
    }
}

// Printable ASCII of a length a cell holds: written as it is.
bool isPlainAscii(const char* text)
{
    std::size_t n = 0;
    for (; text[n]; ++n)
        if (static_cast<unsigned char>(text[n]) < 0x20 || static_cast<unsigned char>(text[n]) > 0x7E)
            return false;
    return n <= std::size_t(kMaxText);
}

std::optional<double> nonNegative(double v)
{
    if (std::isfinite(v) && v >= 0)
        return v;
    return std::nullopt;
}

struct Column {
    int section = 0;
    int kind = 0; // 0 text, 1 number, 2 boolean, 3 temporal, 4 symbol
    lxw_format* format = nullptr;
};

} // namespace

const char* XlsxExport::formatOf(int type)
{
    switch (type) {
    case KP: case KZ: return "yyyy\\-mm\\-dd hh:mm:ss.000";
    case KN: return "[h]:mm:ss.000";
    case KM: return "yyyy\\-mm";
    case KD: return "yyyy\\-mm\\-dd";
    case KU: return "hh:mm";
    case KV: return "hh:mm:ss";
    case KT: return "hh:mm:ss.000";
    default: return nullptr;
    }
}

std::optional<double> XlsxExport::serialOf(K column, long long index)
{
    if (!column || index < 0 || index >= column->n)
        return std::nullopt;
    switch (column->t) {
    case KP: {
        const J v = kJ(column)[index];
        return isNull(v) ? std::nullopt : nonNegative(kDay2000 + double(v) / kNanosPerDay);
    }
    case KN: {
        const J v = kJ(column)[index];
        return isNull(v) ? std::nullopt : nonNegative(double(v) / kNanosPerDay);
    }
    case KM: {
        const I v = kI(column)[index];
        if (isNull(v))
            return std::nullopt;
        const QDate date = QDate(2000, 1, 1).addMonths(v);
        return nonNegative(double(QDate(1899, 12, 30).daysTo(date)));
    }
    case KD: {
        const I v = kI(column)[index];
        return isNull(v) ? std::nullopt : nonNegative(kDay2000 + v);
    }
    case KZ: return nonNegative(kDay2000 + kF(column)[index]);
    case KU: {
        const I v = kI(column)[index];
        return isNull(v) ? std::nullopt : nonNegative(v / 1440.0);
    }
    case KV: {
        const I v = kI(column)[index];
        return isNull(v) ? std::nullopt : nonNegative(v / 86400.0);
    }
    case KT: {
        const I v = kI(column)[index];
        return isNull(v) ? std::nullopt : nonNegative(v / 86400000.0);
    }
    default: return std::nullopt;
    }
}

std::optional<double> XlsxExport::numberOf(K column, long long index)
{
    if (!column || index < 0 || index >= column->n)
        return std::nullopt;
    double v = 0;
    switch (column->t) {
    case KB: case KG: v = kG(column)[index]; break;
    case KH: {
        const H h = kH(column)[index];
        if (h == nh || h == wh || h == -wh)
            return std::nullopt;
        v = h;
        break;
    }
    case KI: {
        const I i = kI(column)[index];
        if (isNull(i))
            return std::nullopt;
        v = i;
        break;
    }
    case KJ: {
        const J j = kJ(column)[index];
        if (isNull(j))
            return std::nullopt;
        v = double(j);
        break;
    }
    case KE: v = kE(column)[index]; break;
    case KF: v = kF(column)[index]; break;
    default: return std::nullopt;
    }
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

bool XlsxExport::save(const QString& path, const CKTableRenderer& grid, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const int rows = grid.rowCount();
    if (rows > LXW_ROW_MAX - 1)
        return fail(QStringLiteral("%1 rows are more than a worksheet holds (%2)").arg(rows).arg(LXW_ROW_MAX - 1));

    // Written beside the target, then renamed over it.
    QString temporary;
    {
        QTemporaryFile name(QFileInfo(path).absoluteDir().filePath(QStringLiteral(".tovoXXXXXX.xlsx")));
        if (!name.open())
            return fail(name.errorString());
        name.setAutoRemove(false);
        temporary = name.fileName();
    }
    const QByteArray nativeTemporary = QFile::encodeName(QDir::toNativeSeparators(temporary));

    lxw_workbook_options options {};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(nativeTemporary.constData(), &options);
    if (!book) {
        QFile::remove(temporary);
        return fail(QStringLiteral("the workbook could not be created"));
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Sheet1");
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);

    std::vector<Column> columns;
    const int first = grid.hasNumberColumn() ? 1 : 0;
    for (int c = first; c < grid.columnCount(); ++c) {
        Column column;
        column.section = c;
        K vector = grid.columnVector(c);
        const int type = vector ? vector->t : 0;
        if (const char* format = formatOf(type)) {
            column.kind = 3;
            column.format = workbook_add_format(book);
            format_set_num_format(column.format, format);
        } else if (type == KS) {
            column.kind = 4;
        } else if (type == KB) {
            column.kind = 2;
        } else if (type == KG || type == KH || type == KI || type == KJ || type == KE || type == KF) {
            column.kind = 1;
        }
        columns.push_back(column);
    }

    lxw_error status = LXW_NO_ERROR;
    const auto check = [&status](lxw_error e) {
        if (e != LXW_NO_ERROR && status == LXW_NO_ERROR)
            status = e;
    };
    const auto lastColumn = lxw_col_t(columns.empty() ? 0 : columns.size() - 1);
    for (std::size_t i = 0; i < columns.size(); ++i)
        check(worksheet_set_column(sheet, lxw_col_t(i), lxw_col_t(i), columns[i].kind == 3 ? 23 : 12, nullptr));
    worksheet_freeze_panes(sheet, 1, 0);
    if (!columns.empty())
        check(worksheet_autofilter(sheet, 0, 0, lxw_row_t(rows), lastColumn));

    const auto writeText = [&](lxw_row_t r, lxw_col_t c, QString text, lxw_format* format) {
        if (text.isEmpty())
            return;
        if (text.size() > kMaxText)
            text.truncate(text.at(kMaxText - 1).isHighSurrogate() ? kMaxText - 1 : kMaxText);
        check(worksheet_write_string(sheet, r, c, text.toUtf8().constData(), format));
    };
    for (std::size_t i = 0; i < columns.size(); ++i)
        writeText(0, lxw_col_t(i), grid.headerText(columns[i].section), bold);
    for (int row = 0; row < rows && status == LXW_NO_ERROR; ++row) {
        const auto r = lxw_row_t(row + 1);
        const long long p = grid.valueRow(row);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Column& column = columns[i];
            const auto c = lxw_col_t(i);
            K vector = column.kind ? grid.columnVector(column.section) : nullptr;
            if (column.kind == 4) {
                // A symbol is shown as its text: taken as it is, without rendering.
                if (vector && p >= 0 && p < vector->n && kS(vector)[p] && *kS(vector)[p]) {
                    const char* text = kS(vector)[p];
                    if (isPlainAscii(text))
                        check(worksheet_write_string(sheet, r, c, text, nullptr));
                    else
                        writeText(r, c, QString::fromUtf8(text), nullptr);
                }
                continue;
            }
            std::optional<double> value;
            if (column.kind == 3)
                value = serialOf(vector, p);
            else if (column.kind == 1 || column.kind == 2)
                value = numberOf(vector, p);
            if (value) {
                if (column.kind == 2)
                    check(worksheet_write_boolean(sheet, r, c, *value != 0, nullptr));
                else
                    check(worksheet_write_number(sheet, r, c, *value, column.format));
                continue;
            }
            // Nulls stay empty; infinities and out-of-range times keep their text.
            if (column.kind && isNullItem(vector, p))
                continue;
            writeText(r, c, grid.cellText(row, column.section, 0), nullptr);
        }
    }
    const lxw_error closed = workbook_close(book);
    if (status == LXW_NO_ERROR)
        status = closed;
    if (status != LXW_NO_ERROR) {
        QFile::remove(temporary);
        return fail(QString::fromUtf8(lxw_strerror(status)));
    }
    std::error_code ec;
    std::filesystem::rename(nativePath(temporary), nativePath(path), ec);
    if (ec) {
        QFile::remove(temporary);
        return fail(QString::fromStdString(ec.message()));
    }
    return true;
}

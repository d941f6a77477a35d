// The condition a grid column's filter box holds, read from its text:
//  - empty: no condition, every row passes;
//  - "null" / "!null": the cell is / is not the null of its type;
//  - "=x", "<>x" (or "!=x"), "<x", "<=x", ">x", ">=x": the cell compared with
//    x read as a value of the column's type (numbers as numbers, temporal
//    values in the column's units, symbols and strings byte-wise); "=0N" and
//    "<>0N" (any q null: 0N, 0n, 0Nd, ` for symbols) test for nulls; ordered
//    comparisons never match a null;
//  - any other text: the cell's display text contains it, case-insensitively.
// An operand that is no value of the column's type makes the condition
// invalid: it matches no row.
#pragma once

#include "results/grid/FilterLiteral.h"

#include "core/values/KRender.h"

#include "kdb/k.h"

#include <QByteArray>
#include <QString>

#include <unordered_map>

class FilterCondition {
public:
    enum class Op { None, Invalid, Contains, IsNull, NotNull, Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

    // What matching needs per thread: a renderer for display texts and the
    // answers already found for symbols.
    struct Scratch {
        explicit Scratch(const RenderOptions& options = {}, long long cellLimit = 0)
            : render(options), cellLimit(cellLimit)
        {
        }
        KRender render;
        long long cellLimit; // as QCellCharsLimit
        std::unordered_map<const char*, bool> symbols;
    };

    FilterCondition() = default;
    // type: the column vector's type (a list type 0..19; others compare by text).
    static FilterCondition parse(const QString& text, int type);

    Op op() const { return m_op; }
    bool isActive() const { return m_op != Op::None; }
    bool isValid() const { return m_op != Op::Invalid; }
    int type() const { return m_type; }
    const FilterLiteral& operand() const { return m_operand; }

    // Whether the item at `row` of `column` (the column the condition was
    // parsed for) passes. Rows beyond the column's end are null cells.
    bool matches(K column, long long row, Scratch& scratch) const;

    static bool isNullCell(K column, long long row);

private:
    bool contains(K column, long long row, Scratch& scratch) const;
    // <0, 0, >0 as the cell is below, equal to or above the operand.
    int compare(K column, long long row, Scratch& scratch) const;
    int compareItem(K column, long long row, Scratch& scratch) const;
    int compareText(const QString& cell) const;

    Op m_op = Op::None;
    int m_type = 0;
    FilterLiteral m_operand;
    QString m_needle;       // Contains; also the operand as text
    bool m_ascii = false;   // Contains: the needle is ASCII
    QByteArray m_asciiNeedle; // ... and in lower case
    bool m_hasNumber = false; // general lists: the operand is also a number
    double m_number = 0;
};

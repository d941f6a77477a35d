// An operand typed in a grid's filter box, read as a value of the column's
// type: integers and floats with q's nulls and infinities, the temporal types
// from q's date, month, time and timestamp forms (in the column's own units),
// chars, symbols and strings as text.
#pragma once

#include <QByteArray>
#include <QString>

class FilterLiteral {
public:
    enum class Kind {
        Invalid,  // not a value of the column's type
        Null,     // the type's null
        Integer,  // booleans, bytes, chars, the integral and int-based temporal types
        Floating, // real, float, datetime (days)
        Text,     // symbols, strings and every type compared by its display text
    };

    Kind kind = Kind::Invalid;
    long long integer = 0;
    double floating = 0;
    QByteArray text; // UTF-8

    // text: the operand, already trimmed; type: the column's list type (0..19,
    // anything else compares by text).
    static FilterLiteral parse(const QString& text, int type);

    // Whether a column of this type compares as numbers (Integer or Floating).
    static bool isIntegral(int type);
    static bool isFloating(int type);

private:
    static FilterLiteral integral(const QString& text, int type);
    static FilterLiteral floatingPoint(const QString& text, int type);
    static FilterLiteral temporal(const QString& text, int type);
};

#include "results/grid/FilterCondition.h"

#include "results/grid/TableColumns.h"

#include "core/values/KItemText.h"

#include <cmath>
#include <cstring>
#include <string_view>

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Whether text holds needle (lower-case ASCII), ignoring the case of ASCII letters.
bool containsAscii(std::string_view text, const QByteArray& needle)
{
    const std::size_t n = static_cast<std::size_t>(needle.size());
    if (n == 0)
        return true;
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i + n <= text.size(); ++i) {
        std::size_t j = 0;
        while (j < n && lowerAscii(text[i + j]) == needle[qsizetype(j)])
            ++j;
        if (j == n)
            return true;
    }
    return false;
}

int sign(long long a, long long b) { return a < b ? -1 : a > b ? 1 : 0; }

int sign(double a, double b) { return a < b ? -1 : a > b ? 1 : 0; }

int compareBytes(const char* a, std::size_t na, const QByteArray& b)
{
    const std::size_t nb = static_cast<std::size_t>(b.size());
    const int c = std::memcmp(a, b.constData(), std::min(na, nb));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return na < nb ? -1 : na > nb ? 1 : 0;
}

// An integral item of a list as a signed number.
long long integralItem(K column, long long row)
{
    switch (column->t) {
    case KB: case KG: return kG(column)[row];
    case KC: return static_cast<unsigned char>(kC(column)[row]);
    case KH: return kH(column)[row];
    case KI: case KM: case KD: case KU: case KV: case KT: return kI(column)[row];
    default: return kJ(column)[row];
    }
}

// A number atom's value, false for other items (temporal atoms included).
bool numberAtom(K item, double& value)
{
    switch (-item->t) {
    case KB: case KG: value = item->g; return true;
    case KH: value = item->h; return !KItemText::isNull(KH, &item->h);
    case KI: value = item->i; return !KItemText::isNull(KI, &item->i);
    case KJ: value = double(item->j); return !KItemText::isNull(KJ, &item->j);
    case KE: value = item->e; return !std::isnan(item->e);
    case KF: value = item->f; return !std::isnan(item->f);
    default: return false;
    }
}

} // namespace

FilterCondition FilterCondition::parse(const QString& text, int type)
{
    FilterCondition c;
    c.m_type = type;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return c;
    if (trimmed.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0) {
        c.m_op = Op::IsNull;
        return c;
    }
    if (trimmed.compare(QLatin1String("!null"), Qt::CaseInsensitive) == 0) {
        c.m_op = Op::NotNull;
        return c;
    }
    static const struct {
        const char* mark;
        Op op;
    } operators[] = {{"<>", Op::NotEqual}, {"!=", Op::NotEqual}, {"<=", Op::LessEqual}, {">=", Op::GreaterEqual},
                     {"=", Op::Equal},     {"<", Op::Less},      {">", Op::Greater}};
    for (const auto& o : operators) {
        const QLatin1String mark(o.mark);
        if (!trimmed.startsWith(mark))
            continue;
        const QString operand = trimmed.mid(mark.size()).trimmed();
        // An operator alone is a condition still being typed.
        if (operand.isEmpty())
            return c;
        c.m_operand = FilterLiteral::parse(operand, type);
        c.m_needle = operand;
        c.m_number = operand.toDouble(&c.m_hasNumber);
        const bool ordered = o.op != Op::Equal && o.op != Op::NotEqual;
        switch (c.m_operand.kind) {
        case FilterLiteral::Kind::Invalid: c.m_op = Op::Invalid; break;
        case FilterLiteral::Kind::Null:
            c.m_op = ordered ? Op::Invalid : o.op == Op::Equal ? Op::IsNull : Op::NotNull;
            break;
        default: c.m_op = o.op; break;
        }
        return c;
    }
    c.m_op = Op::Contains;
    c.m_needle = text;
    // An ASCII needle is looked for in the UTF-8 text, without a QString a cell.
    bool ascii = true;
    for (QChar ch : text)
        ascii = ascii && ch.unicode() < 0x80;
    if (ascii)
        c.m_asciiNeedle = text.toLower().toLatin1();
    c.m_ascii = ascii;
    return c;
}

bool FilterCondition::isNullCell(K column, long long row)
{
    if (!column || row < 0 || row >= TableColumns::length(column))
        return true;
    if (column->t < 0 || column->t >= XT)
        return false;
    switch (column->t) {
    case KC: return kC(column)[row] == ' ';
    case KS: return kS(column)[row][0] == '\0';
    case UU: {
        static const U zero{};
        return std::memcmp(&kU(column)[row], &zero, sizeof zero) == 0;
    }
    case 0: {
        K item = kK(column)[row];
        if (!item)
            return true;
        if (item->t >= 0)
            return item->t < XT && item->n == 0;
        switch (-item->t) {
        case KC: return item->g == ' ';
        case KS: return !item->s || item->s[0] == '\0';
        default: return KItemText::isNull(-item->t, &item->g);
        }
    }
    case KH: return KItemText::isNull(KH, &kH(column)[row]);
    case KI: case KM: case KD: case KU: case KV: case KT: return KItemText::isNull(column->t, &kI(column)[row]);
    case KJ: case KP: case KN: return kJ(column)[row] == nj;
    case KE: return std::isnan(kE(column)[row]);
    case KF: case KZ: return std::isnan(kF(column)[row]);
    default: return false;
    }
}

bool FilterCondition::matches(K column, long long row, Scratch& scratch) const
{
    switch (m_op) {
    case Op::None: return true;
    case Op::Invalid: return false;
    case Op::Contains: return contains(column, row, scratch);
    case Op::IsNull: return isNullCell(column, row);
    case Op::NotNull: return !isNullCell(column, row);
    default: break;
    }
    if (!column || column->t != m_type || isNullCell(column, row))
        return false;
    const int c = compare(column, row, scratch);
    switch (m_op) {
    case Op::Equal: return c == 0;
    case Op::NotEqual: return c != 0;
    case Op::Less: return c < 0;
    case Op::LessEqual: return c <= 0;
    case Op::Greater: return c > 0;
    case Op::GreaterEqual: return c >= 0;
    default: return false;
    }
}

bool FilterCondition::contains(K column, long long row, Scratch& scratch) const
{
    if (!column || row < 0 || row >= TableColumns::length(column))
        return m_needle.isEmpty();
    auto test = [&] {
        if (m_ascii)
            return containsAscii(scratch.render.renderUtf8(column, -1, false, row, scratch.cellLimit), m_asciiNeedle);
        return scratch.render.render(column, -1, false, row, scratch.cellLimit).contains(m_needle, Qt::CaseInsensitive);
    };
    if (column->t != KS)
        return test();
    // A symbol's text never changes: one answer per distinct symbol.
    const char* symbol = kS(column)[row];
    auto [it, added] = scratch.symbols.try_emplace(symbol, false);
    if (added)
        it->second = test();
    return it->second;
}

int FilterCondition::compare(K column, long long row, Scratch& scratch) const
{
    switch (m_operand.kind) {
    case FilterLiteral::Kind::Integer: return sign(integralItem(column, row), m_operand.integer);
    case FilterLiteral::Kind::Floating:
        return sign(column->t == KE ? double(kE(column)[row]) : kF(column)[row], m_operand.floating);
    default: break;
    }
    if (column->t == KS) {
        const char* s = kS(column)[row];
        return compareBytes(s, std::strlen(s), m_operand.text);
    }
    if (column->t == 0)
        return compareItem(column, row, scratch);
    return compareText(scratch.render.render(column, -1, false, row, 0));
}

int FilterCondition::compareItem(K column, long long row, Scratch& scratch) const
{
    K item = kK(column)[row];
    if (item->t == KC)
        return compareBytes(kC(item), static_cast<std::size_t>(item->n), m_operand.text);
    if (item->t == -KS && item->s)
        return compareBytes(item->s, std::strlen(item->s), m_operand.text);
    double value = 0;
    if (m_hasNumber && numberAtom(item, value))
        return sign(value, m_number);
    return compareText(scratch.render.render(column, -1, false, row, 0));
}

int FilterCondition::compareText(const QString& cell) const
{
    const int c = cell.compare(m_needle);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

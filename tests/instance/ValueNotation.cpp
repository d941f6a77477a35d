#include "ValueNotation.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr J kNanosPerDay = 86400000000000LL;

struct Atom {
    int type = KJ; // positive type code
    bool typed = false; // carried an explicit type letter
    bool floating = false;
    J j = 0;
    F f = 0;
};

int suffixType(QChar c)
{
    switch (c.toLatin1()) {
    case 'h': return KH;
    case 'i': return KI;
    case 'j': return KJ;
    case 'e': return KE;
    case 'f': return KF;
    case 'd': return KD;
    case 'p': return KP;
    case 'n': return KN;
    case 'm': return KM;
    case 'u': return KU;
    case 'v': return KV;
    case 't': return KT;
    default: return 0;
    }
}

J nullOf(int t)
{
    switch (t) {
    case KH: return nh;
    case KI: case KD: case KM: case KU: case KV: case KT: return ni;
    default: return nj;
    }
}

J infOf(int t)
{
    switch (t) {
    case KH: return wh;
    case KI: return wi;
    default: return wj;
    }
}

J fraction(const QString& digits, int width)
{
    if (digits.isEmpty())
        return 0;
    QString padded = digits.left(width).leftJustified(width, QLatin1Char('0'));
    return padded.toLongLong();
}

bool classify(const QString& t, Atom& a)
{
    static const QRegularExpression number(QStringLiteral(R"(^(-?)(\d+(\.\d*)?|\.\d+)(e[+-]?\d+)?([hijef])?$)"));
    static const QRegularExpression special(QStringLiteral(R"(^(-?)0([NnWw])([hijefdpnmuvt])?$)"));
    static const QRegularExpression date(QStringLiteral(R"(^(\d{4})\.(\d{2})\.(\d{2})$)"));
    static const QRegularExpression stamp(
        QStringLiteral(R"(^(\d{4})\.(\d{2})\.(\d{2})D(\d{2}):(\d{2}):(\d{2})(?:\.(\d{1,9}))?$)"));
    static const QRegularExpression month(QStringLiteral(R"(^(\d{4})\.(\d{2})m$)"));
    static const QRegularExpression clock(QStringLiteral(R"(^(\d{2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?$)"));
    static const QRegularExpression span(QStringLiteral(R"(^(-?)(\d+)D(\d{2}):(\d{2}):(\d{2})(?:\.(\d{1,9}))?$)"));
    QRegularExpressionMatch m;
    if ((m = number.match(t)).hasMatch()) {
        a.type = suffixType(m.captured(5).isEmpty() ? QChar() : m.captured(5).at(0));
        a.typed = a.type != 0;
        a.floating = !m.captured(3).isEmpty() || !m.captured(4).isEmpty() || m.captured(2).startsWith(QLatin1Char('.'));
        if (!a.type)
            a.type = a.floating ? KF : KJ;
        bool ok = true;
        a.f = t.left(t.size() - (a.typed ? 1 : 0)).toDouble(&ok);
        if (!ok)
            return false;
        if (a.type != KF && a.type != KE) {
            if (a.floating)
                return false; // 1.5i is not a value
            a.j = t.left(t.size() - (a.typed ? 1 : 0)).toLongLong(&ok);
            return ok;
        }
        return true;
    }
    if ((m = special.match(t)).hasMatch()) {
        const bool isNull = m.captured(2).compare(QLatin1String("n"), Qt::CaseInsensitive) == 0;
        const bool floatNull = m.captured(2) == QLatin1String("n") || m.captured(2) == QLatin1String("w");
        a.type = suffixType(m.captured(3).isEmpty() ? QChar() : m.captured(3).at(0));
        a.typed = a.type != 0;
        if (!a.type)
            a.type = floatNull ? KF : KJ;
        a.floating = a.type == KF || a.type == KE;
        const double sign = m.captured(1).isEmpty() ? 1 : -1;
        a.f = isNull ? std::numeric_limits<double>::quiet_NaN() : sign * std::numeric_limits<double>::infinity();
        a.j = isNull ? nullOf(a.type) : (sign > 0 ? infOf(a.type) : -infOf(a.type));
        return true;
    }
    a.typed = true;
    if ((m = date.match(t)).hasMatch()) {
        a.type = KD;
        a.j = ymd(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        return true;
    }
    if ((m = stamp.match(t)).hasMatch()) {
        a.type = KP;
        const J days = ymd(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        const J secs = m.captured(4).toLongLong() * 3600 + m.captured(5).toLongLong() * 60 + m.captured(6).toLongLong();
        a.j = days * kNanosPerDay + secs * 1000000000LL + fraction(m.captured(7), 9);
        return true;
    }
    if ((m = month.match(t)).hasMatch()) {
        a.type = KM;
        a.j = (m.captured(1).toInt() - 2000) * 12 + m.captured(2).toInt() - 1;
        return true;
    }
    if ((m = clock.match(t)).hasMatch()) {
        const J h = m.captured(1).toLongLong(), mi = m.captured(2).toLongLong();
        if (m.captured(3).isEmpty()) {
            a.type = KU;
            a.j = h * 60 + mi;
        } else if (m.captured(4).isEmpty()) {
            a.type = KV;
            a.j = h * 3600 + mi * 60 + m.captured(3).toLongLong();
        } else {
            a.type = KT;
            a.j = (h * 3600 + mi * 60 + m.captured(3).toLongLong()) * 1000 + fraction(m.captured(4), 3);
        }
        return true;
    }
    if ((m = span.match(t)).hasMatch()) {
        a.type = KN;
        const J secs = m.captured(3).toLongLong() * 3600 + m.captured(4).toLongLong() * 60 + m.captured(5).toLongLong();
        a.j = m.captured(2).toLongLong() * kNanosPerDay + secs * 1000000000LL + fraction(m.captured(6), 9);
        if (!m.captured(1).isEmpty())
            a.j = -a.j;
        return true;
    }
    return false;
}

void store(K x, J i, const Atom& a, int type)
{
    // Numbers carry their value in f whatever their type; nulls there are NaN.
    switch (type) {
    case KH: kH(x)[i] = static_cast<H>(a.j); break;
    case KI: case KD: case KM: case KU: case KV: case KT: kI(x)[i] = static_cast<I>(a.j); break;
    case KE: kE(x)[i] = static_cast<E>(a.f); break;
    case KF: kF(x)[i] = a.f; break;
    default: kJ(x)[i] = a.j; break;
    }
}

K atomOf(const Atom& a)
{
    K x = ktn(a.type, 1);
    store(x, 0, a, a.type);
    K atom = ka(-a.type);
    std::memcpy(&atom->g, kG(x), static_cast<std::size_t>(kItemSize(a.type)));
    r0(x);
    return atom;
}

class Parser {
public:
    explicit Parser(const QString& text) : s(text) {}

    KPtr parseAll()
    {
        KPtr x = expr();
        skipSpace();
        if (x && i < s.size())
            return fail(QStringLiteral("unexpected text at %1: %2").arg(i).arg(s.mid(i, 20)));
        return x;
    }

    QString error;

private:
    KPtr fail(const QString& why)
    {
        if (error.isEmpty())
            error = why;
        return KPtr();
    }
    void skipSpace()
    {
        while (i < s.size() && s.at(i).isSpace())
            ++i;
    }
    bool peek(QChar c)
    {
        skipSpace();
        return i < s.size() && s.at(i) == c;
    }
    bool eat(QChar c)
    {
        if (!peek(c))
            return false;
        ++i;
        return true;
    }

    KPtr expr()
    {
        KPtr left = term();
        if (left && eat(QLatin1Char('!'))) {
            KPtr right = expr();
            if (!right)
                return KPtr();
            return KPtr(xD(left.release(), right.release()));
        }
        return left;
    }

    KPtr term()
    {
        skipSpace();
        if (i >= s.size())
            return fail(QStringLiteral("value expected"));
        const QChar c = s.at(i);
        if (s.mid(i, 7) == QLatin1String("enlist ")) {
            i += 7;
            KPtr item = term();
            if (!item)
                return KPtr();
            if (item->t < 0 && item->t != KERR) {
                const int t = -item->t;
                K list = ktn(t, 1);
                std::memcpy(kG(list), &item->g, static_cast<std::size_t>(kItemSize(t)));
                return KPtr(list);
            }
            return KPtr(knk(1, item.release()));
        }
        if (s.mid(i, 2) == QLatin1String("::")) {
            i += 2;
            return KPtr(ka(KUNARY));
        }
        if (c == QLatin1Char('('))
            return paren();
        if (c == QLatin1Char('"'))
            return string();
        if (c == QLatin1Char('`'))
            return symbols();
        if (c == QLatin1Char('{'))
            return lambda();
        return atoms();
    }

    KPtr paren()
    {
        ++i;
        if (eat(QLatin1Char('[')))
            return table();
        if (eat(QLatin1Char(')')))
            return KPtr(ktn(0, 0));
        std::vector<KPtr> items;
        for (;;) {
            KPtr x = expr();
            if (!x)
                return KPtr();
            items.push_back(std::move(x));
            if (eat(QLatin1Char(';')))
                continue;
            if (eat(QLatin1Char(')')))
                break;
            return fail(QStringLiteral("; or ) expected at %1").arg(i));
        }
        if (items.size() == 1)
            return std::move(items.front()); // parentheses only group
        K list = ktn(0, static_cast<J>(items.size()));
        for (std::size_t n = 0; n < items.size(); ++n)
            kK(list)[n] = items[n].release();
        return KPtr(list);
    }

    bool columns(QChar close, std::vector<QString>& names, std::vector<KPtr>& values)
    {
        if (eat(close))
            return true;
        for (;;) {
            skipSpace();
            const int start = i;
            while (i < s.size() && (s.at(i).isLetterOrNumber() || s.at(i) == QLatin1Char('_')))
                ++i;
            QString name = s.mid(start, i - start);
            if (name.isEmpty() || !eat(QLatin1Char(':'))) {
                fail(QStringLiteral("column name and : expected at %1").arg(start));
                return false;
            }
            KPtr column = expr();
            if (!column)
                return false;
            if (column->t < 0 || column->t >= XT) {
                fail(QStringLiteral("column %1 is not a list").arg(name));
                return false;
            }
            names.push_back(name);
            values.push_back(std::move(column));
            if (eat(QLatin1Char(';')))
                continue;
            if (eat(close))
                return true;
            fail(QStringLiteral("; or %1 expected at %2").arg(close).arg(i));
            return false;
        }
    }

    KPtr makeTable(std::vector<QString>& names, std::vector<KPtr>& values)
    {
        for (const KPtr& v : values)
            if (v->n != values.front()->n)
                return fail(QStringLiteral("columns of different lengths"));
        K keys = ktn(KS, static_cast<J>(names.size()));
        K cols = ktn(0, static_cast<J>(names.size()));
        for (std::size_t n = 0; n < names.size(); ++n) {
            kS(keys)[n] = ss(names[n].toUtf8().constData());
            kK(cols)[n] = values[n].release();
        }
        return KPtr(xT(xD(keys, cols)));
    }

    KPtr table()
    {
        std::vector<QString> keyNames, names;
        std::vector<KPtr> keyValues, values;
        if (!columns(QLatin1Char(']'), keyNames, keyValues) || !columns(QLatin1Char(')'), names, values))
            return KPtr();
        if (names.empty())
            return fail(QStringLiteral("a table needs columns"));
        KPtr body = makeTable(names, values);
        if (!body || keyNames.empty())
            return body;
        KPtr keys = makeTable(keyNames, keyValues);
        if (!keys)
            return KPtr();
        return KPtr(xD(keys.release(), body.release()));
    }

    KPtr string()
    {
        ++i;
        QByteArray bytes;
        while (i < s.size() && s.at(i) != QLatin1Char('"')) {
            QChar c = s.at(i++);
            if (c == QLatin1Char('\\') && i < s.size()) {
                QChar e = s.at(i++);
                switch (e.toLatin1()) {
                case 'n': bytes += '\n'; break;
                case 'r': bytes += '\r'; break;
                case 't': bytes += '\t'; break;
                default: bytes += QString(e).toUtf8(); break;
                }
            } else {
                bytes += QString(c).toUtf8();
            }
        }
        if (!eat(QLatin1Char('"')))
            return fail(QStringLiteral("unterminated string"));
        if (bytes.size() == 1)
            return KPtr(kc(bytes.at(0)));
        return KPtr(kpn(bytes.constData(), bytes.size()));
    }

    KPtr symbols()
    {
        std::vector<QByteArray> names;
        while (i < s.size() && s.at(i) == QLatin1Char('`')) {
            ++i;
            const int start = i;
            while (i < s.size()
                   && (s.at(i).isLetterOrNumber() || QStringLiteral("._:/").contains(s.at(i))))
                ++i;
            names.push_back(s.mid(start, i - start).toUtf8());
        }
        if (names.size() == 1)
            return KPtr(ks(names.front().constData()));
        K list = ktn(KS, static_cast<J>(names.size()));
        for (std::size_t n = 0; n < names.size(); ++n)
            kS(list)[n] = ss(names[n].constData());
        return KPtr(list);
    }

    KPtr lambda()
    {
        const int start = i;
        int depth = 0;
        bool quoted = false;
        for (; i < s.size(); ++i) {
            const QChar c = s.at(i);
            if (quoted) {
                if (c == QLatin1Char('\\'))
                    ++i;
                else if (c == QLatin1Char('"'))
                    quoted = false;
            } else if (c == QLatin1Char('"')) {
                quoted = true;
            } else if (c == QLatin1Char('{')) {
                ++depth;
            } else if (c == QLatin1Char('}') && --depth == 0) {
                ++i;
                const QByteArray text = s.mid(start, i - start).toUtf8();
                // The layout the serialiser expects: the context symbol, then the source text.
                K x = ktn(KLAMBDA, 2);
                kK(x)[0] = ks("");
                kK(x)[1] = kpn(text.constData(), text.size());
                return KPtr(x);
            }
        }
        return fail(QStringLiteral("unterminated lambda"));
    }

    QString token()
    {
        skipSpace();
        const int start = i;
        while (i < s.size() && !s.at(i).isSpace() && !QStringLiteral(";)]!(").contains(s.at(i)))
            ++i;
        return s.mid(start, i - start);
    }

    bool atomAhead()
    {
        int j = i;
        while (j < s.size() && s.at(j) == QLatin1Char(' '))
            ++j;
        if (j == i || j >= s.size())
            return false;
        const QChar c = s.at(j);
        return c.isDigit() || (c == QLatin1Char('-') && j + 1 < s.size() && s.at(j + 1).isDigit())
            || c == QLatin1Char('.');
    }

    KPtr atoms()
    {
        const QString first = token();
        if (first.isEmpty())
            return fail(QStringLiteral("value expected at %1").arg(i));
        static const QRegularExpression bools(QStringLiteral(R"(^([01]+)b$)"));
        static const QRegularExpression bytes(QStringLiteral(R"(^0x([0-9a-fA-F]*)$)"));
        QRegularExpressionMatch m;
        if ((m = bools.match(first)).hasMatch()) {
            const QString bits = m.captured(1);
            if (bits.size() == 1)
                return KPtr(kb(bits == QLatin1String("1")));
            K list = ktn(KB, bits.size());
            for (int n = 0; n < bits.size(); ++n)
                kG(list)[n] = bits.at(n) == QLatin1Char('1');
            return KPtr(list);
        }
        if ((m = bytes.match(first)).hasMatch()) {
            const QByteArray raw = QByteArray::fromHex(m.captured(1).toLatin1());
            if (m.captured(1).size() % 2)
                return fail(QStringLiteral("odd number of hex digits in %1").arg(first));
            if (raw.size() == 1)
                return KPtr(kg(static_cast<unsigned char>(raw.at(0))));
            K list = ktn(KG, raw.size());
            if (!raw.isEmpty())
                std::memcpy(kG(list), raw.constData(), static_cast<std::size_t>(raw.size()));
            return KPtr(list);
        }
        std::vector<Atom> items(1);
        if (!classify(first, items[0]))
            return fail(QStringLiteral("not a value: %1").arg(first));
        while (atomAhead()) {
            Atom a;
            const QString t = token();
            if (!classify(t, a))
                return fail(QStringLiteral("not a value: %1").arg(t));
            items.push_back(a);
        }
        if (items.size() == 1)
            return KPtr(atomOf(items[0]));
        int type = items.back().typed ? items.back().type : KJ;
        if (!items.back().typed) {
            for (const Atom& a : items) {
                if (a.typed && a.type != items.front().type)
                    return fail(QStringLiteral("mixed types in a vector"));
                if (a.floating || a.type == KF)
                    type = KF;
            }
            if (items.front().typed)
                type = items.front().type;
        }
        K list = ktn(type, static_cast<J>(items.size()));
        for (std::size_t n = 0; n < items.size(); ++n)
            store(list, static_cast<J>(n), items[n], type);
        return KPtr(list);
    }

    QString s;
    int i = 0;
};

// ---- formatting ----

QString two(J v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

QString dateText(J days)
{
    const I d = dj(static_cast<I>(days));
    return QStringLiteral("%1.%2.%3").arg(d / 10000, 4, 10, QLatin1Char('0')).arg(two(d / 100 % 100)).arg(two(d % 100));
}

QString clockNanos(J nanos)
{
    const J secs = nanos / 1000000000LL;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(two(secs / 3600))
        .arg(two(secs / 60 % 60))
        .arg(two(secs % 60))
        .arg(nanos % 1000000000LL, 9, 10, QLatin1Char('0'));
}

// suffix: the type letter of an atom ("" for a float, "e" for a real); in a
// vector the letter comes once at the end, so items get none.
QString floatText(F f, const char* suffix, bool inVector)
{
    if (std::isnan(f))
        return QStringLiteral("0n") + QLatin1String(*suffix == 'e' ? "e" : "");
    if (std::isinf(f))
        return QLatin1String(f < 0 ? "-0w" : "0w") + QLatin1String(*suffix == 'e' ? "e" : "");
    QString t = QString::number(f, 'g', 17);
    if (!inVector && !t.contains(QLatin1Char('.')) && !t.contains(QLatin1Char('e')))
        return t + QLatin1String(*suffix ? suffix : "f");
    return t + QLatin1String(suffix);
}

QString item(K x, J i, bool inVector)
{
    const int t = x->t;
    auto integral = [&](J v, J null, const char* suffix) {
        if (v == null)
            return QStringLiteral("0N") + QLatin1String(inVector ? "" : suffix);
        return QString::number(v) + QLatin1String(inVector ? "" : suffix);
    };
    switch (t) {
    case KB: return QString::number(kG(x)[i]) + QLatin1String(inVector ? "" : "b");
    case KG: return QStringLiteral("%1").arg(kG(x)[i], 2, 16, QLatin1Char('0'));
    case KH: return integral(kH(x)[i], nh, "h");
    case KI: return integral(kI(x)[i], ni, "i");
    case KJ: return integral(kJ(x)[i], nj, "");
    case KE: return floatText(kE(x)[i], inVector ? "" : "e", inVector);
    case KF: return floatText(kF(x)[i], "", inVector);
    case KS: return QLatin1Char('`') + QString::fromUtf8(kS(x)[i]);
    case KD: return kI(x)[i] == ni ? QStringLiteral("0Nd") : dateText(kI(x)[i]);
    case KM: {
        const I m = kI(x)[i];
        if (m == ni)
            return QStringLiteral("0Nm");
        const I y = 2000 + (m >= 0 ? m / 12 : (m - 11) / 12);
        return QStringLiteral("%1.%2m").arg(y).arg(two(m - (y - 2000) * 12 + 1));
    }
    case KP: {
        const J v = kJ(x)[i];
        if (v == nj)
            return QStringLiteral("0Np");
        const J days = v >= 0 ? v / kNanosPerDay : (v - kNanosPerDay + 1) / kNanosPerDay;
        return dateText(days) + QLatin1Char('D') + clockNanos(v - days * kNanosPerDay);
    }
    case KN: {
        const J v = kJ(x)[i];
        if (v == nj)
            return QStringLiteral("0Nn");
        const J a = v < 0 ? -v : v;
        return QLatin1String(v < 0 ? "-" : "") + QString::number(a / kNanosPerDay) + QLatin1Char('D')
            + clockNanos(a % kNanosPerDay);
    }
    case KU: return kI(x)[i] == ni ? QStringLiteral("0Nu") : two(kI(x)[i] / 60) + QLatin1Char(':') + two(kI(x)[i] % 60);
    case KV: {
        const I v = kI(x)[i];
        return v == ni ? QStringLiteral("0Nv") : two(v / 3600) + QLatin1Char(':') + two(v / 60 % 60) + QLatin1Char(':') + two(v % 60);
    }
    case KT: {
        const I v = kI(x)[i];
        if (v == ni)
            return QStringLiteral("0Nt");
        return two(v / 3600000) + QLatin1Char(':') + two(v / 60000 % 60) + QLatin1Char(':') + two(v / 1000 % 60)
            + QLatin1Char('.') + QStringLiteral("%1").arg(v % 1000, 3, 10, QLatin1Char('0'));
    }
    default: return QStringLiteral("<type %1>").arg(t);
    }
}

QString quoted(const QByteArray& bytes)
{
    QString out = QStringLiteral("\"");
    for (char c : bytes) {
        switch (c) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default: out += QChar::fromLatin1(c); break;
        }
    }
    return QString::fromUtf8(out.toLatin1()) + QLatin1Char('"');
}

QString formatValue(K x);

QString columnsText(K table)
{
    K d = table->k;
    QStringList parts;
    for (J c = 0; c < kK(d)[0]->n; ++c)
        parts << QString::fromUtf8(kS(kK(d)[0])[c]) + QLatin1Char(':') + formatValue(kK(kK(d)[1])[c]);
    return parts.join(QLatin1String("; "));
}

QString formatValue(K x)
{
    if (!x)
        return QStringLiteral("<null>");
    const int t = x->t;
    if (t == KERR)
        return QLatin1Char('\'') + QString::fromUtf8(x->s);
    if (t == KUNARY && x->g == 0)
        return QStringLiteral("::");
    if (t == KLAMBDA && x->n >= 2 && kK(x)[1]->t == KC)
        return QString::fromUtf8(kC(kK(x)[1]), static_cast<int>(kK(x)[1]->n));
    if (t < 0 && t >= -KT) {
        if (t == -KC)
            return quoted(QByteArray(1, static_cast<char>(x->g)));
        if (t == -KG)
            return QStringLiteral("0x%1").arg(x->g, 2, 16, QLatin1Char('0'));
        if (t == -KS)
            return QLatin1Char('`') + QString::fromUtf8(x->s);
        if (t == -UU)
            return QStringLiteral("<guid>");
        K list = ktn(-t, 1);
        std::memcpy(kG(list), &x->g, static_cast<std::size_t>(kItemSize(-t)));
        QString text = item(list, 0, false);
        r0(list);
        return text;
    }
    if (t == 0) {
        if (x->n == 0)
            return QStringLiteral("()");
        QStringList parts;
        for (J i = 0; i < x->n; ++i)
            parts << formatValue(kK(x)[i]);
        if (x->n == 1)
            return QStringLiteral("enlist ") + parts.front();
        return QLatin1Char('(') + parts.join(QLatin1Char(';')) + QLatin1Char(')');
    }
    if (t > 0 && t <= KT && t != UU) {
        if (t == KC)
            return x->n == 1 ? QStringLiteral("enlist ") + quoted(QByteArray(kC(x), 1))
                             : quoted(QByteArray(kC(x), static_cast<int>(x->n)));
        if (x->n == 0)
            return QStringLiteral("<empty %1>").arg(t);
        QStringList parts;
        for (J i = 0; i < x->n; ++i)
            parts << item(x, i, true);
        QString text;
        if (t == KS)
            text = parts.join(QString());
        else if (t == KG)
            text = QStringLiteral("0x") + parts.join(QString());
        else if (t == KB)
            text = parts.join(QString()) + QLatin1Char('b');
        else {
            text = parts.join(QLatin1Char(' '));
            static const char* suffix[] = {"", "", "", "", "", "h", "i", "", "e", "", ""};
            if (t < 11)
                text += QLatin1String(suffix[t]);
            if (t == KF && !text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('n')))
                text += QLatin1Char('f');
        }
        return x->n == 1 ? QStringLiteral("enlist ") + item(x, 0, false) : text;
    }
    if (t == XT)
        return QStringLiteral("([] ") + columnsText(x) + QLatin1Char(')');
    if (t == XD) {
        K keys = kK(x)[0], values = kK(x)[1];
        if (keys->t == XT && values->t == XT)
            return QStringLiteral("([") + columnsText(keys) + QStringLiteral("] ") + columnsText(values) + QLatin1Char(')');
        return formatValue(keys) + QLatin1Char('!') + formatValue(values);
    }
    return QStringLiteral("<type %1>").arg(t);
}

} // namespace

KPtr ValueNotation::parse(const QString& text, QString* error)
{
    Parser parser(text);
    KPtr x = parser.parseAll();
    if (!x && error)
        *error = parser.error.isEmpty() ? QStringLiteral("invalid value") : parser.error;
    return x;
}

QString ValueNotation::format(K x) { return formatValue(x); }

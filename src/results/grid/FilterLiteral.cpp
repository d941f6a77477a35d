#include "results/grid/FilterLiteral.h"

#include "kdb/k.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr long long kNanosPerDay = 86400LL * 1000000000LL;

bool isNullText(const QString& text)
{
    // 0N, 0n and 0N with a type letter (0Nj, 0Nd, ...).
    return (text.size() == 2 || (text.size() == 3 && text[2].isLetter())) && text[0] == QLatin1Char('0')
           && (text[1] == QLatin1Char('N') || text[1] == QLatin1Char('n'));
}

// +1 for 0W (or 0w), -1 for -0W, 0 otherwise; a type letter may follow.
int infinitySign(const QString& text)
{
    QString t = text;
    int sign = 1;
    if (t.startsWith(QLatin1Char('-'))) {
        sign = -1;
        t = t.mid(1);
    }
    const bool inf = (t.size() == 2 || (t.size() == 3 && t[2].isLetter())) && t[0] == QLatin1Char('0')
                     && (t[1] == QLatin1Char('W') || t[1] == QLatin1Char('w'));
    return inf ? sign : 0;
}

// Days from 2000.01.01 of "yyyy.mm.dd".
std::optional<long long> days(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return QDate(2000, 1, 1).daysTo(date);
}

// A time of day or a span as nanoseconds: hh[:mm[:ss[.fffffffff]]]; the
// minutes are required unless hoursAlone.
std::optional<long long> timeNanos(const QString& text, bool hoursAlone)
{
    static const QRegularExpression re(QStringLiteral(R"(^(\d+)(?::(\d{2})(?::(\d{2})(?:\.(\d{1,9}))?)?)?$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch() || (!hoursAlone && m.captured(2).isEmpty()))
        return std::nullopt;
    bool ok = false;
    const long long hours = m.captured(1).toLongLong(&ok);
    if (!ok || hours > 1000000)
        return std::nullopt;
    const long long minutes = m.captured(2).toLongLong();
    const long long seconds = m.captured(3).toLongLong();
    if (minutes > 59 || seconds > 59)
        return std::nullopt;
    const QString fraction = m.captured(4).leftJustified(9, QLatin1Char('0'));
    const long long nanos = fraction.toLongLong();
    return ((hours * 60 + minutes) * 60 + seconds) * 1000000000LL + nanos;
}

struct Moment {
    std::optional<long long> months; // a month alone
    std::optional<long long> days;   // a date, with nanos into it
    long long nanos = 0;
};

// A date, a date with a time ("D", "T" or a blank between), or a month.
std::optional<Moment> moment(const QString& text)
{
    static const QRegularExpression date(QStringLiteral(R"(^(\d{4})\.(\d{2})\.(\d{2})(?:[DT ](.+))?$)"));
    static const QRegularExpression month(QStringLiteral(R"(^(\d{4})\.(\d{2})m?$)"));
    QRegularExpressionMatch m = date.match(text);
    if (m.hasMatch()) {
        Moment result;
        result.days = days(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!result.days)
            return std::nullopt;
        if (!m.captured(4).isEmpty()) {
            const std::optional<long long> time = timeNanos(m.captured(4), true);
            if (!time || *time >= kNanosPerDay)
                return std::nullopt;
            result.nanos = *time;
        }
        return result;
    }
    m = month.match(text);
    if (m.hasMatch()) {
        const int mm = m.captured(2).toInt();
        if (mm < 1 || mm > 12)
            return std::nullopt;
        Moment result;
        result.months = (m.captured(1).toLongLong() - 2000) * 12 + mm - 1;
        return result;
    }
    return std::nullopt;
}

long long monthStartDays(long long months)
{
    const long long year = 2000 + (months >= 0 ? months / 12 : -((-months + 11) / 12));
    const long long month = months - (year - 2000) * 12 + 1;
    return QDate(2000, 1, 1).daysTo(QDate(int(year), int(month), 1));
}

long long floorDiv(long long a, long long b)
{
    const long long q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// The range of the integral types, their nulls excluded.
std::pair<long long, long long> integralRange(int type)
{
    switch (type) {
    case KB: return {0, 1};
    case KG: case KC: return {0, 255};
    case KH: return {-32767, 32767};
    case KI: case KM: case KD: case KU: case KV: case KT: return {-2147483647LL, 2147483647LL};
    default: return {-std::numeric_limits<long long>::max(), std::numeric_limits<long long>::max()};
    }
}

} // namespace

bool FilterLiteral::isIntegral(int type)
{
    switch (type) {
    case KB: case KG: case KH: case KI: case KJ: case KC:
    case KP: case KM: case KD: case KN: case KU: case KV: case KT:
        return true;
    default:
        return false;
    }
}

bool FilterLiteral::isFloating(int type) { return type == KE || type == KF || type == KZ; }

FilterLiteral FilterLiteral::parse(const QString& text, int type)
{
    FilterLiteral result;
    if (type == KC) {
        // One character; a blank is the char null.
        const QByteArray bytes = text.toUtf8();
        if (bytes.size() == 1) {
            result.kind = bytes[0] == ' ' ? Kind::Null : Kind::Integer;
            result.integer = static_cast<unsigned char>(bytes[0]);
        }
        return result;
    }
    if (isIntegral(type)) {
        if (isNullText(text)) {
            result.kind = type == KB || type == KG ? Kind::Invalid : Kind::Null;
            return result;
        }
        if (const int sign = infinitySign(text); sign != 0 && type != KB && type != KG) {
            result.kind = Kind::Integer;
            result.integer = sign * integralRange(type).second;
            return result;
        }
        if (type == KP || type == KM || type == KD || type == KN || type == KU || type == KV || type == KT) {
            result = temporal(text, type);
            if (result.kind != Kind::Invalid)
                return result;
        }
        return integral(text, type);
    }
    if (isFloating(type)) {
        if (isNullText(text)) {
            result.kind = Kind::Null;
            return result;
        }
        if (const int sign = infinitySign(text)) {
            result.kind = Kind::Floating;
            result.floating = sign * std::numeric_limits<double>::infinity();
            return result;
        }
        if (type == KZ) {
            result = temporal(text, type);
            if (result.kind != Kind::Invalid)
                return result;
        }
        return floatingPoint(text, type);
    }
    // Symbols, strings and the rest: the text itself; a backquote may lead a symbol.
    QString t = text;
    if (type == KS && t.startsWith(QLatin1Char('`')))
        t = t.mid(1);
    result.kind = t.isEmpty() ? Kind::Null : Kind::Text;
    result.text = t.toUtf8();
    return result;
}

FilterLiteral FilterLiteral::integral(const QString& text, int type)
{
    FilterLiteral result;
    QString t = text;
    if (type == KB) {
        if (t == QLatin1String("0b") || t == QLatin1String("1b"))
            t.chop(1);
        else if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            t = QStringLiteral("1");
        else if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            t = QStringLiteral("0");
    }
    bool ok = false;
    long long value = 0;
    if (type == KG && t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        value = t.mid(2).toLongLong(&ok, 16);
    } else {
        // q's type letters may follow a number: 100j, 5h, 3i.
        if (!t.isEmpty() && QStringLiteral("hijmdnuvtp").contains(t.back()))
            t.chop(1);
        value = t.toLongLong(&ok);
    }
    const auto [low, high] = integralRange(type);
    if (!ok || value < low || value > high)
        return result;
    result.kind = Kind::Integer;
    result.integer = value;
    return result;
}

FilterLiteral FilterLiteral::floatingPoint(const QString& text, int)
{
    FilterLiteral result;
    QString t = text;
    if (!t.isEmpty() && (t.back() == QLatin1Char('e') || t.back() == QLatin1Char('f')))
        t.chop(1);
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || std::isnan(value))
        return result;
    result.kind = Kind::Floating;
    result.floating = value;
    return result;
}

FilterLiteral FilterLiteral::temporal(const QString& text, int type)
{
    FilterLiteral result;
    auto integer = [&result](long long value) {
        result.kind = Kind::Integer;
        result.integer = value;
        return result;
    };
    if (type == KN || type == KU || type == KV || type == KT) {
        // A span: [-][dD]hh:mm[:ss[.f]]; a time of day the same without days.
        static const QRegularExpression span(QStringLiteral(R"(^(-)?(?:(\d+)D)?(.+)$)"));
        const QRegularExpressionMatch m = span.match(text);
        if (!m.hasMatch())
            return result;
        std::optional<long long> nanos = timeNanos(m.captured(3), !m.captured(2).isEmpty());
        if (!nanos)
            return result;
        if (!m.captured(2).isEmpty()) {
            const long long spanDays = m.captured(2).toLongLong();
            // Timespans reach 106751 days either way.
            if (type != KN || spanDays > 106750)
                return result;
            if (__builtin_add_overflow(*nanos, spanDays * kNanosPerDay, &*nanos))
                return result;
        }
        const long long signedNanos = m.captured(1).isEmpty() ? *nanos : -*nanos;
        switch (type) {
        case KU: return integer(floorDiv(signedNanos, 60LL * 1000000000LL));
        case KV: return integer(floorDiv(signedNanos, 1000000000LL));
        case KT: return integer(floorDiv(signedNanos, 1000000LL));
        default: return integer(signedNanos);
        }
    }
    const std::optional<Moment> at = moment(text);
    if (!at)
        return result;
    const long long day = at->days ? *at->days : monthStartDays(*at->months);
    switch (type) {
    case KM: {
        if (at->months)
            return integer(*at->months);
        const QDate date = QDate(2000, 1, 1).addDays(day);
        return integer((date.year() - 2000) * 12LL + date.month() - 1);
    }
    case KD: return integer(day);
    case KP:
        // Timestamps reach 292 years either side of 2000.
        if (day > 106750 || day < -106750)
            return result;
        return integer(day * kNanosPerDay + at->nanos);
    case KZ:
        result.kind = Kind::Floating;
        result.floating = double(day) + double(at->nanos) / double(kNanosPerDay);
        return result;
    default: return result;
    }
}

#include "query/QueryLog.h"

#include "core/Prompter.h"

#include <QFile>

#include <ctime>

QString QueryLog::fileName(const QDate& date)
{
    return QStringLiteral("queries_%1.log").arg(date.toString(QStringLiteral("yyyy.MM.dd")));
}

QByteArray QueryLog::entry(const QDateTime& now, const QString& server, const QString& sourceTitle,
                           const QString& query)
{
    // %c: the platform's own date-and-time text for the current locale.
    const QDate d = now.date();
    const QTime t = now.time();
    std::tm tm{};
    tm.tm_year = d.year() - 1900;
    tm.tm_mon = d.month() - 1;
    tm.tm_mday = d.day();
    tm.tm_wday = d.dayOfWeek() % 7;
    tm.tm_yday = d.dayOfYear() - 1;
    tm.tm_hour = t.hour();
    tm.tm_min = t.minute();
    tm.tm_sec = t.second();
    tm.tm_isdst = -1;
    char stamp[256];
    const size_t n = std::strftime(stamp, sizeof stamp, "%c", &tm);
    QByteArray out = "/ ";
    out += QString::fromLocal8Bit(stamp, static_cast<qsizetype>(n)).toUtf8();
    out += " on ";
    out += server.toUtf8();
    out += " from ";
    out += sourceTitle.toUtf8();
    out += "\n  ";
    out += query.toUtf8();
    out += "\n";
    return out;
}

bool QueryLog::log(const QString& server, const QString& sourceTitle, const QString& query, const QDateTime& now)
{
    const QString path = m_home.filePath(fileName(now.date()));
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        m_prompter.inform(path + QStringLiteral("\n") + file.errorString(), QStringLiteral("Tovo"),
                          Prompter::Icon::Error);
        return false;
    }
    const QByteArray text = entry(now, server, sourceTitle, query);
    if (file.write(text) != text.size()) {
        m_prompter.inform(path + QStringLiteral("\n") + file.errorString(), QStringLiteral("Tovo"),
                          Prompter::Icon::Error);
        return false;
    }
    return true;
}

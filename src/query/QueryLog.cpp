#include "query/QueryLog.h"

#include "core/Prompter.h"
#include "core/files/SafeFile.h"

#include <QFileInfo>

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
    out += maskPassword(server).toUtf8();
    out += " from ";
    out += sourceTitle.toUtf8();
    out += "\n  ";
    out += query.toUtf8();
    out += "\n";
    return out;
}

QString QueryLog::maskPassword(const QString& server)
{
    // Backquote, colon, host, colon, port, colon, user, colon, password (which may hold colons).
    qsizetype at = server.startsWith(QStringLiteral("`:")) ? 1 : -1;
    for (int colon = 0; colon < 3 && at >= 0; ++colon)
        at = server.indexOf(u':', at + 1);
    if (at < 0 || at + 1 >= server.size())
        return server;
    return server.left(at + 1) + QStringLiteral("***");
}

bool QueryLog::log(const QString& server, const QString& sourceTitle, const QString& query, const QDateTime& now)
{
    if (!QFileInfo(m_home.path()).isDir())
        return false;
    const QString path = m_home.filePath(fileName(now.date()));
    // Queries may hold secrets too: a new log is the user's alone.
    QString error;
    if (!SafeFile::append(path, entry(now, server, sourceTitle, query), SafeFile::Access::Private, &error)) {
        if (!m_failureShown) {
            m_failureShown = true;
            m_prompter.inform(path + QStringLiteral("\n") + error, QStringLiteral("Tovo"), Prompter::Icon::Error);
        }
        return false;
    }
    return true;
}

// The daily query logs "queries_%Y.%m.%d.log" in the home folder: every query
// run from a source view is appended with the time, server and source title.
#pragma once

#include "core/HomeFolder.h"

#include <QDateTime>
#include <QString>

class Prompter;

class QueryLog {
public:
    QueryLog(HomeFolder home, Prompter& prompter) : m_home(std::move(home)), m_prompter(prompter) {}

    // Appends one entry; when the file cannot be opened the error is shown
    // (once: later failures only return false) and false returned; the query
    // still runs. Without a home folder nothing is written and nothing shown
    // (the application says once that the folder is missing).
    bool log(const QString& server, const QString& sourceTitle, const QString& query,
             const QDateTime& now = QDateTime::currentDateTime());

    // The server text with its password replaced by "***": "`:host:port:user:***".
    static QString maskPassword(const QString& server);

    static QString fileName(const QDate& date);
    // "/ <date and time> on <server> from <title>\n  <query>\n"
    static QByteArray entry(const QDateTime& now, const QString& server, const QString& sourceTitle,
                            const QString& query);

private:
    HomeFolder m_home;
    Prompter& m_prompter;
    bool m_failureShown = false;
};

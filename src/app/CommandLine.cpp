#include "app/CommandLine.h"

#include "core/HomeFolder.h"

CommandLine::CommandLine(const QString& line)
    : m_raw(line)
{
    const QString padded = u' ' + line + u' ';
    m_profile = optionValue(padded, QStringLiteral("--profile"));
    m_homeDir = HomeFolder::expandEnvironment(optionValue(padded, QStringLiteral("--homedir")));
    m_server = optionValue(padded, QStringLiteral("--server"));
    m_async = padded.contains(QStringLiteral(" --async"));
    m_demo = padded.contains(QStringLiteral(" --demo "));
    for (const QString& word : line.split(u' ', Qt::SkipEmptyParts)) {
        if (!word.startsWith(u'-'))
            m_files.append(word);
    }
}

CommandLine CommandLine::fromArguments(const QStringList& arguments)
{
    CommandLine c(arguments.mid(1).join(u' '));
    // Files come from the arguments themselves, so that names with blanks survive.
    c.m_files.clear();
    for (const QString& a : arguments.mid(1)) {
        if (!a.startsWith(u'-'))
            c.m_files.append(a);
    }
    return c;
}

QString CommandLine::optionValue(const QString& paddedLine, const QString& option)
{
    const QString searched = u' ' + option + u':';
    const qsizetype at = paddedLine.indexOf(searched, 0, Qt::CaseSensitive);
    if (at < 0)
        return QString();
    const qsizetype start = at + searched.size();
    const qsizetype end = paddedLine.indexOf(u' ', start);
    QString value = paddedLine.mid(start, end - start);
    auto trimmed = [](QChar c) { return c == u'"' || c == u'\'' || c == u' '; };
    while (!value.isEmpty() && trimmed(value.front()))
        value.remove(0, 1);
    while (!value.isEmpty() && trimmed(value.back()))
        value.chop(1);
    return value;
}

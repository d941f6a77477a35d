#include "results/ConsoleTranscript.h"

namespace {
const QString kEcho = QStringLiteral("q) ");
const QString kEchoLine = QStringLiteral("\r\nq) ");
} // namespace

QString ConsoleTranscript::cut(const QString& text, int maxResultKChars)
{
    const qint64 limit = qint64(maxResultKChars) * 1000;
    if (limit > 0 && text.size() > limit)
        return text.left(limit) + QStringLiteral("<...>");
    return text;
}

bool ConsoleTranscript::trim(QString& transcript, int maxQueries)
{
    if (maxQueries <= 0)
        return false;
    const bool startsWithEcho = transcript.startsWith(kEcho);
    qsizetype count = transcript.count(kEchoLine) + (startsWithEcho ? 1 : 0);
    qsizetype excess = count - maxQueries;
    if (excess < 1)
        return false;
    if (startsWithEcho)
        --excess;
    qsizetype at = 0;
    for (qsizetype found = 0; found < excess + 1; ++found) {
        at = transcript.indexOf(kEchoLine, at + 1);
        if (at < 0)
            return false;
    }
    transcript.remove(0, at + 2);
    return true;
}

ConsoleTranscript::Change ConsoleTranscript::append(const QString& text, const Limits& limits)
{
    Change change;
    const QString consoleCopy = cut(text, limits.maxResultKChars);
    if (!text.startsWith(kEcho))
        change.trimmed = trim(m_text, limits.maxQueries);
    change.appended = consoleCopy + QStringLiteral("\r\n");
    m_text += change.appended;
    return change;
}

#include "files/CodebaseMatch.h"

QString CodebaseMatch::fileName(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return p.mid(p.lastIndexOf(u'/') + 1);
}

qsizetype CodebaseMatch::lengthOf(const QString& text) { return text.size() - text.count(QStringLiteral("\r\n")); }

qsizetype CodebaseMatch::cachedLength(const QString& path, const QString& text)
{
    auto it = m_lengths.constFind(path);
    if (it != m_lengths.cend())
        return *it;
    const qsizetype length = lengthOf(text);
    m_lengths.insert(path, length);
    return length;
}

QString CodebaseMatch::counterpart(const QString& path, const QString& text, const SearchFiles::FileMap& other,
                                   bool fromRemote)
{
    QHash<QString, QString>& mine = fromRemote ? m_remoteToLocal : m_localToRemote;
    QHash<QString, QString>& theirs = fromRemote ? m_localToRemote : m_remoteToLocal;
    if (auto it = mine.constFind(path); it != mine.cend())
        return *it;
    const QString name = fileName(path);
    const qsizetype length = cachedLength(path, text);
    for (const auto& [candidate, candidateText] : other) {
        if (fileName(candidate) == name && cachedLength(candidate, candidateText) == length) {
            mine.insert(path, candidate);
            theirs.insert(candidate, path);
            return candidate;
        }
    }
    mine.insert(path, QString()); // none: not searched again until clear()
    return {};
}

void CodebaseMatch::clear()
{
    m_remoteToLocal.clear();
    m_localToRemote.clear();
    m_lengths.clear();
}

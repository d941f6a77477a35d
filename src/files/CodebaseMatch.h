// Counterparts between the remote codebase (the files the instance's
// functions came from) and a local one: a file matches the first file of the
// other codebase with the same file name and the same text length, a CR LF
// counted as one character. Pairs and lengths are cached; lengths, not
// texts, are compared.
#pragma once

#include "files/SearchFiles.h"

#include <QHash>
#include <QString>

class CodebaseMatch {
public:
    // The text after the last "/" once every "\" is made "/".
    static QString fileName(const QString& path);
    static qsizetype lengthOf(const QString& text);

    // The counterpart of a remote path among local files, or of a local path
    // among remote files (fromRemote false); empty when there is none.
    QString counterpart(const QString& path, const QString& text, const SearchFiles::FileMap& other, bool fromRemote);
    void clear();

private:
    qsizetype cachedLength(const QString& path, const QString& text);

    QHash<QString, QString> m_remoteToLocal;
    QHash<QString, QString> m_localToRemote;
    QHash<QString, qsizetype> m_lengths;
};

// Writes a file whole or not at all: the bytes go to a temporary file that
// then replaces the target by a rename.
#pragma once

#include <QByteArray>
#include <QString>

class FileReplace {
public:
    // temporaryPath empty: a temporary name chosen beside the target.
    // On failure the target is unchanged and error says why.
    static bool write(const QString& target, const QString& temporaryPath, const QByteArray& bytes, QString* error);
};

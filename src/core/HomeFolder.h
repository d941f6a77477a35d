// The folder that holds the system's own files (server list, watches, logs).
#pragma once

#include <QString>

class HomeFolder {
public:
    HomeFolder() = default;
    explicit HomeFolder(QString path) : m_path(std::move(path)) {}

    QString path() const { return m_path; }
    // The home folder, a separator unless it already ends with one, then name.
    QString filePath(const QString& name) const;

    // Makes the folder, readable by the user only, when it does not exist.
    // False (error says why) when it is missing and cannot be made.
    bool ensureExists(QString* error) const;
    // The status text shown once when ensureExists() failed.
    static QString unavailableText(const QString& path, const QString& error);

    // Expands %NAME% (and $NAME, ${NAME} outside Windows) from the environment;
    // unknown names stay as written. The result is cut at 4096 characters.
    static QString expandEnvironment(const QString& text);

private:
    QString m_path;
};

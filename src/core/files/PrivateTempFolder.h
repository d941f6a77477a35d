// A folder of this process's own temporary files: made on first use under
// the system's temporary folder with an unguessable name and readable by the
// user only, removed with everything in it when the object goes.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>

class QTemporaryDir;

class PrivateTempFolder {
public:
    // parent: where the folder is made (the system's temporary folder when empty).
    explicit PrivateTempFolder(QString parent = QString(), QString prefix = QStringLiteral("tovo-"));
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    // The folder, made now when it does not exist yet; empty (and error set)
    // when it cannot be made.
    QString path(QString* error = nullptr);
    // Whether the folder has been made (path() makes it).
    bool exists() const;

    // A new file "<prefix><random>.<suffix>" in the folder holding bytes,
    // written whole (the file is removed again when a write fails). Returns its
    // path, or an empty text with error set.
    QString writeFile(const QString& prefix, const QString& suffix, const QByteArray& bytes, QString* error = nullptr);
    // The same, bytes given in two pieces (a header before a value's body) so
    // that a large body is not copied.
    QString writeFile(const QString& prefix, const QString& suffix, const char* head, qint64 headSize,
                      const char* body, qint64 bodySize, QString* error = nullptr);

    // Removes the folder and its files now; a later path() makes a new one.
    void remove();

private:
    QString m_parent;
    QString m_prefix;
    mutable std::mutex m_mutex;
    std::unique_ptr<QTemporaryDir> m_dir;
};

// The local codebase: every file below a root folder that passes the file
// rule of the search-files list (under 1 MiB, text up to the first NUL, no
// binary files), read depth first in the order the file system lists the
// entries. The walk runs on a thread of its own, reports progress, can be
// cancelled, and hands the finished map over on the owner's thread.
#pragma once

#include "files/SearchFiles.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

class LocalCodebase : public QObject {
    Q_OBJECT
public:
    using FileMap = SearchFiles::FileMap;
    enum class Outcome { Loaded, Cancelled, Failed };
    Q_ENUM(Outcome)

    struct Walk {
        FileMap files;
        int filesSeen = 0;   // files looked at, kept or not
        qint64 bytesRead = 0;
        bool cancelled = false;
        QString failedPath;  // the file that could not be opened; the walk stopped there
        QString failure;     // what to tell the user about it
    };
    // Called from the walking thread every kProgressEvery files.
    using ProgressFn = std::function<void(int filesSeen, qint64 bytesRead)>;
    static constexpr int kProgressEvery = 100;

    // The walk itself, blocking: call it off the window's thread. cancel is
    // polled before every entry; a folder that cannot be listed contributes
    // nothing; a file that cannot be opened ends the walk.
    static Walk walk(const QString& root, const std::atomic<bool>* cancel = nullptr, const ProgressFn& progress = {});

    explicit LocalCodebase(QObject* parent = nullptr);
    ~LocalCodebase() override;

    // Empties the codebase, makes root its root and reads it on a worker.
    // False (nothing changes) while a load runs.
    bool load(const QString& root);
    void cancel();
    bool isLoading() const { return m_thread != nullptr; }

    QString root() const { return m_root; }
    const FileMap& files() const { return m_files; }
    bool isEmpty() const { return m_files.empty(); }
    // After a Failed load: the file that stopped it and the message.
    QString failedPath() const { return m_failedPath; }
    QString failure() const { return m_failure; }

signals:
    void progress(int filesSeen, qint64 bytesRead);
    // The map changed: emptied at the start of a load, filled at its end.
    void changed();
    void finished(LocalCodebase::Outcome outcome);

private:
    struct Job;
    void takeResult();

    QString m_root;
    FileMap m_files;
    QString m_failedPath;
    QString m_failure;
    std::shared_ptr<Job> m_job;
    QThread* m_thread = nullptr;
};

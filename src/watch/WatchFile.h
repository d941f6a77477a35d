// The watch list file (Watches.cfg, and the files of "Save watches to..." and
// "Load watches from..."): one watch a line, a leading tab marks a checked
// one. Read as untrusted input: only a regular file, at most kMaxBytes and
// kMaxWatches lines; written whole or not at all.
#pragma once

#include "watch/WatchList.h"

#include <QByteArray>
#include <QList>
#include <QString>

class WatchFile {
public:
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    static constexpr int kMaxWatches = 10000;

    struct Loaded {
        bool ok = false;
        QString error;          // why the file could not be opened
        QList<WatchItem> items;
        bool truncated = false; // more lines than kMaxWatches: the rest was left out
    };

    // Every line, empty ones included, is a watch; CR LF and LF both end a line.
    static QList<WatchItem> parse(const QByteArray& bytes, bool* truncated = nullptr);
    static QByteArray serialize(const QList<WatchItem>& items);

    // Opens path for reading and writing, creating it when missing (never
    // truncating it), and reads it.
    static Loaded load(const QString& path);
    // Reads path without creating or needing to write it.
    static Loaded read(const QString& path);
    static bool save(const QString& path, const QList<WatchItem>& items, QString* error);

    // The message when a watch file cannot be opened.
    static QString openFailureText(const QString& path);
    static QString truncatedText(const QString& path, int loaded);
};

// The server list file Servers.cfg: one entry per line, a connection symbol
// followed by its name path; other lines are kept as they are. Held in memory
// as a map name path -> connection symbol and a table of entries by line.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Prompter;

struct ServerEntry {
    int line = 0;        // from 1, counting every line of the file
    QString namePath;    // "`Folder`Sub`name"; the symbol itself when hasNamePath is false
    QString symbol;
    bool hasNamePath = true;

    // The folders and the name, without backquotes.
    QStringList components() const;
    QString name() const;
};

class ServerList : public QObject {
    Q_OBJECT
public:
    enum class Result { Done, Cancelled, Failed };

    // Larger server lists are refused rather than read.
    static constexpr qint64 kMaxFileBytes = qint64(16) << 20;

    ServerList(QString filePath, Prompter& prompter, QObject* parent = nullptr);

    QString filePath() const { return m_path; }
    QString errorString() const { return m_error; }

    // Reads the file, creating it when missing (never truncating). False when
    // it cannot be opened for reading and writing.
    bool load();
    // load(), and when it fails the fatal start-up message; the caller then
    // ends the program with exit code -2.
    bool loadOrReport();
    static QString openFailureText(const QString& path);

    const QList<ServerEntry>& entries() const { return m_entries; }
    const QHash<QString, QString>& map() const { return m_map; }
    bool contains(const QString& namePath) const { return m_map.contains(namePath); }
    QString symbolFor(const QString& namePath) const { return m_map.value(namePath); }
    const ServerEntry* entryAt(int line) const;

    // Saves an entry: line 0 appends a new one, otherwise the entry at that
    // line (previously named previousNamePath) is replaced in place. Asks
    // before replacing another entry of the same name.
    Result save(const QString& namePath, const QString& symbol, const QString& previousNamePath, int line);
    // Deletes the entry at line, or with line 0 every line that is exactly
    // namePath's symbol followed by namePath. Asks first.
    Result remove(const QString& namePath, int line);

    // Appends whole lines (entries or others) in one rewrite of the file and
    // reloads. False with errorString() when the file could not be written.
    bool appendLines(const QList<QByteArray>& lines);

    // Copies the file to target (overwriting) / replaces the file with a copy
    // of source and reloads.
    bool saveTo(const QString& target);
    bool loadFrom(const QString& source);

    // Reading helpers, public for tests and the benchmark.
    static QList<QByteArray> splitLines(const QByteArray& bytes);
    static std::optional<ServerEntry> parseLine(const QByteArray& line, int number);

signals:
    // After every (re)load: the tree is built again from entries().
    void reloaded();

private:
    // Writes the file whole through a temporary file and a rename (a link is
    // followed, the file's permissions kept). For each line the callback gives
    // the bytes to write, or nothing to leave it out.
    bool rewrite(const std::function<std::optional<QByteArray>(int number, const QByteArray& line)>& edit);
    bool append(const QByteArray& line);
    bool readAll(QByteArray* bytes);
    Result removeLines(const QString& namePath, int line, QList<int>* removed);

    QString m_path;
    Prompter& m_prompter;
    QString m_error;
    QList<ServerEntry> m_entries;
    QHash<QString, QString> m_map;
    QHash<int, qsizetype> m_byLine;
};

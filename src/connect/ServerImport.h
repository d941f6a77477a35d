// Server lists of other kdb+ tools, read into Servers.cfg and written from
// it: the properties file of Studio for kdb+, the JSON servers file of its
// maintained fork kdb-studio, and the kdb+ connections ("kdb.servers") of the
// KX VS Code extension's settings. A file is read whole and refused whole: a
// file in none of these formats, or with an entry that cannot be read,
// changes nothing.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class ServerList;
struct ServerEntry;

struct ImportedServer {
    QStringList folders;
    QString name;
    QString host;
    int port = 0;
    QString user;
    QString password; // only when the source holds it
    bool tls = false;

    QString namePath() const;
    QString symbol() const;
    bool operator==(const ImportedServer& other) const = default;
};

class ServerImport {
public:
    enum class Format { Unknown, Studio, KdbStudio, VsCode };
    static constexpr qint64 kMaxFileBytes = qint64(16) << 20;

    struct Parsed {
        Format format = Format::Unknown;
        QList<ImportedServer> servers;
        QString error; // set when the file is refused
    };
    // Recognises the format from the content and reads every entry.
    static Parsed parse(const QByteArray& bytes);
    // parse() of a file; a missing, unreadable or oversized file is refused.
    static Parsed read(const QString& path);
    static QString formatName(Format format);

    struct Outcome {
        int added = 0;
        int duplicates = 0; // name path already in the list (or twice in the file)
        QString error;      // the list could not be written: nothing was added
        QString summary() const;
    };
    // Adds the servers under the folders of into (none: as they come), in one
    // rewrite of the list file; entries whose name path is taken are skipped.
    // A TLS server's entry is preceded by a "/ tls" comment line naming it,
    // since Servers.cfg has no place for the flag in the entry itself.
    static Outcome add(ServerList& list, const QList<ImportedServer>& servers, const QStringList& into);

    // The entries of a list file (with its TLS marks), to write in a tool's format.
    static QList<ImportedServer> entriesOf(const QList<ServerEntry>& entries, const QByteArray& fileBytes);
    static QByteArray write(Format format, const QList<ImportedServer>& servers);
    // "studio" / "vscode" for the command line.
    static Format formatNamed(const QString& name);

    static QString tlsMark(const QString& namePath) { return QStringLiteral("/ tls ") + namePath; }
};

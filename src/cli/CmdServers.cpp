// tovo-cli servers [--homedir:DIR]
// tovo-cli servers import FILE [--into FOLDER] [--homedir:DIR]
// tovo-cli servers export --format studio|vscode FILE [--homedir:DIR]
#include "CliCommands.h"

#include "connect/HeadlessPrompter.h"
#include "connect/ServerImport.h"
#include "connect/ServerTargets.h"
#include "core/HomeFolder.h"
#include "core/files/SafeFile.h"

#include <QCoreApplication>
#include <QDir>

#include <memory>
#include <ostream>

namespace {

constexpr const char* kServersUsage =
    "usage: tovo-cli servers [--homedir:DIR]\n"
    "       tovo-cli servers import FILE [--into FOLDER] [--homedir:DIR]\n"
    "       tovo-cli servers export --format studio|vscode FILE [--homedir:DIR]\n";

int usage(CliIo& io)
{
    io.err << kServersUsage;
    return 2;
}

QByteArray local(const QString& text) { return text.toLocal8Bit(); }

int listServers(const QString& home, CliIo& io)
{
    QList<ServerEntry> entries;
    QString error;
    if (!ServerTargets::list(home, &entries, &error)) {
        io.err << "tovo-cli servers: " << local(error).constData() << "\n";
        return 1;
    }
    for (const ServerEntry& entry : entries)
        io.out << entry.line << '\t' << local(entry.namePath).constData() << '\t' << local(entry.symbol).constData()
               << '\n';
    return 0;
}

int importServers(const QString& home, const QString& file, const QString& into, CliIo& io)
{
    const ServerImport::Parsed parsed = ServerImport::read(file);
    if (!parsed.error.isEmpty()) {
        io.err << "tovo-cli servers import: " << local(file).constData() << " was not imported: "
               << local(parsed.error).constData() << "\n";
        return 1;
    }
    QString error;
    if (!HomeFolder(home).ensureExists(&error)) {
        io.err << "tovo-cli servers import: " << local(error).constData() << "\n";
        return 1;
    }
    HeadlessPrompter prompter;
    ServerList list(QDir(home).filePath(QStringLiteral("Servers.cfg")), prompter);
    const ServerImport::Outcome outcome =
        ServerImport::add(list, parsed.servers, into.split(u'/', Qt::SkipEmptyParts));
    if (!outcome.error.isEmpty()) {
        io.err << "tovo-cli servers import: " << local(outcome.error).constData() << "\n";
        return 1;
    }
    io.out << local(ServerImport::formatName(parsed.format)).constData() << ": "
           << local(outcome.summary()).constData() << "\n";
    return 0;
}

int exportServers(const QString& home, ServerImport::Format format, const QString& file, CliIo& io)
{
    QList<ServerEntry> entries;
    QString error;
    QByteArray bytes;
    const QString path = QDir(home).filePath(QStringLiteral("Servers.cfg"));
    if (!ServerTargets::list(home, &entries, &error)
        || (SafeFile::isRegular(path) && !SafeFile::read(path, ServerList::kMaxFileBytes, &bytes, &error))) {
        io.err << "tovo-cli servers export: " << local(error).constData() << "\n";
        return 1;
    }
    // The export may hold passwords: readable by the user only.
    if (!SafeFile::replace(file, ServerImport::write(format, ServerImport::entriesOf(entries, bytes)),
                           SafeFile::Access::Private, &error)) {
        io.err << "tovo-cli servers export: " << local(error).constData() << "\n";
        return 1;
    }
    io.out << entries.size() << " server" << (entries.size() == 1 ? "" : "s") << " written to "
           << local(file).constData() << "\n";
    return 0;
}

int run(const std::vector<std::string>& args, CliIo& io)
{
    QString home, action, file, into, format;
    for (size_t i = 0; i < args.size(); ++i) {
        const QString a = QString::fromLocal8Bit(args[i]);
        if (a.startsWith(QStringLiteral("--homedir:"))) {
            home = HomeFolder::expandEnvironment(a.mid(10));
        } else if ((a == QLatin1String("--into") || a == QLatin1String("--format")) && i + 1 < args.size()) {
            (a == QLatin1String("--into") ? into : format) = QString::fromLocal8Bit(args[++i]);
        } else if (action.isEmpty() && (a == QLatin1String("import") || a == QLatin1String("export"))) {
            action = a;
        } else if (!action.isEmpty() && file.isEmpty() && !a.startsWith(u'-')) {
            file = a;
        } else {
            return usage(io);
        }
    }
    const bool exporting = action == QLatin1String("export");
    if ((!action.isEmpty() && file.isEmpty()) || (!into.isEmpty() && action != QLatin1String("import"))
        || (exporting != !format.isEmpty()))
        return usage(io);
    const ServerImport::Format target = ServerImport::formatNamed(format);
    if (exporting && target == ServerImport::Format::Unknown)
        return usage(io);
    // The default home folder is the program's own folder.
    int argc = 1;
    char name[] = "tovo-cli";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    if (home.isEmpty())
        home = ServerTargets::defaultHomeFolder();
    if (action.isEmpty())
        return listServers(home, io);
    if (exporting)
        return exportServers(home, target, file, io);
    return importServers(home, file, into, io);
}

const CliRegistration registration({"servers",
                                    "[import FILE [--into FOLDER] | export --format studio|vscode FILE] "
                                    "[--homedir:DIR]   list the home folder's Servers.cfg (line, name path, "
                                    "connection symbol), add the servers of Studio for kdb+, kdb-studio or VS Code "
                                    "server lists to it, or write it in those formats",
                                    run});

} // namespace

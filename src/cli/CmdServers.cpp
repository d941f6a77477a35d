// tovo-cli servers [--homedir:DIR]
#include "CliCommands.h"

#include "connect/ServerTargets.h"
#include "core/HomeFolder.h"

#include <QCoreApplication>

#include <ostream>

namespace {

int run(const std::vector<std::string>& args, CliIo& io)
{
    QString home;
    for (const std::string& arg : args) {
        const QString a = QString::fromLocal8Bit(arg);
        if (a.startsWith(QStringLiteral("--homedir:"))) {
            home = HomeFolder::expandEnvironment(a.mid(10));
        } else {
            io.err << "usage: tovo-cli servers [--homedir:DIR]\n";
            return 2;
        }
    }
    // The default home folder is the program's own folder.
    int argc = 1;
    char name[] = "tovo-cli";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    if (home.isEmpty())
        home = ServerTargets::defaultHomeFolder();
    QList<ServerEntry> entries;
    QString error;
    if (!ServerTargets::list(home, &entries, &error)) {
        io.err << "tovo-cli servers: " << error.toLocal8Bit().constData() << "\n";
        return 1;
    }
    for (const ServerEntry& entry : entries)
        io.out << entry.line << '\t' << entry.namePath.toLocal8Bit().constData() << '\t'
               << entry.symbol.toLocal8Bit().constData() << '\n';
    return 0;
}

const CliRegistration registration({"servers",
                                    "[--homedir:DIR]   list the entries of the home folder's Servers.cfg (line, name "
                                    "path, connection symbol)",
                                    run});

} // namespace

// tovo-cli query HOST:PORT[:USER[:PASSWORD]]|NAME/PATH 'q text' [--tls] [--timeout MS] [--homedir:DIR]
#include "CliCommands.h"
#include "ValueText.h"

#include "connect/ServerTargets.h"
#include "core/HomeFolder.h"

#include <QCoreApplication>

#include "kdb/KPtr.h"
#include "kdb/k.h"
#include "kdb/kbounds.h"
#include "kdb/kerror.h"

#include <chrono>
#include <ostream>

namespace {

struct Target {
    std::string host;
    int port = 0;
    std::string credentials; // user:password
};

bool parseTarget(const std::string& text, Target& target)
{
    const auto first = text.find(':');
    if (first == std::string::npos)
        return false;
    target.host = text.substr(0, first);
    const auto second = text.find(':', first + 1);
    const std::string port = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
        return false;
    target.port = std::stoi(port);
    if (target.port <= 0 || target.port > 65535)
        return false;
    if (second != std::string::npos)
        target.credentials = text.substr(second + 1); // user, or user:password (the password may hold colons)
    return true;
}

// A server list entry by name path, connected as the window would connect it.
int connectNamed(const std::string& name, const QString& homeDir, bool tls, int timeoutMs, std::string& where,
                 CliIo& io)
{
    int argc = 1;
    char program[] = "tovo-cli";
    char* argv[] = {program, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    const QString home = homeDir.isEmpty() ? ServerTargets::defaultHomeFolder() : homeDir;
    ServerTargets::Options options;
    options.tls = tls;
    options.timeoutMs = timeoutMs;
    QString symbol;
    QString error;
    const QString namePath = ServerTargets::namePathOf(QString::fromLocal8Bit(name));
    const int handle = ServerTargets::open(home, namePath, options, &symbol, &error);
    where = (symbol.isEmpty() ? namePath : symbol).toLocal8Bit().toStdString();
    if (handle <= 0)
        io.err << "tovo-cli: " << where << ": " << error.toLocal8Bit().constData() << "\n";
    return handle;
}

int run(const std::vector<std::string>& args, CliIo& io)
{
    const auto started = std::chrono::steady_clock::now();
    bool tls = false;
    int timeoutMs = 10000;
    bool timeoutGiven = false;
    QString homeDir;
    std::vector<std::string> plain;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--tls") {
            tls = true;
        } else if (args[i] == "--timeout" && i + 1 < args.size()) {
            const std::string& ms = args[++i];
            if (ms.empty() || ms.size() > 9 || ms.find_first_not_of("0123456789") != std::string::npos) {
                io.err << "tovo-cli query: invalid time-out " << ms << "\n";
                return 2;
            }
            timeoutMs = std::stoi(ms);
            timeoutGiven = true;
        } else if (args[i].rfind("--homedir:", 0) == 0) {
            homeDir = HomeFolder::expandEnvironment(QString::fromLocal8Bit(args[i].substr(10)));
        } else {
            plain.push_back(args[i]);
        }
    }
    Target target;
    if (plain.size() != 2) {
        io.err << "usage: tovo-cli query HOST:PORT[:USER[:PASSWORD]]|NAME/PATH 'q text' [--tls] [--timeout MS] "
                  "[--homedir:DIR]\n";
        return 2;
    }
    int handle = 0;
    std::string where;
    if (!parseTarget(plain[0], target)) {
        handle = connectNamed(plain[0], homeDir, tls, timeoutGiven ? timeoutMs : -1, where, io);
        if (handle <= 0)
            return 1;
    } else {
        handle = khpunc(target.host.c_str(), target.port, target.credentials.c_str(), timeoutMs, tls ? 2 : 0);
        where = target.host + ":" + std::to_string(target.port);
    }
    if (handle <= 0) {
        switch (handle) {
        case 0: io.err << "tovo-cli: " << where << ": access denied\n"; break;
        case -2: io.err << "tovo-cli: " << where << ": timed out\n"; break;
        case -3: io.err << "tovo-cli: " << where << ": TLS set-up failed: " << kdb::lastError() << "\n"; break;
        default: io.err << "tovo-cli: " << where << ": cannot connect: " << kdb::lastError() << "\n"; break;
        }
        return 1;
    }
    // --timeout bounds the whole command: what the connect left of it bounds the query.
    if (timeoutGiven && timeoutMs > 0) {
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        const long long left = timeoutMs - static_cast<long long>(spent.count());
        if (left <= 0) {
            kclose(handle);
            io.err << "tovo-cli: " << where << ": timed out\n";
            return 1;
        }
        kdb::setQueryTimeout(handle, static_cast<I>(left));
    }
    KPtr reply(k(handle, plain[1].c_str(), static_cast<K>(nullptr)));
    kclose(handle);
    if (!reply) {
        if (kdb::lastError() == "timeout")
            io.err << "tovo-cli: " << where << ": timed out\n";
        else
            io.err << "tovo-cli: " << where << ": connection lost: " << kdb::lastError() << "\n";
        return 1;
    }
    if (kdb::isLocalError(reply.get())) {
        io.err << "tovo-cli: " << where << ": " << reply->s << "\n";
        return 1;
    }
    if (reply->t == KERR) {
        io.err << "'" << reply->s << "\n";
        return 1;
    }
    io.out << valueText(reply.get()) << "\n";
    return 0;
}

const CliRegistration registration({"query",
                                    "HOST:PORT[:USER[:PASSWORD]]|NAME/PATH 'q text' [--tls] [--timeout MS] "
                                    "[--homedir:DIR]   run a query",
                                    run});

} // namespace

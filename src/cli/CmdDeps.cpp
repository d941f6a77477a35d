// tovo-cli deps HOST:PORT[:USER[:PASSWORD]] FUNCTION [--callers] [--tls] [--timeout MS]
// Runs the namespace load and prints the dependency (or callers) walk of one
// function as the Dependency Explorer's "Call graph as text" shows it.
#include "CliNamespaceLoad.h"

#include "explorer/CQFunction.h"
#include "explorer/DependencyWalk.h"
#include "explorer/NamespaceModel.h"

#include <algorithm>
#include <ostream>

namespace {

const char* const kUsage = "HOST:PORT[:USER[:PASSWORD]] FUNCTION [--callers] [--tls] [--timeout MS]";

int run(const std::vector<std::string>& given, CliIo& io)
{
    std::vector<std::string> args = given;
    const auto flag = std::find(args.begin(), args.end(), "--callers");
    const bool callers = flag != args.end();
    if (callers)
        args.erase(flag);
    if (std::count_if(args.begin(), args.end(), [](const std::string& a) { return a.rfind("--", 0) != 0; }) != 2) {
        io.err << "usage: tovo-cli deps " << kUsage << "\n";
        return 2;
    }
    int exit = 0;
    const auto loaded = cliLoadNamespaces("deps", kUsage, args, io, exit);
    if (!loaded)
        return exit;
    const QString name = QString::fromStdString(args.size() > 1 ? args[1] : std::string());
    const CQEntity* entity = loaded->result.model ? loaded->result.model->find(name) : nullptr;
    if (!entity || (!callers && entity->kind() != CQEntity::Function)) {
        io.err << "tovo-cli deps: " << args[1] << ": no such " << (callers ? "entity" : "function") << "\n";
        return 1;
    }
    QString text = callers ? DependencyWalk::callers(*entity, QString(), *loaded->result.model, nullptr)
                           : DependencyWalk::dependencies(static_cast<const CQFunction&>(*entity), QString(),
                                                          *loaded->result.model, nullptr);
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    io.out << text.toUtf8().constData() << "\r\n";
    return loaded->messages ? 1 : 0;
}

const CliRegistration registration({"deps",
                                    "HOST:PORT[:USER[:PASSWORD]] FUNCTION [--callers] [--tls] [--timeout MS]   print "
                                    "a function's dependency (or callers) walk as the call graph text",
                                    run});

} // namespace

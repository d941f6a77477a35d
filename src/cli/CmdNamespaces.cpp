// tovo-cli namespaces HOST:PORT[:USER[:PASSWORD]] [--tls] [--timeout MS]
// Runs the namespace explorer's load and prints its tree as indented text.
#include "CliNamespaceLoad.h"

#include "explorer/NamespaceTree.h"

#include <ostream>

namespace {

const char* const kUsage = "HOST:PORT[:USER[:PASSWORD]] [--tls] [--timeout MS]";

int run(const std::vector<std::string>& given, CliIo& io)
{
    std::vector<std::string> args = given;
    int exit = 0;
    const auto loaded = cliLoadNamespaces("namespaces", kUsage, args, io, exit);
    if (!loaded)
        return exit;
    if (args.size() != 1) {
        io.err << "usage: tovo-cli namespaces " << kUsage << "\n";
        return 2;
    }
    io.out << loaded->result.tree->toText().toLocal8Bit().constData();
    return loaded->messages ? 1 : 0;
}

const CliRegistration registration({"namespaces",
                                    "HOST:PORT[:USER[:PASSWORD]] [--tls] [--timeout MS]   print the instance's "
                                    "namespace tree (item text, two blanks a level, the entity kind after a tab)",
                                    run});

} // namespace

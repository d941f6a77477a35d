// tovo-cli agent: prints the debugger agent script exactly as Tovo sends it.
#include "CliCommands.h"

#include "debugger/DebugAgent.h"

#include <ostream>

namespace {

int run(const std::vector<std::string>& args, CliIo& io)
{
    if (!args.empty()) {
        io.err << "usage: tovo-cli agent\n";
        return 2;
    }
    const QByteArray script = DebugAgent::script();
    if (script.isEmpty()) {
        io.err << "tovo-cli agent: the agent script is missing from this build\n";
        return 1;
    }
    io.out.write(script.constData(), script.size());
    return io.out ? 0 : 1;
}

const CliRegistration registration({"agent", "  print the debugger agent script exactly as it is sent", run});

} // namespace

// tovo-cli: command-line access to Tovo's kdb+ library (queries, message dumps).
#include "CliCommands.h"
#include "TerminalText.h"

#include <iostream>
#include <memory>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Messages are binary: no newline translation on the standard streams.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // Text from servers and files must not drive the user's terminal.
    std::unique_ptr<TerminalText::Filter> outFilter, errFilter;
    if (TerminalText::isTerminal(stdout))
        outFilter = std::make_unique<TerminalText::Filter>(std::cout);
    if (TerminalText::isTerminal(stderr))
        errFilter = std::make_unique<TerminalText::Filter>(std::cerr);
    std::vector<std::string> args(argv + 1, argv + argc);
    CliIo io {std::cin, std::cout, std::cerr};
    if (!args.empty() && args.front() == "--version") {
        std::cout << "tovo-cli " << TOVO_VERSION << "\n";
        return 0;
    }
    if (args.empty() || args.front() == "--help" || args.front() == "-h") {
        std::ostream& os = args.empty() ? std::cerr : std::cout;
        os << "usage: tovo-cli COMMAND [ARGS] | --help | --version\n";
        for (const auto& command : CliCommands::all())
            os << "  tovo-cli " << command.name << " " << command.usage << "\n";
        return args.empty() ? 2 : 0;
    }
    const CliCommand* command = CliCommands::find(args.front());
    if (!command) {
        std::cerr << "tovo-cli: unknown command " << args.front() << "\n";
        return 2;
    }
    args.erase(args.begin());
    int rc = command->run(args, io);
    io.out.flush();
    return rc;
}

// The subcommands of tovo-cli. Each lives in its own Cmd*.cpp file and adds
// itself to this table with a static CliRegistration.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct CliIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

struct CliCommand {
    std::string name;
    std::string usage; // one line: arguments and what it does
    // Exit code: 0 on success; on failure one line on io.err and non-zero.
    int (*run)(const std::vector<std::string>& args, CliIo& io);
};

class CliCommands {
public:
    static void add(CliCommand command);
    static const CliCommand* find(const std::string& name);
    static const std::vector<CliCommand>& all();
};

struct CliRegistration {
    explicit CliRegistration(CliCommand command) { CliCommands::add(std::move(command)); }
};

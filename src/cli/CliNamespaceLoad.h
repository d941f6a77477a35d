// The namespace load of tovo-cli: HOST:PORT[:USER[:PASSWORD]] parsed,
// connected and loaded as the explorer does, with the command's own name in
// its messages.
#pragma once

#include "CliCommands.h"

#include "explorer/NamespaceLoad.h"

#include <optional>
#include <string>

struct CliNamespaceLoad {
    NamespaceLoad::Result result;
    int messages = 0; // failure messages the load printed
};

// Parses --tls and --timeout MS out of args (what is left stays in args);
// exit is the code to return when nothing was loaded.
std::optional<CliNamespaceLoad> cliLoadNamespaces(const std::string& command, const std::string& usage,
                                                  std::vector<std::string>& args, CliIo& io, int& exit);

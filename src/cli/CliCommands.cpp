#include "CliCommands.h"

#include <algorithm>

namespace {
std::vector<CliCommand>& table()
{
    static std::vector<CliCommand> commands; // built during static initialisation
    return commands;
}
} // namespace

void CliCommands::add(CliCommand command)
{
    auto& commands = table();
    commands.push_back(std::move(command));
    std::sort(commands.begin(), commands.end(), [](const CliCommand& a, const CliCommand& b) { return a.name < b.name; });
}

const CliCommand* CliCommands::find(const std::string& name)
{
    for (const auto& command : table())
        if (command.name == name)
            return &command;
    return nullptr;
}

const std::vector<CliCommand>& CliCommands::all() { return table(); }

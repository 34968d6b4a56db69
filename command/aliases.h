// Named command lines.
#pragma once

#include "command/commands.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct Alias {
    std::string name;
    std::string body;
};

// In the order of first definition; names are unique.
extern std::vector<Alias> AliasTable;

// Names of the aliases running now, outermost first.
extern std::vector<std::string> aliasRunStack;

// Position of the alias named exactly `name`, or none.
std::optional<std::size_t> FindAlias(std::string_view name);

// ALIAS NAME BODY: defines or redefines an alias; the body is the rest of the line.
CommandOutcome DefineAlias(CommandContext& context);

// REMALIAS NAME: removes the alias of that name, if any.
CommandOutcome RemoveAlias(CommandContext& context);

// Runs the body of AliasTable[index] as a command line, unless that alias is running
// already (then a notice is printed instead). From a command, the body runs once that
// command returns (see RunLines).
void RunAlias(std::size_t index);

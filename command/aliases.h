// Named command lines.
#pragma once

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

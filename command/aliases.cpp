// STUB: replaced by the aliases.
#include "command/aliases.h"
std::vector<std::string> aliasRunStack;
std::optional<std::size_t> FindAlias(std::string_view) {
    return std::nullopt;
}

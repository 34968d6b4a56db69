// Aliases: named command lines, and the guard that keeps one from running itself.
#include "command/aliases.h"

#include "command/commands.h"
#include "command/interpreter.h"

#include <algorithm>
#include <utility>

std::vector<std::string> aliasRunStack;

std::optional<std::size_t> FindAlias(std::string_view name) {
    for (std::size_t i = 0; i < AliasTable.size(); ++i)
        if (AliasTable[i].name == name) return i;
    return std::nullopt;
}

CommandOutcome DefineAlias(CommandContext& context) {
    ReadWord(context, context.firstBlank);
    const std::string name = context.word;

    // The body is the rest of the working line after "ALIAS", the name and a
    // blank, semicolons and later commands included. When that lies past the end
    // of the line (as for "ALIAS X" with nothing after the name) the body is empty.
    const std::size_t bodyStart =
        static_cast<std::size_t>(context.previousSeparator + 8) + name.size();
    std::string body =
        bodyStart < context.line.size() ? context.line.substr(bodyStart) : std::string();

    if (const auto index = FindAlias(name))
        AliasTable[*index].body = std::move(body);
    else
        AliasTable.push_back({name, std::move(body)});
    return CommandOutcome::EndLine;
}

CommandOutcome RemoveAlias(CommandContext& context) {
    ReadWord(context, context.firstBlank);
    if (const auto index = FindAlias(context.word))
        AliasTable.erase(AliasTable.begin() + static_cast<std::ptrdiff_t>(*index));
    return CommandOutcome::Next;
}

void RunAlias(std::size_t index) {
    const std::string name = AliasTable[index].name;
    if (std::find(aliasRunStack.begin(), aliasRunStack.end(), name) != aliasRunStack.end()) {
        ExecuteCommandLine("echo *skipped recursive execution of alias \"" + name + "\"");
        return;
    }
    // A copy: the body may redefine or remove its own alias while it runs.
    LineSource source;
    source.heldBytes = AliasTable[index].body.size();
    source.nextLine = [body = AliasTable[index].body, given = false](std::string& line) mutable {
        if (given) return false;
        line = std::move(body);
        given = true;
        return true;
    };
    // The name stays on the run stack until the body's line has finished.
    source.finished = [] {
        if (!aliasRunStack.empty()) aliasRunStack.pop_back();
    };
    aliasRunStack.push_back(name);
    RunLines(std::move(source));
}

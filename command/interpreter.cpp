// The command interpreter: splits a line into commands and words, dispatches
// each command, then echoes the line into the console and records it.
#include "command/interpreter.h"

#include "command/commands.h"
#include "command/console_text.h"

bool echoEnabled = true;

namespace {

// Aliases and EXEC may call the interpreter from within itself. Their own guards
// stop a name from running itself, but a long enough chain of distinct aliases
// or scripts could still exhaust the stack, so nesting deeper than this is
// quietly not run.
constexpr int maxNesting = 64;
int nesting = 0;

struct NestingGuard {
    NestingGuard() { ++nesting; }
    ~NestingGuard() { --nesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

} // namespace

TextPosition NextWord(const std::string& source, TextPosition from, char separator,
                      std::string& target) {
    const auto size = static_cast<TextPosition>(source.size());
    TextPosition start = from < 0 ? 0 : from + 1;
    if (start >= size) {
        target.clear();
        return noPosition;
    }
    const auto found = source.find(separator, static_cast<std::size_t>(start));
    if (found == std::string::npos) {
        target.assign(source, static_cast<std::size_t>(start));
        return noPosition;
    }
    target.assign(source, static_cast<std::size_t>(start), found - static_cast<std::size_t>(start));
    return static_cast<TextPosition>(found);
}

std::string upperCased(std::string text) {
    // Only a to z change, whatever locale the process runs in.
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void ExecuteCommandLine(std::string line) {
    if (nesting >= maxNesting) return;
    NestingGuard guard;

    const std::string working = upperCased(line);
    std::string command;
    std::string word;
    TextPosition previousSeparator = noPosition;
    for (;;) {
        const TextPosition nextSeparator = NextWord(working, previousSeparator, ';', command);
        const TextPosition firstBlank = NextWord(command, noPosition, ' ', word);
        CommandContext context{working, command, previousSeparator, firstBlank, word};
        const CommandOutcome outcome = RunCommand(context);
        if (outcome == CommandOutcome::Abandon) return;
        if (outcome == CommandOutcome::EndLine || nextSeparator == noPosition) break;
        previousSeparator = nextSeparator;
    }

    // The last word taken decides: a line ending in ECHO leaves no trace, and the
    // commands that turn echoing on are not echoed themselves.
    if (word == "ECHO") return;
    if (echoEnabled && word != "ECHOON" && word != "ECHO_ON") {
        insertConsoleText("\r\n");
        insertConsoleText(line);
    }
    commandHistory.insert(commandHistory.begin(), std::move(line));
}

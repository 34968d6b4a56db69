// The commands of the language, as the interpreter dispatches them.
#pragma once

#include "command/interpreter.h"

#include <string>

// How a command ends: go on with the next command of the line, skip the rest of
// the line but still echo and record it, or drop the line without a trace.
enum class CommandOutcome { Next, EndLine, Abandon };

// What one command sees of the line that holds it.
struct CommandContext {
    const std::string& line;        // the whole upper-cased working line
    const std::string& command;     // this command's text, cut at semicolons
    TextPosition previousSeparator; // the semicolon before the command, or noPosition
    TextPosition firstBlank;        // the first blank of the command, or noPosition
    std::string& word;              // the line's word buffer
};

// Runs one command: a command name, else an alias, else nothing.
CommandOutcome RunCommand(CommandContext& context);

// Everything after the command's first blank; the whole command when it has none.
std::string RestOfCommand(const CommandContext& context);

// Reads the next word of the command into the word buffer, continuing from `from`.
TextPosition ReadWord(CommandContext& context, TextPosition from);

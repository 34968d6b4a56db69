// The command language's one entry point.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// A position in a text, or none.
using TextPosition = std::ptrdiff_t;
constexpr TextPosition noPosition = -1;

// Copies into `target` the text from `from + 1` up to the next `separator` (or the
// end) and returns that separator's position, or noPosition when there is none.
// A `from` of noPosition starts at the beginning, so reading on past the last word
// wraps round to the first.
TextPosition NextWord(const std::string& source, TextPosition from, char separator,
                      std::string& target);

// Upper-cases a line, runs its commands, echoes and records it, all before it returns.
void ExecuteCommandLine(std::string line);

// Lines for the interpreter to run one after another, each as ExecuteCommandLine runs
// a line: the body of an alias, the lines of a script file.
struct LineSource {
    // Puts the next line into `line`; false when there is none left.
    std::function<bool(std::string& line)> nextLine;
    // Runs once, after the last line has finished, or when the chain of aliases and
    // scripts that the source belongs to is stopped for running too deep.
    std::function<void()> finished;
    // Bytes the source keeps (a script's text), counted against the chain's bound.
    std::size_t heldBytes = 0;
};

// Runs the lines of `source`. Called from inside a command, they run as soon as that
// command returns, before the next command of its line; called anywhere else, they
// run before this returns. Chains of aliases and scripts nest on a stack of the
// interpreter's own this way, not on the program's, whose stack is small on the web.
void RunLines(LineSource source);

// How far aliases and scripts may nest: far beyond any real script, and within the
// memory of every program. A chain that goes deeper is stopped, with a notice.
struct ChainLimits {
    std::size_t levels; // lines and sources running at once
    std::size_t bytes;  // the memory they keep
};
extern ChainLimits chainLimits;
extern const ChainLimits defaultChainLimits;

// The notice printed when a chain is stopped.
extern const char* const chainTooDeepNotice;

// On at start; ECHOON/ECHO_ON and ECHOOFF/ECHO_OFF change it.
extern bool echoEnabled;

// Upper-cases the letters a-z only, as the "C" locale does.
std::string upperCased(std::string text);

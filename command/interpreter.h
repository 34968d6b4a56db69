// The command language's one entry point.
#pragma once

#include <cstddef>
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

// Upper-cases a line, runs its commands, echoes and records it.
void ExecuteCommandLine(std::string line);

// On at start; ECHOON/ECHO_ON and ECHOOFF/ECHO_OFF change it.
extern bool echoEnabled;

// Upper-cases the letters a-z only, as the "C" locale does.
std::string upperCased(std::string text);

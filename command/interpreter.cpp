// STUB: replaced by the interpreter.
#include "command/interpreter.h"
bool echoEnabled = true;
TextPosition NextWord(const std::string&, TextPosition, char, std::string&) {
    return noPosition;
}
void ExecuteCommandLine(std::string) {}
std::string upperCased(std::string text) {
    return text;
}

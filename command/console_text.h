// The console's shared texts. Producers only ever insert at the front, so the
// newest output comes first.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Everything printed, newest first; every inserted block ends with "\r\n".
extern std::string consoleText;
// Lines the interpreter finished, newest first.
extern std::vector<std::string> commandHistory;

inline void insertConsoleText(std::string_view text) {
    consoleText.insert(0, text);
}

// Script files: command lines read from a file, and the start-up configuration.
#include "config/script_files.h"

#include "app/platform.h"
#include "command/interpreter.h"
#include "config/file_lookup.h"
#include "config/key_bindings.h"
#include "game/game_state.h"

#include <algorithm>
#include <cstdio>

std::vector<std::string> ActiveScriptFiles;

namespace {

constexpr std::size_t maxScriptLine = 127;

// Reads the next line into `line`, without its line end (a carriage return just
// before the line feed is dropped too). False at the end of the file. A line
// longer than maxScriptLine is read to its end but comes back marked too long.
bool readScriptLine(std::FILE* file, std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    int c = std::getc(file);
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = std::getc(file)) {
        // One more than the limit leaves room for a carriage return to drop.
        if (line.size() <= maxScriptLine)
            line.push_back(static_cast<char>(c));
        else
            tooLong = true;
    }
    if (!line.empty() && line.back() == '\r' && c == '\n') line.pop_back();
    if (line.size() > maxScriptLine) tooLong = true;
    return true;
}

} // namespace

bool ExecuteScriptFile(const std::string& name) {
    // Compared exactly as passed: a file cannot run itself under the same name.
    if (std::find(ActiveScriptFiles.begin(), ActiveScriptFiles.end(), name) !=
        ActiveScriptFiles.end())
        return true;
    std::FILE* file = openTextFile(name);
    if (!file) return false;
    ActiveScriptFiles.push_back(name);

    std::string line;
    bool tooLong = false;
    while (readScriptLine(file, line, tooLong)) {
        // A line over 127 characters is skipped whole, so that no cut-off piece of
        // it ever runs as a command of its own.
        if (tooLong || line.empty()) continue;
        if (line.starts_with("//")) continue;
        ExecuteCommandLine(line);
    }

    std::fclose(file);
    // The innermost entry is this file's own.
    if (!ActiveScriptFiles.empty()) ActiveScriptFiles.pop_back();
    return true;
}

void LoadConfiguration() {
    if (!ExecuteScriptFile("config.cfg")) {
        showMessageBox(nullptr, "Configuration file not found; using defaults", "Error",
                       MessageBoxOk);
        StoreDefaultBindings();
    }
    takeConfigSnapshot();
}

// Script files: command lines read from a file, and the start-up configuration.
#include "config/script_files.h"

#include "app/platform.h"
#include "command/interpreter.h"
#include "config/file_lookup.h"
#include "config/key_bindings.h"
#include "game/game_state.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

std::vector<std::string> ActiveScriptFiles;

namespace {

constexpr std::size_t maxScriptLine = 127;

// The whole text of a file, read in text mode (so a Windows program sees its line
// ends and its end-of-file mark as it always did). The file is closed before any of
// its lines runs: a chain of a thousand scripts holds no file open.
std::optional<std::string> readWholeFile(const std::string& name) {
    std::FILE* file = openTextFile(name);
    if (!file) return std::nullopt;
    std::string text;
    char buffer[16384];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    return text;
}

// Takes the next line from `text` at `at`, without its line end (a carriage return
// just before the line feed is dropped too). False at the end of the text. A line
// longer than maxScriptLine comes back marked too long.
bool takeScriptLine(const std::string& text, std::size_t& at, std::string& line, bool& tooLong) {
    if (at >= text.size()) return false;
    std::size_t end = text.find('\n', at);
    const bool lineFeed = end != std::string::npos;
    if (!lineFeed) end = text.size();
    std::size_t length = end - at;
    if (lineFeed && length > 0 && text[end - 1] == '\r') --length;
    tooLong = length > maxScriptLine;
    if (tooLong)
        line.clear();
    else
        line.assign(text, at, length);
    at = lineFeed ? end + 1 : end;
    return true;
}

} // namespace

bool ExecuteScriptFile(const std::string& name, std::function<void()> then) {
    // Compared exactly as passed: a file cannot run itself under the same name.
    if (std::find(ActiveScriptFiles.begin(), ActiveScriptFiles.end(), name) !=
        ActiveScriptFiles.end()) {
        if (then) then();
        return true;
    }
    std::optional<std::string> text = readWholeFile(name);
    if (!text) return false;
    ActiveScriptFiles.push_back(name);

    LineSource source;
    source.heldBytes = text->size();
    source.nextLine = [text = std::move(*text), at = std::size_t{0}](std::string& line) mutable {
        bool tooLong = false;
        while (takeScriptLine(text, at, line, tooLong)) {
            // A line over 127 characters is skipped whole, so that no cut-off piece
            // of it ever runs as a command of its own.
            if (tooLong || line.empty() || line.starts_with("//")) continue;
            return true;
        }
        return false;
    };
    source.finished = [then = std::move(then)] {
        // The innermost entry is this file's own.
        if (!ActiveScriptFiles.empty()) ActiveScriptFiles.pop_back();
        if (then) then();
    };
    RunLines(std::move(source));
    return true;
}

void LoadConfiguration() {
    // The snapshot holds what config.cfg set up, so it is taken when the file has
    // run to its end.
    if (!ExecuteScriptFile("config.cfg", takeConfigSnapshot)) {
        showMessageBox(nullptr, "Configuration file not found; using defaults", "Error",
                       MessageBoxOk);
        StoreDefaultBindings();
        takeConfigSnapshot();
    }
}

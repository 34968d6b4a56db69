// Shows a text file at the top of the console text.
#include "config/file_display.h"

#include "command/console_text.h"
#include "config/file_lookup.h"

#include <cstdio>

namespace {

// The console shows lines of at most this many characters; a longer line of the
// file is shown as several lines, none of the text being lost.
constexpr std::size_t maxShownLine = 511;

} // namespace

void ShowTextFile(const std::string& name) {
    std::FILE* file = openTextFile(name);
    if (!file) return;

    // Every line ends in "\r\n", and the text after the last line feed counts as a
    // line too: a file that ends with a line end shows a last empty line, and an
    // empty file shows one empty line.
    std::string block;
    std::string line;
    auto endLine = [&] {
        if (line.empty()) block += "\r\n";
        for (std::size_t at = 0; at < line.size(); at += maxShownLine) {
            block.append(line, at, maxShownLine);
            block += "\r\n";
        }
        line.clear();
    };
    for (int c = std::getc(file); c != EOF; c = std::getc(file)) {
        if (c != '\n') {
            line.push_back(static_cast<char>(c));
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        endLine();
    }
    endLine();
    std::fclose(file);

    insertConsoleText("\r\n");
    insertConsoleText(block);
}

#include "config/console_session.h"

#include "app/key_state.h"
#include "app/platform.h"
#include "command/aliases.h"
#include "command/console_text.h"
#include "command/interpreter.h"
#include "config/console.h"

#include <cstddef>

int historyPos = -1;

namespace {

// Set when the console opens (its key is down) and when the console key closes it;
// cleared by the key's release or a new press.
bool awaitingRelease = false;

constexpr std::uint8_t virtualKeyEscape = 0x1B;
constexpr std::uint8_t virtualKeyUp = 0x26;
constexpr std::uint8_t virtualKeyDown = 0x28;

// The history line at historyPos. The position only ever walks within the history,
// but a position that has somehow left it reads as the empty line rather than
// outside the list.
std::string recalledLine() {
    if (historyPos < 0 || static_cast<std::size_t>(historyPos) >= commandHistory.size()) return {};
    return commandHistory[static_cast<std::size_t>(historyPos)];
}

// What the output box is given. Its text ends at the first NUL, and a NUL can reach
// the console text from a script line or a shown binary file; shown as a blank, it
// no longer hides everything printed before it.
std::string outputText() {
    std::string text = consoleText;
    for (char& c : text)
        if (c == '\0') c = ' ';
    return text;
}

} // namespace

std::array<ConsoleHotkey, 4> consoleHotkeys() {
    // The console key is looked up on every opening, as the keyboard layout may
    // have changed since the last one.
    return {{{consoleHotkeyEscape, virtualKeyEscape},
             {consoleHotkeyConsoleKey, keyForCharacter('`')},
             {consoleHotkeyNewer, virtualKeyUp},
             {consoleHotkeyOlder, virtualKeyDown}}};
}

void consoleOpened(const ConsoleWindow& window) {
    awaitingRelease = true;
    window.setOutput(outputText());
    clearKeyState();
}

void consoleCloseRequested(const ConsoleWindow& window) {
    historyPos = -1;
    window.close();
}

void consoleHotkeyPressed(int id, const ConsoleWindow& window) {
    switch (id) {
    case consoleHotkeyEscape:
        consoleCloseRequested(window);
        break;
    case consoleHotkeyConsoleKey:
        // A hotkey carries no repeat flag: while the key that opened the console is
        // still held, what arrives is its repeat.
        if (awaitingRelease) break;
        consoleCloseRequested(window);
        awaitingRelease = true;
        break;
    case consoleHotkeyNewer:
        recallNewerLine(window);
        break;
    case consoleHotkeyOlder:
        recallOlderLine(window);
        break;
    default:
        break; // not one of ours
    }
}

bool consoleKeyDown(bool repeat) {
    if (repeat && awaitingRelease) return false;
    awaitingRelease = false;
    return true;
}

void consoleKeyUp() {
    awaitingRelease = false;
}

bool consoleKeyAwaitingRelease() {
    return awaitingRelease;
}

void recallOlderLine(const ConsoleWindow& window) {
    // Compared in a wider type so that an empty history (size - 1 = -1) and a very
    // long one both give the plain arithmetic answer.
    const auto lastIndex = static_cast<std::ptrdiff_t>(commandHistory.size()) - 1;
    if (historyPos >= lastIndex) return;
    ++historyPos;
    window.setInput(recalledLine());
}

void recallNewerLine(const ConsoleWindow& window) {
    if (historyPos < 0) return;
    --historyPos;
    window.setInput(recalledLine()); // empty once back at -1
}

bool isQuitLine(const std::string& line) {
    // Only the letters a-z change and nothing is trimmed, so " QUIT" and "QUIT;" are
    // not quit lines here (the interpreter still runs them).
    const std::string upper = upperCased(line);
    if (upper == "QUIT") return true;
    const auto position = FindAlias(upper);
    return position && *position < AliasTable.size() && AliasTable[*position].body == "QUIT";
}

void consoleLineEntered(const std::string& line, const ConsoleWindow& window) {
    if (isQuitLine(line)) {
        window.close();
        requestQuit(0);
    }
    // The interpreter gets its own copy, case as typed. A quit line asks for the
    // quit again there, which is harmless.
    ExecuteCommandLine(line);
    historyPos = -1;
    window.setOutput(outputText());
    window.setInput(std::string());
}

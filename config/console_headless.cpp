// openConsole() for the headless layer: the same session as the Win32 dialog, with
// the boxes as plain strings and the user's part played by headlessConsoleDriver.
#include "config/console_headless.h"

#include "config/console.h"
#include "config/console_session.h"

std::function<void(HeadlessConsole&)> headlessConsoleDriver;

namespace {

ConsoleWindow windowOf(HeadlessConsole& console) {
    return {
        [&console](const std::string& text) { console.input = text; },
        [&console](const std::string& text) { console.output = text; },
        [&console] {
            console.hotkeysRegistered = false;
            console.open = false;
            ++console.closeCount;
        },
    };
}

} // namespace

void HeadlessConsole::enter(const std::string& text) {
    input = text;
    pressEnter();
}

void HeadlessConsole::pressEnter() {
    // Messages reach a dialog only while it is open.
    if (!open) return;
    const std::string line = input;
    consoleLineEntered(line, windowOf(*this));
}

void HeadlessConsole::pressHotkey(int id) {
    if (!open || !hotkeysRegistered) return;
    consoleHotkeyPressed(id, windowOf(*this));
}

void HeadlessConsole::pressUp() {
    pressHotkey(consoleHotkeyNewer);
}

void HeadlessConsole::pressDown() {
    pressHotkey(consoleHotkeyOlder);
}

void HeadlessConsole::pressEscape() {
    pressHotkey(consoleHotkeyEscape);
}

void HeadlessConsole::pressConsoleKey() {
    // A tap: the key that opened the console was let go first.
    if (open) consoleKeyUp();
    pressHotkey(consoleHotkeyConsoleKey);
}

void HeadlessConsole::repeatConsoleKey() {
    pressHotkey(consoleHotkeyConsoleKey);
}

void HeadlessConsole::clickCloseBox() {
    if (!open) return;
    consoleCloseRequested(windowOf(*this));
}

void openConsole() {
    HeadlessConsole console;
    consoleOpened(windowOf(console));
    if (headlessConsoleDriver) headlessConsoleDriver(console);
    if (console.open) consoleCloseRequested(windowOf(console));
}

// openConsole() for the native build: the same session as the Win32 dialog, with
// the boxes as plain strings and the user's part played by nativeConsoleDriver.
#include "config/console_native.h"

#include "config/console.h"
#include "config/console_session.h"

std::function<void(NativeConsole&)> nativeConsoleDriver;

namespace {

ConsoleWindow windowOf(NativeConsole& console) {
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

void NativeConsole::enter(const std::string& text) {
    input = text;
    pressEnter();
}

void NativeConsole::pressEnter() {
    // Messages reach a dialog only while it is open.
    if (!open) return;
    const std::string line = input;
    consoleLineEntered(line, windowOf(*this));
}

void NativeConsole::pressHotkey(int id) {
    if (!open || !hotkeysRegistered) return;
    consoleHotkeyPressed(id, windowOf(*this));
}

void NativeConsole::pressUp() {
    pressHotkey(consoleHotkeyNewer);
}

void NativeConsole::pressDown() {
    pressHotkey(consoleHotkeyOlder);
}

void NativeConsole::pressEscape() {
    pressHotkey(consoleHotkeyEscape);
}

void NativeConsole::pressConsoleKey() {
    pressHotkey(consoleHotkeyConsoleKey);
}

void NativeConsole::clickCloseBox() {
    if (!open) return;
    consoleCloseRequested(windowOf(*this));
}

void openConsole() {
    NativeConsole console;
    consoleOpened(windowOf(console));
    if (nativeConsoleDriver) nativeConsoleDriver(console);
    if (console.open) consoleCloseRequested(windowOf(console));
}

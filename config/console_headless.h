// The console of the headless layer. It has no window: a test (or a tool)
// installs a driver that plays the user's part while the console is "open".
#pragma once

#include <functional>
#include <string>

// One opening of the headless console: its two boxes, and the user's actions, each
// handled exactly as the Win32 dialog handles the matching message.
class HeadlessConsole {
  public:
    // Types `text` over the input box and presses Enter.
    void enter(const std::string& text);
    // Presses Enter on whatever the input box holds now.
    void pressEnter();
    void pressUp();
    void pressDown();
    void pressEscape();
    void pressConsoleKey();  // released, then pressed anew
    void repeatConsoleKey(); // the keyboard's repeat of a console key held since it opened
    void clickCloseBox();
    // Any hotkey id, known or not.
    void pressHotkey(int id);

    std::string input;
    std::string output;
    bool open = true;
    bool hotkeysRegistered = true;
    int closeCount = 0; // how often the window was asked to close; 1 at most when sound
};

// When set, openConsole() calls it with the freshly opened console and returns once
// it has returned (closing the console first, as Escape does, if it is still open).
// When not set, openConsole() opens and closes at once.
extern std::function<void(HeadlessConsole&)> headlessConsoleDriver;

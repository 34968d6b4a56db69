// What the console does, apart from the window that shows it. The Win32 dialog, the
// console drawn in the game and the headless one all hand every event to these
// functions, so they share each decision; they differ only in how a box's text is
// set and how the window closes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

// Identifiers of the hotkeys the console registers on its own window.
enum ConsoleHotkeyId : int {
    consoleHotkeyEscape = 1,
    consoleHotkeyConsoleKey = 2,
    consoleHotkeyNewer = 3, // Up arrow: the next newer line of the history
    consoleHotkeyOlder = 4, // Down arrow: the next older line of the history
};

struct ConsoleHotkey {
    int id;
    std::uint8_t virtualKey; // no modifier keys
};

// The four hotkeys in the order they are registered (and released): Escape, the
// key that types the backtick on the current layout, Up, Down.
std::array<ConsoleHotkey, 4> consoleHotkeys();

// What the console's window does for the session.
struct ConsoleWindow {
    std::function<void(const std::string&)> setInput;  // replaces the input box's text
    std::function<void(const std::string&)> setOutput; // replaces the output box's text
    // Releases the four hotkeys and ends the modal loop. Every path that closes the
    // console goes through here.
    std::function<void()> close;
};

// The window has just been created: shows the whole console text and lets go of
// every held key, so the game sees none of them down once the console closes.
// (The window registers its hotkeys itself.)
void consoleOpened(const ConsoleWindow& window);

// Escape, the console key or the close box: forgets the recalled line and closes.
void consoleCloseRequested(const ConsoleWindow& window);

// A hotkey arrived: closes, walks the history, or ignores an unknown id. The console
// key closes only when it was pressed anew (see below).
void consoleHotkeyPressed(int id, const ConsoleWindow& window);

// The console key is held to open the console, and keyboards repeat a held key. So
// that its repeats neither close the console it has just opened nor reopen one it has
// just closed, each layer reports the console key's own events here:
// - consoleKeyDown for every key-down of it outside the console (in the game window),
//   with whether the keyboard marked it as a repeat; the key's entry of keyState is
//   set only when this returns true;
// - consoleKeyUp whenever the key is seen released, in the game or in the console.
// The key that opened the console counts as held until it is released, so its
// repeats do not close the console; after the console closes, repeats of a key still
// held since then do not open it again. A new press always counts.
bool consoleKeyDown(bool repeat);
void consoleKeyUp();
// True while the console key, held since it last opened or closed the console, has
// not been released: the layer watches for its release (the Win32 dialog polls it).
bool consoleKeyAwaitingRelease();

// Down: recalls the next older line; nothing when the oldest is shown already.
void recallOlderLine(const ConsoleWindow& window);
// Up: recalls the next newer line, or empties the input after the newest; nothing
// while no line is recalled.
void recallNewerLine(const ConsoleWindow& window);

// True when entering `line` ends the game from the console: the upper-cased line is
// exactly "QUIT", or names an alias whose body is exactly "QUIT".
bool isQuitLine(const std::string& line);

// The user entered `line`. A quit line first closes the console and asks the program
// to quit (exit code 0); every line, that one included, then goes to the interpreter
// as typed. Afterwards no line is recalled, the output shows the whole console text
// and the input is empty.
void consoleLineEntered(const std::string& line, const ConsoleWindow& window);

// The modal loop of the console drawn in the game (the desktop and web programs): one
// ConsoleOverlay over the game's last frame, fed the platform's input until it closes.
// The platform gives its input, its waiting and its screen as hooks.
#pragma once

#include <cstdint>
#include <string>

class ConsoleOverlay;

// One piece of input for the console, in the order the platform delivered it.
struct ConsoleInput {
    enum Kind : std::uint8_t {
        keyDown,
        keyUp,
        typed,    // text typed, 8-bit characters (a layer that gives it apart from keys)
        paste,    // text pasted, 8-bit characters (a layer whose paste comes as an event)
        click,    // a mouse press on the picture
        wheel,    // the mouse wheel
        closeBox, // the window's close box
        quit,     // the program's quit: the console closes and leaves it for the main loop
        changed,  // something else that calls for drawing the console again
    };
    Kind kind = changed;
    // Keys: the virtual-key code of the US layout (0 for a key without one), the
    // keyboard's repeat flag and the KeyModifier bits held. A layer whose key-downs
    // carry the character they type gives it here (0 for none); its text is typed
    // unless Ctrl or the system key make the key a shortcut.
    std::uint8_t virtualKey = 0;
    bool repeat = false;
    unsigned modifiers = 0;
    char character = 0;
    std::string text;
    // A click: where on the picture. The wheel: notches turned away from the user, or,
    // from a layer that measures the wheel finer, lines to scroll toward the older
    // output (down the panel) with notches 0.
    int x = 0;
    int y = 0;
    int notches = 0;
    int lines = 0;
};

struct ConsoleLoopHooks {
    // The platform starts, and stops, giving its input to the console.
    void (*begin)();
    void (*end)();
    // Waits until some input may be there; false when none will ever come (the
    // platform's queue failed), which closes the console.
    bool (*waitForInput)();
    // The oldest waiting input; false when nothing waits.
    bool (*takeInput)(ConsoleInput& input);
    // Shows `pixels` (0x00RRGGBB, rows top-down) in the game window: the last frame
    // with the console over it while `overlay` is given, the last frame alone once the
    // console has closed (overlay null).
    void (*show)(const std::uint32_t* pixels, int width, int height, const ConsoleOverlay* overlay);
    // Optional: the clipboard's text as 8-bit characters, read on Ctrl+V and
    // Shift+Insert. Null where the platform delivers a paste as input of its own.
    std::string (*clipboardText)() = nullptr;
};

// Runs the console modally over the game window (mainWindow); returns once it has
// closed. Nothing happens without a game window.
void runConsole(const ConsoleLoopHooks& hooks);

// Whether a key-down with these KeyModifier bits types its character: not when Ctrl
// or the system key make it a shortcut, except Ctrl with Alt, which is how AltGr
// arrives from some systems.
bool keyTypesText(unsigned modifiers);

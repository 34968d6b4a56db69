// What a key event of the game window means for keyState: one rule for every layer.
// The layers translate their platform's events into KeyEvent and hand each one here;
// only the translation is theirs.
#pragma once

#include <cstdint>

// Modifier keys held with a key event, as the layers report them (any combination).
// The console takes the same bits (ConsoleOverlay).
enum KeyModifier : unsigned {
    keyModifierShift = 1,
    keyModifierControl = 2,
    keyModifierAlt = 4,
    keyModifierSystem = 8, // the Windows key, Command on a Mac
};

struct KeyEvent {
    std::uint8_t virtualKey; // Windows virtual-key code of the US layout; 0 for none
    bool down;               // false for a release
    bool repeat;             // the keyboard's own repeat of a held key
    // KeyModifier bits held with the event.
    unsigned modifiers;
    // True where the platform tells system keys apart itself and the layer passes on
    // only the others: the Windows window procedure gets them as WM_SYSKEYDOWN and
    // leaves them alone, and what comes as WM_KEYDOWN counts as it comes (Alt pressed
    // while Ctrl is held arrives so). Such a layer reports no modifiers.
    bool systemKeysApart = false;
};

// Applies a key event of the game window to keyState:
// - a key-down sets its key's entry (a repeat sets it again), except for system keys:
//   Alt and F10 themselves, and keys pressed while Alt is held, which the Windows
//   program's window gets as system keys and keeps out of keyState (where the platform
//   tells them apart itself, see systemKeysApart, its word is taken);
// - a key pressed while the system key (Command) is held is a shortcut of the system,
//   not a game key, as one pressed with Alt is: a player pressing Cmd+S means the
//   system's shortcut, not aiming down, and on macOS no release of S would follow.
//   Since no release comes either for a key held before Command and let go under it,
//   the first event that comes without Command after one that came with it lets go of
//   every key (a key still held counts again from its next key-down or repeat);
// - the console key's key-downs go to the console session, which decides whether they
//   count (a repeat of the key that opened or closed the console does not);
// - a key-up clears its key's entry whatever was held with it, and reports the console
//   key's release to the session.
// Returns true for a key-down the game took (its entry was set, or it was the console
// key): the page suppresses the browser's own use of such a key.
bool handleGameKey(const KeyEvent& event);

// The game window lost the keyboard: releases that come meanwhile go elsewhere, so no
// key counts as held any longer.
void gameKeysLost();

// Browser key events in the game's terms: the Windows virtual-key code of the US
// layout for a KeyboardEvent, so bindings and scripts work on the web page unchanged.
#pragma once

#include <cstdint>
#include <string_view>

// The virtual-key code Windows reports for the physical key `code` (KeyboardEvent.code,
// "KeyA", "Numpad4", "Backquote", ...) on the US layout, or 0 for a key it has no code
// for. `key` (KeyboardEvent.key) only matters on the keypad: with Num Lock off its
// digit keys are the navigation keys (Numpad4 gives "ArrowLeft" and VK_LEFT), as in a
// Windows program.
std::uint8_t virtualKeyForDomCode(std::string_view code, std::string_view key);

// The character a key types as the game's 8-bit text holds it: `key`
// (KeyboardEvent.key, UTF-8) when it is one printable character of Latin-1, else 0
// ("Enter", "Shift", a character beyond Latin-1, a control character).
char characterForDomKey(std::string_view key);

// Whether the page's own use of a key-down (scrolling, moving the focus) is to be
// suppressed: the keys the game uses now (a player's binding or the console key) and
// the keys that would scroll the page or move the focus away from it (Space, the
// arrows, Page Up and Down, Home, End, Tab, Backspace). A key held with Ctrl or Meta
// that the game does not use keeps its browser shortcut.
bool gameTakesKey(std::uint8_t virtualKey, bool ctrlOrMeta);

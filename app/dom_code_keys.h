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

// Keys of the keyboard as the USB HID keyboard page numbers them (the scancodes
// SDL reports: a key's place on the keyboard, whatever the layout), translated to
// the Windows virtual-key codes of the US layout, which keyState, the key bindings
// and the key names use.
#pragma once

#include <cstdint>

// The virtual-key code of the key with HID usage `usage` on the US layout, as a
// Windows keyboard driver gives it in WM_KEYDOWN: both Shift keys give VK_SHIFT, both
// Ctrl keys VK_CONTROL, both Alt keys VK_MENU; the keypad's digit and point keys give
// VK_NUMPAD0..9 and VK_DECIMAL while Num Lock is on, and the cursor keys they carry
// (Insert, End, Down, ..., Delete; 5 gives VK_CLEAR) while it is off. 0 for a usage
// no key of a Windows US keyboard has, and for anything out of range.
std::uint8_t virtualKeyForScancode(int usage, bool numLock);

#include "app/scancode_keys.h"

#include <array>

namespace {

// Indexed by HID usage of the keyboard page (0x04 'a' to 0xE7 right GUI).
constexpr std::array<std::uint8_t, 0xE8> usTable = [] {
    std::array<std::uint8_t, 0xE8> t{};
    for (int i = 0; i < 26; ++i) t[0x04 + i] = static_cast<std::uint8_t>('A' + i);
    for (int i = 0; i < 9; ++i) t[0x1E + i] = static_cast<std::uint8_t>('1' + i);
    t[0x27] = '0';
    t[0x28] = 0x0D; // Return
    t[0x29] = 0x1B; // Escape
    t[0x2A] = 0x08; // Backspace
    t[0x2B] = 0x09; // Tab
    t[0x2C] = 0x20; // Space
    t[0x2D] = 0xBD; // - _
    t[0x2E] = 0xBB; // = +
    t[0x2F] = 0xDB; // [ {
    t[0x30] = 0xDD; // ] }
    t[0x31] = 0xDC; // \ |
    t[0x32] = 0xDC; // the ISO key beside Return: the same scan code as \ on a PC
    t[0x33] = 0xBA; // ; :
    t[0x34] = 0xDE; // ' "
    t[0x35] = 0xC0; // ` ~, the console key
    t[0x36] = 0xBC; // , <
    t[0x37] = 0xBE; // . >
    t[0x38] = 0xBF; // / ?
    t[0x39] = 0x14; // Caps Lock
    for (int i = 0; i < 12; ++i) t[0x3A + i] = static_cast<std::uint8_t>(0x70 + i); // F1-F12
    t[0x46] = 0x2C;                                                                 // Print Screen
    t[0x47] = 0x91;                                                                 // Scroll Lock
    t[0x48] = 0x13;                                                                 // Pause
    t[0x49] = 0x2D;                                                                 // Insert
    t[0x4A] = 0x24;                                                                 // Home
    t[0x4B] = 0x21;                                                                 // Page Up
    t[0x4C] = 0x2E;                                                                 // Delete
    t[0x4D] = 0x23;                                                                 // End
    t[0x4E] = 0x22;                                                                 // Page Down
    t[0x4F] = 0x27;                                                                 // Right
    t[0x50] = 0x25;                                                                 // Left
    t[0x51] = 0x28;                                                                 // Down
    t[0x52] = 0x26;                                                                 // Up
    t[0x53] = 0x90;                                                                 // Num Lock
    t[0x54] = 0x6F;                                                                 // keypad /
    t[0x55] = 0x6A;                                                                 // keypad *
    t[0x56] = 0x6D;                                                                 // keypad -
    t[0x57] = 0x6B;                                                                 // keypad +
    t[0x58] = 0x0D; // keypad Enter is Return
    for (int i = 0; i < 9; ++i) t[0x59 + i] = static_cast<std::uint8_t>(0x61 + i); // keypad 1-9
    t[0x62] = 0x60;                                                                // keypad 0
    t[0x63] = 0x6E;                                                                // keypad .
    t[0x64] = 0xE2; // the ISO key beside left Shift
    t[0x65] = 0x5D; // Application (menu)
    for (int i = 0; i < 12; ++i) t[0x68 + i] = static_cast<std::uint8_t>(0x7C + i); // F13-F24
    t[0x74] = 0x2B;                                                                 // Execute
    t[0x75] = 0x2F;                                                                 // Help
    t[0x77] = 0x29;                                                                 // Select
    t[0x7F] = 0xAD;                                                                 // Mute
    t[0x80] = 0xAF;                                                                 // Volume Up
    t[0x81] = 0xAE;                                                                 // Volume Down
    t[0xE0] = 0x11;                                                                 // left Ctrl
    t[0xE1] = 0x10;                                                                 // left Shift
    t[0xE2] = 0x12;                                                                 // left Alt
    t[0xE3] = 0x5B; // left Windows key
    t[0xE4] = 0x11; // right Ctrl
    t[0xE5] = 0x10; // right Shift
    t[0xE6] = 0x12; // right Alt
    t[0xE7] = 0x5C; // right Windows key
    return t;
}();

// The keypad's 1-9, 0 and . with Num Lock off: End, Down, Page Down, Left, Clear,
// Right, Home, Up, Page Up, Insert, Delete.
constexpr std::uint8_t keypadCursorKeys[11] = {0x23, 0x28, 0x22, 0x25, 0x0C, 0x27,
                                               0x24, 0x26, 0x21, 0x2D, 0x2E};

} // namespace

std::uint8_t virtualKeyForScancode(int usage, bool numLock) {
    if (usage < 0 || usage >= static_cast<int>(usTable.size())) return 0;
    if (!numLock && usage >= 0x59 && usage <= 0x63) return keypadCursorKeys[usage - 0x59];
    return usTable[static_cast<std::size_t>(usage)];
}

// Scancodes (USB HID keyboard usages) to the virtual-key codes of the US layout.
#include "app/scancode_keys.h"
#include "app/us_keyboard_layout.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct KeyCase {
    int usage;
    int virtualKey;
    const char* name;
};

TEST(ScancodeKeys, KeysOfTheUsKeyboardGiveTheirWindowsCodes) {
    const KeyCase cases[] = {
        {0x04, 'A', "A"},
        {0x1D, 'Z', "Z"},
        {0x1E, '1', "1"},
        {0x26, '9', "9"},
        {0x27, '0', "0"},
        {0x28, 0x0D, "Return"},
        {0x58, 0x0D, "keypad Enter"},
        {0x29, 0x1B, "Escape"},
        {0x2A, 0x08, "Backspace"},
        {0x2B, 0x09, "Tab"},
        {0x2C, 0x20, "Space"},
        {0x35, 0xC0, "backtick"},
        {0x3A, 0x70, "F1"},
        {0x43, 0x79, "F10"},
        {0x45, 0x7B, "F12"},
        {0x4F, 0x27, "Right"},
        {0x50, 0x25, "Left"},
        {0x51, 0x28, "Down"},
        {0x52, 0x26, "Up"},
        {0xE1, 0x10, "left Shift"},
        {0xE5, 0x10, "right Shift"},
        {0xE0, 0x11, "left Ctrl"},
        {0xE4, 0x11, "right Ctrl"},
        {0xE2, 0x12, "left Alt"},
        {0xE6, 0x12, "right Alt"},
        {0x62, 0x60, "keypad 0"},
        {0x59, 0x61, "keypad 1"},
        {0x61, 0x69, "keypad 9"},
        {0x63, 0x6E, "keypad ."},
        {0x54, 0x6F, "keypad /"},
        {0x64, 0xE2, "ISO key"},
        {0x68, 0x7C, "F13"},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(virtualKeyForScancode(c.usage, true), c.virtualKey) << c.name;
}

TEST(ScancodeKeys, TheKeypadGivesCursorKeysWithNumLockOff) {
    const KeyCase cases[] = {
        {0x59, 0x23, "1 End"},  {0x5A, 0x28, "2 Down"},   {0x5D, 0x0C, "5 Clear"},
        {0x5F, 0x24, "7 Home"}, {0x62, 0x2D, "0 Insert"}, {0x63, 0x2E, ". Delete"},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(virtualKeyForScancode(c.usage, false), c.virtualKey) << c.name;
    // The rest of the keyboard does not depend on Num Lock.
    for (int usage = 0; usage < 0x59; ++usage)
        EXPECT_EQ(virtualKeyForScancode(usage, false), virtualKeyForScancode(usage, true));
}

// Every character the US layout types comes from the key the scancode table names
// for its place: the two tables agree.
TEST(ScancodeKeys, AgreesWithTheUsLayoutOnEveryTypedCharacter) {
    std::set<int> keysOfTable;
    for (int usage = 0; usage < 0x100; ++usage)
        keysOfTable.insert(virtualKeyForScancode(usage, true));
    for (int c = 0x20; c < 0x7F; ++c) {
        const int key = usLayoutKeyForCharacter(static_cast<char>(c));
        ASSERT_NE(key, 255) << static_cast<char>(c);
        EXPECT_TRUE(keysOfTable.count(key)) << static_cast<char>(c) << " needs key " << key;
    }
}

TEST(ScancodeKeys, UnknownAndOutOfRangeUsagesGiveNoKey) {
    for (int usage : {-1, 0, 1, 2, 3, 0x66, 0x67, 0xA5, 0xE8, 0xFF, 0x100, 258, 100000})
        EXPECT_EQ(virtualKeyForScancode(usage, true), 0) << usage;
}

} // namespace

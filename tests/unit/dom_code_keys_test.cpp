#include "app/dom_code_keys.h"
#include "app/us_keyboard_layout.h"
#include "config/key_bindings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Case {
    const char* code;
    const char* key;
    int virtualKey;
};

// Each physical key gives the code a Windows program sees for it on the US layout.
TEST(DomCodeKeys, GiveTheUsLayoutsVirtualKeys) {
    const Case cases[] = {
        {"KeyA", "a", 'A'},
        {"KeyZ", "Z", 'Z'},
        {"KeyG", "g", 'G'},
        {"Digit0", "0", '0'},
        {"Digit9", "(", '9'},
        {"Space", " ", 0x20},
        {"Enter", "Enter", 0x0D},
        {"NumpadEnter", "Enter", 0x0D},
        {"Escape", "Escape", 0x1B},
        {"Tab", "Tab", 0x09},
        {"Backspace", "Backspace", 0x08},
        {"ShiftLeft", "Shift", 0x10},
        {"ShiftRight", "Shift", 0x10},
        {"ControlRight", "Control", 0x11},
        {"AltLeft", "Alt", 0x12},
        {"ArrowLeft", "ArrowLeft", 0x25},
        {"ArrowUp", "ArrowUp", 0x26},
        {"ArrowRight", "ArrowRight", 0x27},
        {"ArrowDown", "ArrowDown", 0x28},
        {"F1", "F1", 0x70},
        {"F10", "F10", 0x79},
        {"F12", "F12", 0x7B},
        {"F24", "F24", 0x87},
        {"Backquote", "`", 0xC0},
        {"Minus", "-", 0xBD},
        {"Equal", "=", 0xBB},
        {"BracketLeft", "[", 0xDB},
        {"BracketRight", "]", 0xDD},
        {"Backslash", "\\", 0xDC},
        {"Semicolon", ";", 0xBA},
        {"Quote", "'", 0xDE},
        {"Comma", ",", 0xBC},
        {"Period", ".", 0xBE},
        {"Slash", "/", 0xBF},
        {"NumpadMultiply", "*", 0x6A},
        {"NumpadAdd", "+", 0x6B},
        {"NumpadSubtract", "-", 0x6D},
        {"NumpadDivide", "/", 0x6F},
        {"NumLock", "NumLock", 0x90},
    };
    for (const Case& c : cases)
        EXPECT_EQ(virtualKeyForDomCode(c.code, c.key), c.virtualKey) << c.code;
}

// With Num Lock on the keypad types digits; with it off its keys are the navigation
// keys, as Windows reports them.
TEST(DomCodeKeys, KeypadFollowsNumLock) {
    const Case cases[] = {
        {"Numpad0", "0", 0x60},
        {"Numpad4", "4", 0x64},
        {"Numpad9", "9", 0x69},
        {"NumpadDecimal", ".", 0x6E},
        {"Numpad5", "Unidentified", 0x65},
        {"Numpad6", "", 0x66},
        {"Numpad0", "Insert", 0x2D},
        {"Numpad1", "End", 0x23},
        {"Numpad2", "ArrowDown", 0x28},
        {"Numpad3", "PageDown", 0x22},
        {"Numpad4", "ArrowLeft", 0x25},
        {"Numpad5", "Clear", 0x0C},
        {"Numpad6", "ArrowRight", 0x27},
        {"Numpad7", "Home", 0x24},
        {"Numpad8", "ArrowUp", 0x26},
        {"Numpad9", "PageUp", 0x21},
        {"NumpadDecimal", "Delete", 0x2E},
    };
    for (const Case& c : cases)
        EXPECT_EQ(virtualKeyForDomCode(c.code, c.key), c.virtualKey) << c.code << " " << c.key;
}

// Codes of keys the game has no number for, and malformed ones, give 0 (no key).
TEST(DomCodeKeys, UnknownCodesGiveNoKey) {
    const char* codes[] = {"",         "Key",           "KeyAB", "Keya",        "Key1",
                           "Digit",    "DigitA",        "F0",    "F25",         "F99",
                           "F1A",      "F100",          "Fn",    "Numpad",      "NumpadA",
                           "Numpad10", "AudioVolumeUp", "space", "Unidentified"};
    for (const char* code : codes) EXPECT_EQ(virtualKeyForDomCode(code, ""), 0) << code;
}

// Every key a player can BIND, and the console key, can be pressed on the page: some
// physical key gives its code.
TEST(DomCodeKeys, EveryBindableKeyAndTheConsoleKeyIsReachable) {
    std::string codes[] = {
        "Space",          "ShiftLeft", "ControlLeft",    "Enter",       "Tab",
        "Backspace",      "ArrowUp",   "ArrowDown",      "ArrowLeft",   "ArrowRight",
        "NumpadMultiply", "NumpadAdd", "NumpadSubtract", "NumpadDivide"};
    const char* names[] = {"SPACE", "SHIFT", "CTRL",  "ENTER", "TAB", "BACKSPACE", "UP",
                           "DOWN",  "LEFT",  "RIGHT", "*",     "+",   "-",         "/"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(virtualKeyForDomCode(codes[i], ""), KeyCodeFromName(names[i])) << names[i];
    for (char c = 'A'; c <= 'Z'; ++c)
        EXPECT_EQ(virtualKeyForDomCode(std::string("Key") + c, ""),
                  KeyCodeFromName(std::string(1, c)));
    for (char c = '0'; c <= '9'; ++c) {
        EXPECT_EQ(virtualKeyForDomCode(std::string("Digit") + c, ""),
                  KeyCodeFromName(std::string(1, c)));
        EXPECT_EQ(virtualKeyForDomCode(std::string("Numpad") + c, std::string(1, c)),
                  KeyCodeFromName(std::string("NUM") + c));
    }
    for (int f = 1; f <= 12; ++f) {
        // Appended, not prefixed: GCC 12 warns falsely (-Wrestrict) on "F" + string.
        std::string name = "F";
        name += std::to_string(f);
        EXPECT_EQ(virtualKeyForDomCode(name, ""), KeyCodeFromName(name));
    }
    EXPECT_EQ(virtualKeyForDomCode("Backquote", "`"), usLayoutKeyForCharacter('`'));
}

} // namespace

namespace {

TEST(DomKeyCharacters, PrintableLatin1CharactersOnly) {
    struct Case {
        const char* key;
        int character;
    };
    const Case cases[] =
        {
            {"a", 'a'},          {"Z", 'Z'},         {" ", ' '},         {"`", '`'},
            {"~", '~'},          {"\xC2\xA0", 0xA0}, {"\xC3\xA9", 0xE9}, {"\xC3\xBF", 0xFF},
            {"\xC2\x85", 0},     // U+0085, a control character
            {"\xE2\x82\xAC", 0}, // the euro sign, beyond Latin-1
            {"\xC3", 0},         // a broken sequence
            {"Enter", 0},        {"Shift", 0},       {"Dead", 0},        {"", 0},
            {"\x7F", 0},         {"\t", 0},          {"ab", 0},
        };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<unsigned char>(characterForDomKey(c.key)), c.character) << c.key;
}

class GameKeys : public ::testing::Test {
  protected:
    void SetUp() override { std::memcpy(saved, KeyBindings, sizeof saved); }
    void TearDown() override { std::memcpy(KeyBindings, saved, sizeof saved); }
    std::uint16_t saved[2][actionSlots];
};

// The page keeps its own use of a key unless the game uses it or it would scroll or
// move the focus; shortcuts with Ctrl or Meta stay the browser's unless bound.
TEST_F(GameKeys, BoundKeysTheConsoleKeyAndScrollingKeysAreTheGames) {
    std::memset(KeyBindings, 0, sizeof KeyBindings);
    KeyBindings[0][ActionAttack] = 'G';
    KeyBindings[1][ActionJump] = 0x60; // keypad 0
    // G, keypad 0 and the console key.
    for (int key : {0x47, 0x60, 0xC0}) {
        EXPECT_TRUE(gameTakesKey(static_cast<std::uint8_t>(key), false)) << key;
        EXPECT_TRUE(gameTakesKey(static_cast<std::uint8_t>(key), true)) << key;
    }
    for (int key : {0x08, 0x09, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28}) {
        EXPECT_TRUE(gameTakesKey(static_cast<std::uint8_t>(key), false)) << key;
        EXPECT_FALSE(gameTakesKey(static_cast<std::uint8_t>(key), true)) << key;
    }
    // R, W, F1, F5, Enter, Escape, Delete, none.
    for (int key : {0x52, 0x57, 0x70, 0x74, 0x0D, 0x1B, 0x2E, 0x00}) {
        EXPECT_FALSE(gameTakesKey(static_cast<std::uint8_t>(key), false)) << key;
        EXPECT_FALSE(gameTakesKey(static_cast<std::uint8_t>(key), true)) << key;
    }
    KeyBindings[0][ActionAimUp] = 'W';
    EXPECT_TRUE(gameTakesKey('W', true));
}

} // namespace

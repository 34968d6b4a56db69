#include "app/dom_code_keys.h"

#include "app/platform.h"
#include "config/key_bindings.h"

#include <array>

namespace {

struct CodeKey {
    std::string_view code;
    std::uint8_t virtualKey;
};

// The keys named by their position whose code is not a letter, digit, function key
// or keypad digit (those follow a pattern, below). Left and right Shift, Ctrl and Alt
// give one code each, as WM_KEYDOWN reports them.
constexpr std::array<CodeKey, 46> namedKeys{{
    {"Backspace", 0x08},
    {"Tab", 0x09},
    {"Enter", 0x0D},
    {"NumpadEnter", 0x0D},
    {"ShiftLeft", 0x10},
    {"ShiftRight", 0x10},
    {"ControlLeft", 0x11},
    {"ControlRight", 0x11},
    {"AltLeft", 0x12},
    {"AltRight", 0x12},
    {"Pause", 0x13},
    {"CapsLock", 0x14},
    {"Escape", 0x1B},
    {"Space", 0x20},
    {"PageUp", 0x21},
    {"PageDown", 0x22},
    {"End", 0x23},
    {"Home", 0x24},
    {"ArrowLeft", 0x25},
    {"ArrowUp", 0x26},
    {"ArrowRight", 0x27},
    {"ArrowDown", 0x28},
    {"PrintScreen", 0x2C},
    {"Insert", 0x2D},
    {"Delete", 0x2E},
    {"MetaLeft", 0x5B},
    {"MetaRight", 0x5C},
    {"ContextMenu", 0x5D},
    {"NumpadMultiply", 0x6A},
    {"NumpadAdd", 0x6B},
    {"NumpadSubtract", 0x6D},
    {"NumpadDivide", 0x6F},
    {"NumLock", 0x90},
    {"ScrollLock", 0x91},
    {"Semicolon", 0xBA},
    {"Equal", 0xBB},
    {"Comma", 0xBC},
    {"Minus", 0xBD},
    {"Period", 0xBE},
    {"Slash", 0xBF},
    {"Backquote", 0xC0},
    {"BracketLeft", 0xDB},
    {"Backslash", 0xDC},
    {"BracketRight", 0xDD},
    {"Quote", 0xDE},
    // The extra key left of Z on international keyboards.
    {"IntlBackslash", 0xE2},
}};

// What the keypad's digit keys and its decimal point are with Num Lock off: Insert,
// End, Down, Page Down, Left, Clear, Right, Home, Up, Page Up; Delete.
constexpr std::array<std::uint8_t, 10> keypadNavigation{0x2D, 0x23, 0x28, 0x22, 0x25,
                                                        0x0C, 0x27, 0x24, 0x26, 0x21};
constexpr std::uint8_t keypadDelete = 0x2E;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when the keypad key typed its digit or point (Num Lock on). A browser that
// leaves `key` empty or "Unidentified" is taken to have Num Lock on, the state the
// shipped keys of player 2 need.
bool keypadTypesDigits(std::string_view key) {
    if (key.empty() || key == "Unidentified") return true;
    return key.size() == 1 && (isDigit(key[0]) || key[0] == '.' || key[0] == ',');
}

} // namespace

std::uint8_t virtualKeyForDomCode(std::string_view code, std::string_view key) {
    if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z')
        return static_cast<std::uint8_t>(code[3]);
    if (code.size() == 6 && code.substr(0, 5) == "Digit" && isDigit(code[5]))
        return static_cast<std::uint8_t>(code[5]);
    if (code.size() == 7 && code.substr(0, 6) == "Numpad" && isDigit(code[6])) {
        const int digit = code[6] - '0';
        return keypadTypesDigits(key) ? static_cast<std::uint8_t>(0x60 + digit)
                                      : keypadNavigation[static_cast<std::size_t>(digit)];
    }
    if (code == "NumpadDecimal") return keypadTypesDigits(key) ? 0x6E : keypadDelete;
    // F1 to F24: 0x70 to 0x87.
    if ((code.size() == 2 || code.size() == 3) && code[0] == 'F' && isDigit(code[1]) &&
        code[1] != '0') {
        int number = code[1] - '0';
        if (code.size() == 3) {
            if (!isDigit(code[2])) return 0;
            number = number * 10 + (code[2] - '0');
        }
        if (number >= 1 && number <= 24) return static_cast<std::uint8_t>(0x6F + number);
        return 0;
    }
    for (const CodeKey& entry : namedKeys)
        if (entry.code == code) return entry.virtualKey;
    return 0;
}

char characterForDomKey(std::string_view key) {
    const auto byte = [&key](std::size_t i) { return static_cast<unsigned char>(key[i]); };
    if (key.size() == 1 && byte(0) >= 0x20 && byte(0) < 0x7F) return key[0];
    // U+00A0 to U+00FF: two bytes, C2 or C3 then a continuation byte.
    if (key.size() == 2 && (byte(0) == 0xC2 || byte(0) == 0xC3) && (byte(1) & 0xC0) == 0x80) {
        const unsigned value = ((byte(0) & 0x1Fu) << 6) | (byte(1) & 0x3Fu);
        if (value >= 0xA0) return static_cast<char>(value);
    }
    return 0;
}

bool gameTakesKey(std::uint8_t virtualKey, bool ctrlOrMeta) {
    if (virtualKey == 0) return false;
    if (virtualKey == keyForCharacter('`')) return true;
    for (const auto& row : KeyBindings)
        for (const std::uint16_t code : row)
            if (code == virtualKey) return true;
    if (ctrlOrMeta) return false;
    switch (virtualKey) {
    case 0x08: // Backspace
    case 0x09: // Tab
    case 0x20: // Space
    case 0x21: // Page Up
    case 0x22: // Page Down
    case 0x23: // End
    case 0x24: // Home
    case 0x25: // the arrows
    case 0x26:
    case 0x27:
    case 0x28:
        return true;
    default:
        return false;
    }
}

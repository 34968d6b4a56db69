// Key names, action names, the BIND command's arguments and the default keys.
#include "config/key_bindings.h"

#include "app/platform.h"
#include "command/numbers.h"

#include <climits>
#include <string>

std::uint16_t KeyBindings[2][actionSlots] = {};

namespace {

struct NamedAction {
    std::string_view name;
    int action;
};

constexpr NamedAction actionNames[] = {
    {"JUMP", ActionJump},       {"LEFT", ActionLeft},   {"RIGHT", ActionRight},
    {"GRAPPLE", ActionGrapple}, {"AIMUP", ActionAimUp}, {"AIMDOWN", ActionAimDown},
    {"ATTACK", ActionAttack},   {"SWORD", ActionSword},
};

constexpr NamedKey keyNames[] = {
    {"SHIFT", 16}, {"CTRL", 17},  {"ALT", 18},   {"ENTER", 13}, {"BACKSPACE", 8}, {"TAB", 9},
    {"SPACE", 32}, {"UP", 38},    {"DOWN", 40},  {"LEFT", 37},  {"RIGHT", 39},    {"NUM0", 96},
    {"NUM1", 97},  {"NUM2", 98},  {"NUM3", 99},  {"NUM4", 100}, {"NUM5", 101},    {"NUM6", 102},
    {"NUM7", 103}, {"NUM8", 104}, {"NUM9", 105}, {"F1", 112},   {"F2", 113},      {"F3", 114},
    {"F4", 115},   {"F5", 116},   {"F6", 117},   {"F7", 118},   {"F8", 119},      {"F9", 120},
    {"F10", 121},  {"F11", 122},  {"F12", 123},
};

// The code of a whole pad control name (PAD1A, PAD2STICKLEFT...), or 0.
std::uint16_t padKeyCodeFromName(std::string_view name) {
    if (name.size() < 5 || !name.starts_with("PAD")) return 0;
    const int pad = name[3] - '1';
    if (pad < 0 || pad >= padCount) return 0;
    const std::string_view control = name.substr(4);
    for (int c = 0; c < padControlCount; ++c)
        if (control == padControlNames[c]) return padKeyCodes[pad][c];
    return 0;
}

} // namespace

std::span<const NamedKey> KeyNames() {
    return keyNames;
}

bool IsSystemKey(std::uint16_t code) {
    return code == 18 || code == 121; // Alt, F10
}

int ActionFromName(std::string_view name) {
    for (const NamedAction& entry : actionNames)
        if (name == entry.name) return entry.action;
    return -1;
}

std::uint16_t KeyCodeFromName(std::string_view name) {
    for (const NamedKey& entry : keyNames)
        if (name == entry.name) return entry.code;
    if (const std::uint16_t pad = padKeyCodeFromName(name)) return pad;
    // Otherwise the first character alone decides; an empty name counts as NUL.
    const char first = name.empty() ? '\0' : name.front();
    switch (first) {
    case '+':
        return 107; // keypad plus
    case '-':
        return 109; // keypad minus
    case '*':
        return 106; // keypad multiply
    case '/':
        return 111; // keypad divide
    case '`':
        return 0; // the console key cannot be bound
    default:
        return keyForCharacter(first);
    }
}

BindRequest ParseBindArguments(std::string_view text) {
    const auto firstSpace = text.find(' ');
    const std::string_view playerWord =
        firstSpace == std::string_view::npos ? text : text.substr(0, firstSpace);

    std::string_view actionWord = text;
    std::string_view keyName = text;
    if (firstSpace != std::string_view::npos) {
        const auto secondSpace = text.find(' ', firstSpace + 1);
        if (secondSpace == std::string_view::npos) {
            actionWord = text.substr(firstSpace + 1);
        } else {
            actionWord = text.substr(firstSpace + 1, secondSpace - firstSpace - 1);
            keyName = text.substr(secondSpace + 1);
        }
    }

    // Computed wide so that a player number of INT_MIN does not overflow.
    const long long row = static_cast<long long>(wordToInt(playerWord)) - 1;
    return {row < INT_MIN ? INT_MIN : static_cast<int>(row), KeyCodeFromName(keyName),
            ActionFromName(actionWord)};
}

bool Bind(std::string_view arguments) {
    const BindRequest request = ParseBindArguments(arguments);
    // A player number other than 1 or 2 names no row of the table; such a BIND is
    // refused like one with an unknown action.
    if (request.action < 0 || request.keyCode == 0 || request.row < 0 || request.row > 1)
        return false;
    KeyBindings[request.row][request.action] = request.keyCode;
    return true;
}

void StoreDefaultBindings() {
    struct Default {
        int action;
        std::uint16_t player1;
        std::uint16_t player2;
    };
    static constexpr Default defaults[] = {
        {ActionJump, 32, 96},     {ActionLeft, 65, 37},   {ActionRight, 68, 39},
        {ActionGrapple, 72, 101}, {ActionAimUp, 87, 38},  {ActionAimDown, 83, 40},
        {ActionAttack, 71, 100},  {ActionSword, 74, 102},
    };
    for (const Default& entry : defaults) {
        KeyBindings[0][entry.action] = entry.player1;
        KeyBindings[1][entry.action] = entry.player2;
    }
}

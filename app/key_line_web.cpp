// The bindings in force (KeyBindings) for the line of keys under the canvas, so that
// the page never shows keys the game does not use: after the start-up scripts, after
// a BIND, after a RESET that read config.cfg again.
#include "app/key_line_web.h"

#include "app/platform.h"
#include "config/key_bindings.h"

#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// clang-format off
EM_JS(void, pageShowKeys, (const char* keys), {
    BrawlexPage.showKeys(BrawlexPage.text(HEAPU8, keys));
});
// clang-format on

namespace page {

namespace {

std::uint16_t keysShown[2][actionSlots] = {};
bool keysSent = false;

// The actions in the order the page expects them.
constexpr int actionOrder[] = {ActionJump,  ActionLeft,    ActionRight,  ActionGrapple,
                               ActionAimUp, ActionAimDown, ActionAttack, ActionSword};

// A name for a key code, as BIND takes it where it can: "" for none. The keypad's
// operators are NUM+ NUM- NUM* NUM/ here, apart from the main keyboard's characters.
std::string keyName(std::uint16_t code) {
    if (code == 0) return {};
    for (const NamedKey& key : KeyNames())
        if (key.code == code) return std::string(key.name);
    for (int pad = 0; pad < padCount; ++pad)
        for (int control = 0; control < padControlCount; ++control)
            if (padKeyCodes[pad][control] == code)
                return "PAD" + std::to_string(pad + 1) + std::string(padControlNames[control]);
    switch (code) {
    case 106:
        return "NUM*";
    case 107:
        return "NUM+";
    case 109:
        return "NUM-";
    case 111:
        return "NUM/";
    default:
        break;
    }
    if (code >= 255) return "?"; // no key of the layout
    // The character the key types, unshifted where it has one of those.
    constexpr std::string_view unshifted = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ;=,-./`[\\]'";
    for (char c : unshifted)
        if (keyForCharacter(c) == code) return std::string(1, c);
    for (int c = 0x21; c < 0x7F; ++c)
        if (keyForCharacter(static_cast<char>(c)) == code)
            return std::string(1, static_cast<char>(c));
    return "?";
}

} // namespace

void showKeysIfChanged() {
    if (keysSent && std::memcmp(keysShown, KeyBindings, sizeof keysShown) == 0) return;
    std::memcpy(keysShown, KeyBindings, sizeof keysShown);
    keysSent = true;
    // Each player's keys by action, separated by blanks; the players by a line break.
    std::string line;
    for (int row = 0; row < 2; ++row) {
        if (row != 0) line += '\n';
        for (std::size_t i = 0; i < std::size(actionOrder); ++i) {
            if (i != 0) line += ' ';
            line += keyName(keysShown[row][actionOrder[i]]);
        }
    }
    pageShowKeys(line.c_str());
}

} // namespace page

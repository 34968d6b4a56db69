// Which key drives each action of each player.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

enum Action : int {
    ActionJump = 0,
    ActionLeft = 1,
    ActionRight = 2,
    ActionGrapple = 3,
    ActionAimUp = 6,
    ActionAimDown = 7,
    ActionAttack = 8,
    ActionSword = 9,
};

constexpr int actionSlots = 20;

// Row 0 is player 1, row 1 player 2; 0 means unbound.
extern std::uint16_t KeyBindings[2][actionSlots];

struct BindRequest {
    int row;               // player number minus one
    std::uint16_t keyCode; // 0 when the key name was refused
    int action;            // -1 when the action word names no action
};

// A key name BIND accepts, and the virtual-key code it stands for.
struct NamedKey {
    std::string_view name;
    std::uint16_t code;
};

// Every key name, in the order the help listing gives them.
std::span<const NamedKey> KeyNames();

// Alt and F10 reach the game window as system keys, which keyState does not record:
// BIND accepts them, but an action bound to one never fires.
bool IsSystemKey(std::uint16_t code);

int ActionFromName(std::string_view name);
std::uint16_t KeyCodeFromName(std::string_view name);
BindRequest ParseBindArguments(std::string_view text);
// Stores a parsed BIND; false when nothing was stored (the line is then abandoned).
bool Bind(std::string_view arguments);
void StoreDefaultBindings();

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

// Every key name of the keyboard, in the order the help listing gives them (the pads'
// names come from padControlNames).
std::span<const NamedKey> KeyNames();

// Alt and F10 reach the game window as system keys, which keyState does not record:
// BIND accepts them, but an action bound to one never fires.
bool IsSystemKey(std::uint16_t code);

int ActionFromName(std::string_view name);
std::uint16_t KeyCodeFromName(std::string_view name);
// Gamepad controls, in the order of their key names: PAD1A ... PAD1STICKRIGHT for pad 1,
// the same with PAD2 for pad 2. A trigger counts as held past half its travel, a stick
// direction past the stick's dead zone (app/gamepads.h).
enum PadControl : int {
    PadA,
    PadB,
    PadX,
    PadY,
    PadLB,
    PadRB,
    PadLT,
    PadRT,
    PadBack,
    PadStart,
    PadUp, // the d-pad
    PadDown,
    PadLeft,
    PadRight,
    PadStickUp, // the left stick
    PadStickDown,
    PadStickLeft,
    PadStickRight,
    padControlCount
};

constexpr int padCount = 2;

// The keyState entries of the pads' controls. The pads are read into keyState once a
// frame like keys, so they need codes below 256 that no keyboard sends and no other key
// name gives:
// - the buttons and the d-pad take 195 to 218 (0xC3 to 0xDA), the range Windows sets
//   aside for gamepad keys: pad 1 195 to 206, pad 2 207 to 218;
// - the triggers and the stick directions take codes of no keyboard key: pad 1 136 to 141
//   (0x88 to 0x8D), pad 2 151 to 156 (0x97 to 0x9C).
// The pad reader writes every one of these entries every frame, so whatever else might
// write them between two frames is overwritten before anything reads them.
inline constexpr std::uint8_t padKeyCodes[padCount][padControlCount] = {
    // A    B    X    Y    LB   RB   LT   RT   BACK START UP  DOWN LEFT RIGHT, stick U D L R
    {195, 196, 197, 198, 199, 200, 136, 137, 201, 202, 203, 204, 205, 206, 138, 139, 140, 141},
    {207, 208, 209, 210, 211, 212, 151, 152, 213, 214, 215, 216, 217, 218, 153, 154, 155, 156},
};

// What follows "PAD1" or "PAD2" in the name of each control, by PadControl.
inline constexpr std::string_view padControlNames[padControlCount] = {
    "A",     "B",  "X",    "Y",    "LB",    "RB",      "LT",        "RT",        "BACK",
    "START", "UP", "DOWN", "LEFT", "RIGHT", "STICKUP", "STICKDOWN", "STICKLEFT", "STICKRIGHT",
};

BindRequest ParseBindArguments(std::string_view text);
// Stores a parsed BIND; false when nothing was stored (the line is then abandoned).
bool Bind(std::string_view arguments);
void StoreDefaultBindings();

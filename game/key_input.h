// A player's input from the keyboard levels, through his row of KeyBindings. The
// pads' levels are in keyState too, so this covers them.
#pragma once

#include "game/player_input.h"

#include <cstdint>

// The actions `side` (0 or 1) holds in this 256-entry key table. Unbound actions,
// codes beyond the table and sides outside 0..1 hold nothing.
PlayerInput inputFromKeys(const std::uint8_t* keys, int side);
FrameInput frameInputFromKeys(const std::uint8_t* keys);

// The computer players of the live game: which fighters the computer plays, and
// their decisions taken into a frame's inputs.
#pragma once

#include "ai/cpu_player.h"
#include "game/player_input.h"

// One per side (0 for player 1). Part of the game state; level Off for a fighter a
// person plays.
extern CpuState cpuPlayers[2];

// Gives side 0 or 1 to the computer at a level, or back to his keys with Off. A level
// the side already has changes nothing (the computer keeps its memory). False, and
// nothing changed, for a side outside 0..1.
bool setCpuLevel(int side, CpuLevel level);

// Replaces the input of every fighter the computer plays with the computer's
// decision for this frame, from the live game as it stands before the frame.
// Nothing during a network match.
void takeCpuControls(FrameInput& input);

// One tick of the game, and the live bullets it steps.
#pragma once

#include "game/bullet.h"

#include <cstdint>
#include <vector>

// Live bullets in the order they were fired.
extern std::vector<Bullet> bullets;
// Set by a new game; the next frame discards every bullet.
extern std::uint8_t clearBulletsRequested;

// Sub-steps a bullet moves each frame.
constexpr int bulletStepsPerFrame = 6;

// Console key, player updates, bullets, player drawing, present.
void runFrame();

// Game-wide settings shared by both players.
#pragma once

#include <cstdint>

// Added to the vertical speed of every airborne player each frame. Only SET GRAVITY
// writes it; RESTART and RESET leave it alone.
extern float gravity;
constexpr float defaultGravity = 0.25f;

// Where both players stand and aim once "config.cfg" has run; every new game
// starts from it. Written only by LoadConfiguration, all zero before.
struct ConfigSnapshot {
    struct Entry {
        std::int32_t aimAngle; // relative to the facing, whole degrees
        std::int32_t facing;   // 0 right, 1 left
        std::int32_t x;
        std::int32_t y;
    };
    Entry players[2];
};

extern ConfigSnapshot configSnapshot;

// Records the players' current aim, facing and position into configSnapshot.
void takeConfigSnapshot();

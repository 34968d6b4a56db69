// A fighter's game fields: everything the simulation reads and writes about one
// player, and nothing the drawing owns (bitmaps and pens stay in Player).
#pragma once

#include "graphics/handles.h"

#include <cstdint>

struct PlayerState {
    // In the order of the canonical encoding (game/simulation.cpp).
    float x{};
    float y{};
    float vx{};
    float vy{};
    float jumpVelocity{-7.0f};
    float aimAngle{};
    float aimDirX{};
    float aimDirY{};
    float hookVelX{}, hookVelY{};
    float hookEndX{}, hookEndY{};
    std::uint8_t onGround{};
    std::int32_t grappleState{};
    std::int32_t grappleCharge{};
    std::uint8_t grappleKeyReleased{};
    std::int32_t swordCharge{};
    std::int32_t swingFrames{};
    Bounds heroBounds{}; // the hero bitmap's size plus one: the two frames side by side
    std::int32_t facing{};
    std::uint32_t gunCooldown{};
    std::uint32_t swordTick{};
    std::uint32_t swordCooldown{};
    std::int32_t hp{};
    std::int32_t maxHp{};
    std::int32_t side{};
    std::int32_t opponent{};
    std::uint8_t dead{};
    std::int32_t deathTimer{};
    std::int32_t deathCause{};

    friend bool operator==(const PlayerState&, const PlayerState&) = default;
};

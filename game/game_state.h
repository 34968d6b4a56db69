// Game-wide settings shared by both players, and the other live parts of the game
// state that belong to neither player (game/simulation.h gathers them into a value).
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

// The generator of the death phrases: the minimal standard generator (multiplier
// 48271, modulus 2^31 - 1), kept as its one number so that it is part of the state.
// 0 means not seeded yet; the frame driver seeds it from the tick count before the
// first frame, and an unseeded generator in a simulated state behaves as seed 1.
struct PhraseGenerator {
    std::uint32_t value = 0;

    static constexpr std::uint32_t modulus = 2147483647u;
    void seed(std::uint32_t s); // as the standard engine's seed(s): 0 mod m becomes 1
    std::uint32_t next();       // the next number, 1 .. modulus - 1
    bool seeded() const { return value != 0; }
};

// Where a hero's centre lies within his frame, taken from the first player that asks
// and kept for the run (both players load the same bitmap).
struct CentreOffsets {
    std::uint8_t taken = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The live values of the two above, and the number of frames simulated.
extern CentreOffsets centreOffsets;
extern PhraseGenerator deathPhrases;
extern std::uint32_t framesSimulated;

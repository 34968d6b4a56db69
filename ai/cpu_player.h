// The computer player: decides one fighter's eight actions each frame from what a
// person at the screen would see, through the same PlayerInput a person's keys give.
#pragma once

#include "game/player_input.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class Player;
struct Bullet;

enum class CpuLevel : std::uint8_t { Off = 0, Easy = 1, Normal = 2, Hard = 3 };

// The level a SET CPU word names (OFF EASY NORMAL HARD, upper case); false for any
// other word.
bool cpuLevelFromName(const char* name, CpuLevel& level);
const char* cpuLevelName(CpuLevel level);

// Bullets of the opponent remembered from one sighting: those that come nearest.
constexpr int cpuThreatsSeen = 3;
// Sightings kept for the reaction delay (at least the longest delay plus one).
constexpr int cpuMemoryFrames = 32;

struct CpuThreat {
    float x, y, dx, dy; // a bullet as it was seen: position and step
    friend bool operator==(const CpuThreat&, const CpuThreat&) = default;
};

// What the computer saw of the other fighter and his bullets on one frame.
struct CpuSighting {
    float x, y, vx, vy;       // the opponent's frame position and velocity
    std::int32_t hp;          // his hit points (the number over his head)
    std::int32_t swordCharge; // the red line behind him
    std::uint8_t facing;      // 0 right, 1 left
    std::uint8_t grappling;   // his hook is out
    std::uint8_t dead;        // he has fallen
    std::uint8_t threatCount; // used entries of threat
    CpuThreat threat[cpuThreatsSeen];
    friend bool operator==(const CpuSighting&, const CpuSighting&) = default;
};

// Everything the computer player remembers between frames. Part of the game state:
// its choices are a function of the game and of this, so a replay or a rollback
// makes the same choices again.
struct CpuState {
    CpuLevel level = CpuLevel::Off;
    std::uint32_t rng = 0; // its own pseudo-random generator

    // The reaction delay: what it acts on is what it saw some frames ago.
    CpuSighting seen[cpuMemoryFrames]{};
    std::uint8_t seenNext = 0;  // slot of the next sighting
    std::uint8_t seenCount = 0; // sightings kept, up to cpuMemoryFrames

    // The current plan and how long it keeps it.
    std::uint8_t plan = 0;
    std::int32_t planFrames = 0;
    float aimError = 0.0f; // degrees added to the true aim, drawn anew now and then
    std::int32_t aimErrorFrames = 0;
    std::int32_t strikeCharge = 0;   // sword charge it waits for before striking
    std::uint32_t triggerFrames = 0; // frames after a shot before it fires again
    std::int32_t calmFrames = 0;     // frames since either fighter last lost hit points
    std::int32_t lastOwnHp = 0;
    std::int32_t lastOpponentHp = 0;
    std::uint8_t dodge = 0;      // 0 no bullet coming, 1 will not jump it, 2 will jump it
    std::uint8_t hookStage = 0;  // for the hook to reach or to escape: see the source
    std::int32_t hookFrames = 0; // frames in the present hook stage

    // The keys it holds, and the frames since each of the eight last changed.
    std::uint8_t held = 0;
    std::uint8_t sinceChange[8]{};

    friend bool operator==(const CpuState&, const CpuState&) = default;
};

// Frames an action stays pressed or released, at least, after it changed.
int cpuMinimumHold(CpuLevel level);

// Gives a fighter to the computer at a level (Off takes it back), with the
// generator seeded from seed. Forgets everything it remembered.
void resetCpuState(CpuState& state, CpuLevel level, std::uint32_t seed);

// What the computer sees: its own fighter, the other, the bullets in flight and the
// screen. Read only.
struct CpuView {
    const Player& self;
    const Player& opponent;
    std::span<const Bullet> bullets;
    int width; // the play area
    int height;
    float gravity; // how fast things fall
};

// Decides this frame's actions of the fighter `view.self`. Off decides nothing held.
PlayerInput decideCpuInput(CpuState& state, const CpuView& view);

// Every member, in the order of the canonical encoding (each 1 or 4 bytes wide:
// little-endian, floats as their IEEE-754 bits, no padding). Only the sightings
// kept and their bullets are written, so a fighter the computer does not play
// costs a few bytes. The game state's encoder and decoder walk the computer players
// with it; counts are read before what they count and bounded by the tables.
template <typename Visitor, typename State> void visitCpuState(Visitor& v, State& s) {
    v(s.level), v(s.rng), v(s.seenNext), v(s.seenCount);
    const int kept = s.seenCount < cpuMemoryFrames ? s.seenCount : cpuMemoryFrames;
    for (int i = 0; i < kept; ++i) {
        auto& seen = s.seen[i];
        v(seen.x), v(seen.y), v(seen.vx), v(seen.vy), v(seen.hp), v(seen.swordCharge);
        v(seen.facing), v(seen.grappling), v(seen.dead), v(seen.threatCount);
        const int threats = seen.threatCount < cpuThreatsSeen ? seen.threatCount : cpuThreatsSeen;
        for (int t = 0; t < threats; ++t)
            v(seen.threat[t].x), v(seen.threat[t].y), v(seen.threat[t].dx), v(seen.threat[t].dy);
    }
    v(s.plan), v(s.planFrames), v(s.aimError), v(s.aimErrorFrames), v(s.strikeCharge),
        v(s.triggerFrames), v(s.calmFrames), v(s.lastOwnHp), v(s.lastOpponentHp), v(s.dodge),
        v(s.hookStage), v(s.hookFrames), v(s.held);
    for (auto& n : s.sinceChange) v(n);
}

// Whether a decoded state is one the brain can run on (its indexes inside its
// tables, a known level).
bool cpuStatePlausible(const CpuState& state);

// The same encoding on its own. decode reads what encode wrote, advancing `in`;
// false (and the state unchanged) for bytes cut short or values no game reaches.
void encodeCpuState(const CpuState& state, std::vector<std::uint8_t>& out);
bool decodeCpuState(CpuState& state, std::span<const std::uint8_t>& in);

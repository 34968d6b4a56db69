// The rollback check: long matches of random inputs, with deaths, console changes
// between frames and thousands of bullets. After every frame the game is restored a
// few frames back and those frames are simulated again; every frame's checksum (and
// what it reported) must come out the same the second time.
#include "command/interpreter.h"
#include "game/simulation.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Frames of the match in one run. The sanitized debug tree plays a short match;
// an optimised tree plays past a million simulated frames (each frame counts once
// when first played and once more for every time a rollback plays it again).
// BRAWLEX_ROLLBACK_FRAMES chooses another length.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
constexpr int defaultMatchFrames = 210000;
#else
constexpr int defaultMatchFrames = 12000;
#endif

int matchFrames() {
    if (const char* chosen = std::getenv("BRAWLEX_ROLLBACK_FRAMES")) {
        const int n = std::atoi(chosen);
        if (n > 0) return n;
    }
    return defaultMatchFrames;
}

struct Random {
    std::uint64_t state;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<std::uint32_t>(state >> 32);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }
};

// Console lines that change the game between frames.
const char* const consoleChanges[] = {
    "SET GRAVITY 0.3",   "SET GRAV NORMAL",    "SET GRAV VERYLOW",
    "SET HP 1 MAX",      "SET HP 2 1",         "SET POS 1 40 60",
    "SET POS 2 250 10",  "SET DIR 2 RIGHT",    "SET DIR 1 LEFT",
    "SET AIMANGLE 1 45", "SET AIMANGLE 2 -30", "SET JUMPVEL 2 9",
    "SET MAXHP 1 3",     "SET MAXHP 2 2",      "RESTART",
};

// One frame's report and state in one number.
std::uint64_t frameDigest(const GameState& state, const FrameEvents& events,
                          std::vector<std::uint8_t>& scratch) {
    scratch.clear();
    encodeState(state, scratch);
    for (const SoundEvent& s : events.sounds) {
        scratch.push_back(static_cast<std::uint8_t>(s.effect));
        scratch.push_back(static_cast<std::uint8_t>(s.side));
        scratch.push_back(s.level);
    }
    for (const FrameDeath& d : events.deaths) {
        scratch.push_back(static_cast<std::uint8_t>(d.side));
        scratch.insert(scratch.end(), d.message.text.begin(), d.message.text.end());
    }
    for (const BulletPixel& p : events.bulletPixels) {
        scratch.push_back(static_cast<std::uint8_t>(p.x));
        scratch.push_back(static_cast<std::uint8_t>(p.y));
    }
    scratch.push_back(static_cast<std::uint8_t>(events.swingShown[0]));
    scratch.push_back(static_cast<std::uint8_t>(events.swingShown[1]));
    return checksumBytes(scratch);
}

struct Totals {
    long long simulated = 0;
    long long replayed = 0;
    int deaths = 0;
    int shots = 0;
    int commands = 0;
    std::size_t mostBullets = 0;
};

Totals playWithRollbacks(int frames, std::uint64_t seed) {
    constexpr int window = 8; // frames kept for going back
    struct Kept {
        GameState before; // the state the frame started from (after its commands)
        FrameInput input;
        std::string command; // the console line run just before the frame, if any
        std::uint64_t digest = 0;
    };
    std::array<Kept, window> kept;

    Arena arena({.width = 320, .height = 240, .heroWidth = 40, .heroHeight = 30});
    ExecuteCommandLine("SET MAXHP 1 2"); // short games: many deaths
    ExecuteCommandLine("SET MAXHP 2 2");

    Random random{seed};
    FrameInput held{};
    GameState after;
    FrameEvents events;
    std::vector<std::uint8_t> scratch;
    Totals totals;

    for (int f = 0; f < frames; ++f) {
        Kept& k = kept[f % window];
        k.command.clear();
        if (random.below(250) == 0) {
            k.command = consoleChanges[random.below(std::size(consoleChanges))];
            ExecuteCommandLine(k.command);
            ++totals.commands;
        }
        // Inputs held for a while, as players hold keys; the trigger more often than not.
        for (PlayerInput& p : held.players)
            if (random.below(12) == 0)
                p.held =
                    static_cast<std::uint8_t>(random.next() | (random.below(8) ? InputAttack : 0));
        k.input = held;
        saveGame(k.before);

        simulateFrame(k.input, events);
        ++totals.simulated;
        saveGame(after);
        k.digest = frameDigest(after, events, scratch);
        totals.deaths += static_cast<int>(events.deaths.size());
        for (const SoundEvent& s : events.sounds) totals.shots += s.effect == SoundEffect::Shot;
        if (after.bullets.size() > totals.mostBullets) totals.mostBullets = after.bullets.size();

        // Back 1 to 7 frames, and forward again to where the match is.
        const int back = 1 + static_cast<int>(random.below(f < window - 1 ? f + 1 : window - 1));
        const int from = f + 1 - back;
        loadGame(kept[from % window].before);
        for (int g = from; g <= f; ++g) {
            const Kept& again = kept[g % window];
            if (g > from && !again.command.empty()) ExecuteCommandLine(again.command);
            simulateFrame(again.input, events);
            ++totals.simulated;
            ++totals.replayed;
            saveGame(after);
            const std::uint64_t digest = frameDigest(after, events, scratch);
            if (digest != again.digest) {
                ADD_FAILURE() << "frame " << g << " replayed from frame " << from << " after frame "
                              << f << " differs";
                return totals;
            }
        }
    }
    return totals;
}

TEST(Rollback, EveryFramePlayedAgainFromAFewFramesBackGivesTheSameState) {
    const int frames = matchFrames();
    long long simulated = 0;
    // Three matches of different seeds, each with its own deaths and commands.
    for (std::uint64_t seed : {0x9E3779B97F4A7C15u, 0x0123456789ABCDEFu, 0xD1B54A32D192ED03u}) {
        SCOPED_TRACE(seed);
        const Totals t = playWithRollbacks(frames / 3, seed);
        if (::testing::Test::HasFailure()) return;
        simulated += t.simulated;
        // The match had what it is meant to exercise.
        EXPECT_GE(t.deaths, 2);
        EXPECT_GE(t.commands, 3);
        EXPECT_GE(t.shots, frames / 3 / 100);
        EXPECT_GE(t.mostBullets, 4u);
    }
    std::printf("rollback check: %lld frames simulated\n", simulated);
}

} // namespace

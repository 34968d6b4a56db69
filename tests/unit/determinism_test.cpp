// The same key table played twice gives bit-identical games, frame by frame.
#include "app/frame.h"
#include "app/platform_headless.h"
#include "game/game_state.h"
#include "sound/audio_output_headless.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

template <typename T> void append(std::vector<unsigned char>& out, const T& value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

// Every number of the game state, as bits, and a digest of the picture on screen.
std::vector<unsigned char> stateBits(Arena& arena) {
    std::vector<unsigned char> out;
    for (int n = 1; n <= 2; ++n) {
        const Player& p = arena.player(n);
        for (float f : {p.x, p.y, p.vx, p.vy, p.jumpVelocity, p.aimAngle, p.aimDirX, p.aimDirY,
                        p.hookVelX, p.hookVelY, p.hookEndX, p.hookEndY})
            append(out, f);
        for (std::int32_t i :
             {std::int32_t{p.onGround}, p.grappleState, p.grappleCharge,
              std::int32_t{p.grappleKeyReleased}, p.swordCharge, p.swingFrames, p.facing, p.hp,
              p.maxHp, std::int32_t{p.dead}, p.deathTimer, p.deathCause})
            append(out, i);
        for (std::uint32_t u : {p.gunCooldown, p.swordTick, p.swordCooldown}) append(out, u);
    }
    for (const Bullet& b : bullets) {
        append(out, b.dx);
        append(out, b.dy);
        append(out, b.x);
        append(out, b.y);
        append(out, b.shooter);
    }
    std::uint64_t picture = 14695981039346656037u; // FNV-1a over the screen
    for (std::uint32_t pixel : arena.game().window().frontBuffer)
        picture = (picture ^ pixel) * 1099511628211u;
    append(out, picture);
    return out;
}

// A long match: a shoot-out, then both players walk, jump, aim, shoot, swing and
// throw hooks in a fixed pseudo-random pattern that changes every few frames.
std::vector<HeldKeys> matchTable() {
    const std::uint8_t keys[] = {'W', 'A', 'D', 'E', 'R', 'F', 'G', 'H',
                                 'I', 'J', 'L', 'O', 'U', 'K', 'N', 'M'};
    // First a shoot-out across the floor, so that the match has deaths and restarts.
    std::vector<HeldKeys> table = {{150, {player1Keys.attack, player2Keys.attack}}};
    std::uint32_t state = 2024;
    for (int row = 0; row < 100; ++row) {
        HeldKeys held{1 + static_cast<int>(row % 7), {}};
        for (std::uint8_t k : keys) {
            state = state * 1103515245u + 12345u;
            if ((state >> 27) < 9) held.keys.push_back(k);
        }
        table.push_back(held);
    }
    return table;
}

std::vector<std::vector<unsigned char>> playMatch() {
    Arena arena({.width = 320, .height = 240});
    arena.player(1).setMaxHp(3); // short games
    arena.player(2).setMaxHp(3);
    arena.player(1).refillHp();
    arena.player(2).refillHp();
    std::vector<std::vector<unsigned char>> frames;
    arena.game().play(matchTable(), [&](int) { frames.push_back(stateBits(arena)); });
    EXPECT_FALSE(headless_platform::messageBoxes.empty()); // the match had a death in it
    return frames;
}

TEST(Determinism, TheSameKeysGiveTheSameGameBitForBit) {
    const auto first = playMatch();
    const auto second = playMatch();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t f = 0; f < first.size(); ++f) ASSERT_EQ(first[f], second[f]) << "frame " << f;
}

// The sound only listens: a machine without an audio device plays the same game.
TEST(Determinism, TheGameIsTheSameWithoutAnAudioDevice) {
    const auto heard = playMatch();
    headless_audio::noDevice = true;
    const auto silent = playMatch();
    headless_audio::noDevice = false;
    ASSERT_EQ(heard.size(), silent.size());
    for (std::size_t f = 0; f < heard.size(); ++f) ASSERT_EQ(heard[f], silent[f]) << "frame " << f;
}

} // namespace

// Walking, friction, jumping, gravity, the walls, floor and ceiling, and bouncing
// off the other player, played through the real frame step.
#include "app/app_state.h"
#include "command/interpreter.h"
#include "game/game_state.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint8_t right1 = player1Keys.right;
constexpr std::uint8_t left1 = player1Keys.left;
constexpr std::uint8_t jump1 = player1Keys.jump;

float floorY(const Player& p) {
    return static_cast<float>(playArea.bottom - p.frameHeight());
}

TEST(Walking, RampsByTwoTenthsThenSnapsToThreeOnTheFifteenthFrame) {
    Arena arena;
    arena.game().standOnFloor(1, 100.0f);
    std::vector<float> speeds;
    arena.game().play({{17, {right1}}}, [&](int) { speeds.push_back(arena.player(1).vx); });
    for (int i = 0; i < 14; ++i) EXPECT_NEAR(speeds[i], 0.2f * static_cast<float>(i + 1), 1e-5f);
    EXPECT_EQ(speeds[14], 3.0f);
    EXPECT_EQ(speeds[15], 3.0f);
    EXPECT_EQ(speeds[16], 3.0f);
}

TEST(Walking, LeftWinsOverRightAndTurnsThePlayer) {
    Arena arena;
    arena.game().standOnFloor(1, 300.0f);
    arena.game().frame({left1, right1});
    EXPECT_NEAR(arena.player(1).vx, -0.2f, 1e-6f);
    EXPECT_EQ(arena.player(1).facing, 1);
}

TEST(Walking, FrictionWearsTheSpeedDownOnlyWithNoKeyHeld) {
    struct Case {
        float start;
        std::vector<std::uint8_t> keys;
        float after;
    };
    const Case cases[] = {
        {3.0f, {}, 2.9f},        // friction
        {-3.0f, {}, -2.9f},      // friction toward zero from the left
        {0.05f, {}, 0.0f},       // below 0.1: stops in one frame
        {-0.05f, {}, 0.0f},      //
        {5.0f, {right1}, 5.0f},  // thrown faster than walking: the key neither pushes nor brakes
        {-5.0f, {left1}, -5.0f}, //
        {2.9f, {right1}, 3.0f},  // snap
    };
    for (const Case& c : cases) {
        Arena arena;
        arena.game().standOnFloor(1, 300.0f);
        arena.player(1).vx = c.start;
        arena.game().play({{1, c.keys}});
        EXPECT_NEAR(arena.player(1).vx, c.after, 1e-5f) << "from " << c.start;
    }
}

TEST(Jumping, PeaksAfterTwentyEightFramesOneHundredAndOneAndAHalfPixelsUp) {
    Arena arena;
    arena.game().standOnFloor(1, 100.0f);
    const float floor = floorY(arena.player(1));
    std::vector<float> ys, vys;
    arena.game().play({{1, {jump1}}, {60, {}}}, [&](int) {
        ys.push_back(arena.player(1).y);
        vys.push_back(arena.player(1).vy);
    });
    EXPECT_EQ(vys[0], -7.0f); // no gravity in the jump frame
    EXPECT_EQ(vys[1], -6.75f);
    EXPECT_EQ(vys[28], 0.0f);
    EXPECT_EQ(ys[27], floor - 101.5f);
    float highest = floor;
    for (float y : ys) highest = std::min(highest, y);
    EXPECT_EQ(highest, floor - 101.5f);
    EXPECT_EQ(ys.back(), floor);
    EXPECT_TRUE(arena.player(1).onGround);
}

TEST(Jumping, HeldJumpJumpsAgainOnTheFirstFrameAfterLanding) {
    Arena arena({.width = 320, .height = 240});
    arena.game().standOnFloor(1, 100.0f);
    int landedAt = -1;
    int jumpedAgainAt = -1;
    arena.game().play({{70, {jump1}}}, [&](int frame) {
        const Player& p = arena.player(1);
        if (landedAt < 0 && frame > 1 && p.onGround) landedAt = frame;
        if (landedAt > 0 && jumpedAgainAt < 0 && frame > landedAt && p.vy == -7.0f)
            jumpedAgainAt = frame;
    });
    ASSERT_GT(landedAt, 0);
    EXPECT_EQ(jumpedAgainAt, landedAt + 1);
}

TEST(Jumping, WithGravityZeroTheSpeedLastsUntilTheCeiling) {
    Arena arena;
    gravity = 0.0f;
    arena.game().standOnFloor(1, 100.0f);
    arena.game().frame({jump1});
    arena.game().frames(10);
    EXPECT_EQ(arena.player(1).vy, -7.0f);
    arena.game().frames(100);
    EXPECT_EQ(arena.player(1).y, 0.0f);
    EXPECT_EQ(arena.player(1).vy, 0.0f);
}

TEST(Walls, StopThePlayerAtTheEdgesOfThePlayArea) {
    struct Case {
        float x, y, vx, vy;
        float wantX, wantY, wantVx, wantVy;
    };
    // 800 x 600 play area, 30 x 40 frame: the right limit is 770, the floor 560.
    const Case cases[] = {
        {1.0f, 100.0f, -2.0f, 0.0f, 0.0f, 100.25f, 0.0f, 0.25f},    // left wall
        {0.0f, 100.0f, 0.0f, 0.0f, 0.0f, 100.25f, 0.0f, 0.25f},     // exactly at it
        {769.0f, 100.0f, 2.0f, 0.0f, 770.0f, 100.25f, 0.0f, 0.25f}, // right wall
        {300.0f, 2.0f, 0.0f, -5.0f, 300.0f, 0.0f, 0.0f, 0.0f},      // ceiling
        {300.0f, 558.0f, 0.0f, 5.0f, 300.0f, 560.0f, 0.0f, 0.0f},   // floor
    };
    for (const Case& c : cases) {
        Arena arena;
        Player& p = arena.player(1);
        p.x = c.x;
        p.y = c.y;
        p.vx = c.vx;
        p.vy = c.vy;
        p.onGround = 0;
        arena.game().frame();
        EXPECT_EQ(p.x, c.wantX) << c.x << "," << c.y;
        EXPECT_EQ(p.y, c.wantY) << c.x << "," << c.y;
        EXPECT_EQ(p.vx, c.wantVx) << c.x << "," << c.y;
        EXPECT_EQ(p.vy, c.wantVy) << c.x << "," << c.y;
    }
}

TEST(Collisions, WalkingIntoTheOtherPlayerPushesBothApartAndReversesTheSpeeds) {
    Arena arena;
    arena.game().standOnFloor(1, 100.0f);
    arena.game().standOnFloor(2, 131.0f);
    arena.player(1).vx = 2.0f;
    arena.player(2).vx = -2.0f;
    arena.game().frame({player1Keys.right, player2Keys.left});
    // Player 1 overlapped the standing player 2 and stopped one pixel short of him;
    // player 2, already moving, hit the moved player 1.
    EXPECT_EQ(arena.player(1).x, 131.0f - 30.0f - 1.0f);
    EXPECT_LT(arena.player(1).vx, 0.0f);
    EXPECT_EQ(arena.player(2).x, arena.player(1).x + 30.0f + 1.0f);
    EXPECT_GT(arena.player(2).vx, 0.0f);
    EXPECT_FALSE(boxesOverlap(arena.player(1).hitBox(), arena.player(2).hitBox()));
}

TEST(Collisions, FallingOntoTheOtherPlayerBouncesWithoutLosingSpeed) {
    Arena arena;
    arena.game().standOnFloor(2, 300.0f);
    Player& faller = arena.player(1);
    faller.x = 300.0f;
    faller.y = floorY(arena.player(2)) - 42.0f;
    faller.vy = 4.0f;
    faller.onGround = 0;
    arena.game().frame();
    EXPECT_EQ(faller.y, arena.player(2).y - 40.0f - 1.0f);
    EXPECT_EQ(faller.vy, -4.25f);
    EXPECT_FALSE(faller.onGround);
    // He keeps bouncing on the other player's head without landing.
    for (int i = 0; i < 60; ++i) {
        arena.game().frame();
        ASSERT_FALSE(faller.onGround);
        ASSERT_LT(faller.y, arena.player(2).y);
    }
}

// Extreme settings the command language accepts must neither produce a NaN or an
// infinite position or speed nor let a fighter out of the play area.
TEST(HostileSettings, NoNaNNoInfinityAndNoEscapeThroughAWall) {
    struct Case {
        float gravity;
        float jumpVelocity;
        int x, y;
    };
    const float huge = 3.0e38f;
    const Case cases[] = {
        {huge, -huge, 100, 100},        {-huge, -huge, 100, 100},
        {huge, 0.0f, INT_MAX, INT_MAX}, {-huge, -1.0e30f, INT_MIN, INT_MIN},
        {1.0e-45f, -huge, 0, 0},        {-0.25f, -7.0f, 400, 300},
        {0.0f, 0.0f, -5, 10000},        {huge, -huge, 2000000000, -2000000000},
    };
    for (const Case& c : cases) {
        Arena arena({.width = 320, .height = 240});
        gravity = c.gravity;
        for (int n = 1; n <= 2; ++n) {
            arena.player(n).setJumpVelocity(c.jumpVelocity);
            arena.player(n).setPosition(c.x, c.y);
        }
        // A fixed pseudo-random walk over every action key of both players.
        std::uint32_t state = 12345;
        const std::uint8_t keys[] = {'W', 'A', 'D', 'E', 'R', 'F', 'G', 'H',
                                     'I', 'J', 'L', 'O', 'U', 'K', 'N', 'M'};
        std::vector<HeldKeys> table;
        for (int f = 0; f < 200; ++f) {
            HeldKeys row{1, {}};
            for (std::uint8_t k : keys) {
                state = state * 1664525u + 1013904223u;
                if ((state >> 28) < 5) row.keys.push_back(k);
            }
            table.push_back(row);
        }
        arena.game().play(table, [&](int frame) {
            for (int n = 1; n <= 2; ++n) {
                const Player& p = arena.player(n);
                ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << "frame " << frame;
                ASSERT_TRUE(std::isfinite(p.vx) && std::isfinite(p.vy)) << "frame " << frame;
                ASSERT_GE(p.x, 0.0f) << "frame " << frame;
                ASSERT_LE(p.x, static_cast<float>(playArea.right - p.frameWidth()));
                ASSERT_GE(p.y, 0.0f) << "frame " << frame;
                ASSERT_LE(p.y, floorY(p)) << "frame " << frame;
            }
        });
    }
}

// The same through the command language, typed between the frames of a match.
TEST(HostileSettings, CommandsTypedDuringAMatchKeepTheFightersInside) {
    Arena arena({.width = 320, .height = 240});
    const char* const lines[] = {
        "SET GRAV 3e38",
        "SET JUMPVEL 1 -3e38",
        "SET POS 1 2147483647 -2147483648",
        "SET POS 2 -2147483648 2147483647",
        "SET GRAV -3e38",
        "SET JUMPVEL 2 3e38",
        "SET POS 1 100 100;SET POS 2 100 100",
        "SET GRAV 1e-45",
        "RESTART",
        "SET GRAV 0;SET POS 2 -5 -5",
    };
    const std::uint8_t keys[] = {'W', 'A', 'D', 'E', 'R', 'F', 'G', 'H',
                                 'I', 'J', 'L', 'O', 'U', 'K', 'N', 'M'};
    std::uint32_t state = 99;
    for (const char* line : lines) {
        ExecuteCommandLine(line);
        std::vector<HeldKeys> table;
        for (int f = 0; f < 30; ++f) {
            HeldKeys row{1, {}};
            for (std::uint8_t k : keys) {
                state = state * 1664525u + 1013904223u;
                if ((state >> 28) < 6) row.keys.push_back(k);
            }
            table.push_back(row);
        }
        arena.game().play(table, [&](int frame) {
            for (int n = 1; n <= 2; ++n) {
                const Player& p = arena.player(n);
                ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << line << " " << frame;
                ASSERT_TRUE(std::isfinite(p.vx) && std::isfinite(p.vy)) << line << " " << frame;
                ASSERT_GE(p.x, 0.0f) << line << " " << frame;
                ASSERT_LE(p.x, static_cast<float>(playArea.right - p.frameWidth()));
                ASSERT_GE(p.y, 0.0f) << line << " " << frame;
                ASSERT_LE(p.y, floorY(p)) << line << " " << frame;
            }
        });
    }
}

// Any int the command language passes as a place or an angle gives defined,
// finite results: far-off places saturate at 2^30 when truncated, so boxes and
// the snapshot never overflow.
TEST(HostileSettings, FarOffPlacesAndAnglesStayDefined) {
    Arena arena;
    Player& p = arena.player(2); // facing left: the angle is mirrored
    p.setPosition(INT_MAX, INT_MIN);
    const Bounds box = p.hitBox();
    EXPECT_EQ(box.left, 1 << 30);
    EXPECT_EQ(box.right, (1 << 30) + 30);
    EXPECT_EQ(box.top, -(1 << 30));
    EXPECT_EQ(box.bottom, -(1 << 30) + 40);
    takeConfigSnapshot();
    EXPECT_EQ(configSnapshot.players[1].x, 1 << 30);
    EXPECT_EQ(configSnapshot.players[1].y, -(1 << 30));

    p.setAimAngle(INT_MIN);
    EXPECT_EQ(p.aimAngle, 180.0f + 2147483648.0f);
    EXPECT_TRUE(std::isfinite(p.aimDirX) && std::isfinite(p.aimDirY));

    EXPECT_EQ(truncateToInt(std::nanf("")), 0);
    EXPECT_EQ(truncateToInt(-2.9f), -2);
    EXPECT_EQ(truncateToInt(1e30), 1 << 30);
}

} // namespace

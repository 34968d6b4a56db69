// The grappling hook: charging the throw, catching the opponent or the edge,
// hanging, dropping, and its interplay with the sword.
#include "app/app_state.h"
#include "game/game_state.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr std::uint8_t grapple1 = player1Keys.grapple;
constexpr std::uint8_t sword1 = player1Keys.sword;

TEST(Grapple, LettingGoBeforeTheTwentiethFrameCancelsTheThrow) {
    Arena arena;
    arena.game().frames(19, {grapple1});
    EXPECT_EQ(arena.player(1).grappleCharge, 19);
    arena.game().frame();
    EXPECT_EQ(arena.player(1).grappleCharge, 0);
    EXPECT_EQ(arena.player(1).grappleState, GrappleNone);
}

TEST(Grapple, CatchingTheOpponentKnocksHimAwayAndPullsTheThrowerAfterHim) {
    Arena arena;
    arena.game().standOnFloor(1, 100.0f);
    arena.game().standOnFloor(2, 300.0f);
    Player& thrower = arena.player(1);
    Player& other = arena.player(2);
    arena.game().frames(19, {grapple1});
    const float before = thrower.x;
    arena.game().frame({grapple1});
    EXPECT_EQ(thrower.grappleState, GrappleOpponent);
    EXPECT_EQ(thrower.grappleCharge, 0);
    EXPECT_FALSE(thrower.onGround);
    EXPECT_FLOAT_EQ(thrower.x - before, 3.0f); // pulled in the throw's own frame
    EXPECT_EQ(other.vx, 3.0f);                 // knocked along the aim (and landed again at once)
    EXPECT_EQ(thrower.hookEndX, other.centre().x - 3.0f); // his centre before he moved

    // Held on, the hook stays in and the pull never makes the boxes overlap.
    for (int i = 0; i < 150; ++i) {
        arena.game().frame({grapple1});
        ASSERT_EQ(thrower.grappleState, GrappleOpponent);
        ASSERT_FALSE(boxesOverlap(thrower.hitBox(), other.hitBox())) << i;
    }
    EXPECT_GT(thrower.x, 200.0f);
}

TEST(Grapple, AHookedOpponentWithHisOwnHookOutIsNotKnocked) {
    Arena arena;
    arena.game().standOnFloor(1, 100.0f);
    arena.game().standOnFloor(2, 300.0f);
    arena.player(2).grappleState = GrappleWall;
    arena.player(2).hookVelX = arena.player(2).hookVelY = 0.0f;
    arena.game().frames(20, {grapple1});
    EXPECT_EQ(arena.player(1).grappleState, GrappleOpponent);
    EXPECT_EQ(arena.player(2).vx, 0.0f);
}

TEST(Grapple, ThrownAtTheCeilingTheThrowerTravelsHangsAndDropsWithHisSpeed) {
    Arena arena({.width = 400, .height = 300});
    arena.game().standOnFloor(1, 100.0f);
    Player& p = arena.player(1);
    p.setAimAngle(60);
    arena.game().frames(20, {grapple1});
    ASSERT_EQ(p.grappleState, GrappleWall);
    const float speedX = 3.5f * unitVector(60).x;
    const float speedY = -3.5f * unitVector(60).y;
    EXPECT_FLOAT_EQ(p.vx, speedX);
    EXPECT_FLOAT_EQ(p.vy, speedY);
    EXPECT_FALSE(p.onGround);
    EXPECT_NEAR(p.hookEndY, 0.0f, 1.0f); // the ray stopped at the top edge

    arena.game().frames(150, {grapple1}); // held on: no drop
    ASSERT_EQ(p.grappleState, GrappleWall);
    const float hangX = p.x, hangY = p.y;
    EXPECT_GE(hangY, 0.0f);
    EXPECT_LT(hangY + speedY, 0.0f); // the next step would cross the top
    arena.game().frames(5, {grapple1});
    EXPECT_EQ(p.x, hangX);
    EXPECT_EQ(p.y, hangY);

    arena.game().frame(); // released: the hook stays
    EXPECT_EQ(p.grappleState, GrappleWall);
    arena.game().frame({grapple1}); // pressed again: dropped
    EXPECT_EQ(p.grappleState, GrappleNone);
    EXPECT_FLOAT_EQ(p.vx, speedX); // flies on with the hook's speed...
    EXPECT_EQ(p.vy, 0.0f);         // ...its upward part spent on the ceiling
    arena.game().frames(3);
    EXPECT_FLOAT_EQ(p.vx, speedX);
    EXPECT_EQ(p.vy, 0.75f); // and falls
}

TEST(Grapple, AChargedSwordKeepsTheHookOutAndStopsTheCharge) {
    Arena arena;
    Player& p = arena.player(1);
    p.grappleState = GrappleWall;
    p.hookVelX = p.hookVelY = 0.0f;
    p.grappleKeyReleased = 1;
    p.swordCooldown = p.swordTick = 1000;
    arena.game().frame({sword1});
    ASSERT_EQ(p.swordCharge, 1);
    arena.game().frame({sword1, grapple1});
    EXPECT_EQ(p.grappleState, GrappleWall);

    // With no hook out, a charged sword stops a throw from charging.
    p.grappleState = GrappleNone;
    arena.game().frames(25, {sword1, grapple1});
    EXPECT_EQ(p.grappleCharge, 0);
    EXPECT_EQ(p.grappleState, GrappleNone);
}

// Two players at the very same spot have no direction between them: the rope
// holds the thrower still and nothing becomes NaN.
TEST(Grapple, APullBetweenPlayersAtTheSameSpotStaysStill) {
    Arena arena;
    gravity = 0.0f;
    for (int n = 1; n <= 2; ++n) arena.player(n).setPosition(300, 300);
    Player& p = arena.player(1);
    p.grappleState = GrappleOpponent;
    arena.game().frames(3, {grapple1});
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    EXPECT_TRUE(std::isfinite(p.vx) && std::isfinite(p.vy));
    EXPECT_TRUE(std::isfinite(p.hookVelX) && std::isfinite(p.hookVelY));
}

// Thrown from far outside the play area, the ray stops at once where it started.
TEST(Grapple, AThrowFromFarOutsideEndsAtOnce) {
    struct Case {
        int x, y;
    };
    for (const Case c : {Case{-2000000000, 100}, Case{100, 2000000000}, Case{2000000000, -5}}) {
        Arena arena;
        Player& p = arena.player(1);
        p.setPosition(c.x, c.y);
        p.grappleCharge = 19;
        arena.game().frame({grapple1});
        ASSERT_EQ(p.grappleState, GrappleWall);
        EXPECT_EQ(p.hookEndX, p.centre().x);
        EXPECT_EQ(p.hookEndY, p.centre().y);
        // Dropped, he is back in the play area at once.
        arena.game().frame();
        arena.game().frame({grapple1});
        EXPECT_EQ(p.grappleState, GrappleNone);
        EXPECT_GE(p.x, 0.0f);
        EXPECT_LE(p.x, static_cast<float>(playArea.right - p.frameWidth()));
        EXPECT_GE(p.y, 0.0f);
        EXPECT_LE(p.y, static_cast<float>(playArea.bottom - p.frameHeight()));
    }
}

} // namespace

// A bullet's flight, the edges of the play area and the hit zones of the target.
#include "app/app_state.h"
#include "app/frame.h"
#include "game/bullet.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

enum Zone { None, Legs, Body, Head }; // the damage each zone does

// Player 2's box starts at (400, 300); a still bullet of player 1 at (dx, dy)
// from that corner is tested once.
Zone zoneAt(Arena& arena, float dx, float dy) {
    Player& target = arena.player(2);
    target.x = 400.0f;
    target.y = 300.0f;
    target.hp = 50;
    target.dead = 0;
    Bullet bullet(400.0f + dx, 300.0f + dy, 0, 0);
    bullet.dx = bullet.dy = 0.0f;
    const bool lives = bullet.step(true);
    const int damage = 50 - target.hp;
    EXPECT_EQ(lives, damage == 0) << dx << "," << dy;
    return static_cast<Zone>(damage);
}

TEST(HitZones, AFortyPixelFrame) {
    struct Case {
        float dx, dy;
        Zone zone;
    };
    // Head rows 3..18 (columns 3..27), body 11..31 (0..30), legs 26..40 (1..29).
    const Case cases[] = {
        {15, 2, None},  {15, 3, Head},  {15, 18, Head},    {15, 18.5f, Body}, {15, 31, Body},
        {15, 32, Legs}, {15, 40, Legs}, {15, 40.5f, None}, {3, 10, Head},     {2.9f, 10, None},
        {27, 3, Head},  {28, 10, None}, {0, 11, Body},     {30, 31, Body},    {0, 32, None},
        {1, 32, Legs},  {29, 40, Legs}, {30, 35, None},    {-0.1f, 20, None},
    };
    Arena arena;
    for (const Case& c : cases) EXPECT_EQ(zoneAt(arena, c.dx, c.dy), c.zone) << c.dx << "," << c.dy;
}

TEST(HitZones, AThirtyPixelFrame) {
    struct Case {
        float dx, dy;
        Zone zone;
    };
    // Head 3..14, body 8..23, legs 20..30.
    const Case cases[] = {
        {15, 2, None},  {15, 3, Head},  {15, 14, Head}, {15, 15, Body}, {15, 23, Body},
        {15, 24, Legs}, {15, 30, Legs}, {15, 31, None}, {2, 7, None},   {2, 8, Body},
    };
    Arena arena({.heroWidth = 60, .heroHeight = 30});
    for (const Case& c : cases) EXPECT_EQ(zoneAt(arena, c.dx, c.dy), c.zone) << c.dx << "," << c.dy;
}

TEST(Bullets, TheShootersOwnBoxLetsHisBulletsThrough) {
    Arena arena;
    Player& shooter = arena.player(1);
    shooter.x = 100.0f;
    shooter.y = 100.0f;
    Bullet bullet(115.0f, 110.0f, 0, 0);
    EXPECT_TRUE(bullet.step(true));
    EXPECT_EQ(shooter.hp, 50);
}

TEST(Bullets, FlyOneUnitAlongTheirAngle) {
    Bullet diagonal(100.0f, 100.0f, 45, 0);
    EXPECT_NEAR(diagonal.dx, 0.7071f, 1e-4f);
    EXPECT_NEAR(diagonal.dy, -0.7071f, 1e-4f);
    Bullet down(100.0f, 100.0f, 270, 1);
    EXPECT_NEAR(down.dx, 0.0f, 1e-6f);
    EXPECT_EQ(down.dy, 1.0f);
}

TEST(Bullets, TheRightAndBottomEdgesAreStillInside) {
    Arena arena; // 800 x 600
    struct Case {
        float x, y;
        int angle;
    };
    for (const Case c : {Case{799, 10, 0}, Case{10, 599, 270}, Case{1, 10, 180}, Case{10, 1, 90}}) {
        Bullet bullet(c.x, c.y, c.angle, 0);
        EXPECT_TRUE(bullet.step(false)) << c.angle;  // on the edge (or at 0)
        EXPECT_FALSE(bullet.step(false)) << c.angle; // beyond it
    }
}

TEST(Bullets, ALethalHitLeavesTheCauseToTheFirstBullet) {
    Arena arena;
    Player& target = arena.player(2);
    target.x = 400.0f;
    target.y = 300.0f;
    target.hp = 3;
    Bullet head(415.0f, 305.0f, 0, 0);
    head.dx = 0.0f;
    Bullet body = head;
    body.y = 325.0f;
    EXPECT_FALSE(head.step(true));
    EXPECT_TRUE(target.dead);
    EXPECT_EQ(target.deathCause, CauseHeadshot);
    EXPECT_FALSE(body.step(true)); // a dead player still stops bullets
    EXPECT_EQ(target.hp, 0);
    EXPECT_EQ(target.deathCause, CauseHeadshot);
}

} // namespace

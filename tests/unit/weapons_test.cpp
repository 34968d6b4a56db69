// Aiming, the sword's charge, cone and reach, and the gun's cadence and muzzle.
#include "app/app_state.h"
#include "app/frame.h"
#include "game/game_state.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint8_t aimUp1 = player1Keys.aimUp;
constexpr std::uint8_t aimDown1 = player1Keys.aimDown;
constexpr std::uint8_t sword1 = player1Keys.sword;
constexpr std::uint8_t attack1 = player1Keys.attack;

// Past every cooldown: the next SWORD frame charges, the next ATTACK frame fires.
void arm(Player& p) {
    p.swordCooldown = 1000;
    p.swordTick = 1000;
    p.gunCooldown = 1000;
}

TEST(Aiming, StepsOneAndAHalfDegreesUpToTheLimits) {
    struct Case {
        int facing;
        int relativeStart;
        std::uint8_t key;
        int frames;
        float absolute;
    };
    const Case cases[] = {
        {0, 88, aimUp1, 1, 89.0f},     // clamped from 89.5
        {0, 88, aimUp1, 5, 89.0f},     // and held there
        {0, 0, aimDown1, 2, -3.0f},    //
        {0, -88, aimDown1, 3, -89.0f}, //
        {1, 89, aimDown1, 10, 106.0f}, // facing left at 91, aiming down
        {1, 80, aimUp1, 20, 91.0f},    //
        {1, -88, aimDown1, 2, 269.0f}, //
        {0, 10, static_cast<std::uint8_t>(aimUp1), 0, 10.0f},
    };
    for (const Case& c : cases) {
        Arena arena;
        Player& p = arena.player(1);
        p.setFacing(c.facing);
        p.setAimAngle(c.relativeStart);
        arena.game().frames(c.frames, {c.key});
        EXPECT_EQ(p.aimAngle, c.absolute) << c.facing << " " << c.relativeStart << " " << c.frames;
    }
}

TEST(Aiming, BothKeysAimUpAndTheDirectionFollowsTheWholeDegree) {
    Arena arena;
    Player& p = arena.player(1);
    std::vector<float> angles, dirY;
    arena.game().play({{3, {aimUp1, aimDown1}}}, [&](int) {
        angles.push_back(p.aimAngle);
        dirY.push_back(p.aimDirY);
    });
    EXPECT_EQ(angles, (std::vector<float>{1.5f, 3.0f, 4.5f}));
    // 1.5 -> 1 degree, 3.0 -> 3, 4.5 -> 4: alternating steps of the direction.
    EXPECT_EQ(dirY[0], -unitVector(1).y);
    EXPECT_EQ(dirY[1], -unitVector(3).y);
    EXPECT_EQ(dirY[2], -unitVector(4).y);
}

TEST(Aiming, TurningMirrorsTheAimAndAimUpThenMovesTowardNinetyOne) {
    Arena arena;
    Player& p = arena.player(1);
    p.setAimAngle(45);
    arena.game().frame({player1Keys.left});
    EXPECT_EQ(p.aimAngle, 135.0f);
    arena.game().frame({player1Keys.left, aimUp1});
    EXPECT_EQ(p.aimAngle, 133.5f);
}

TEST(Sword, ChargesOnePointPerTenFramesUpToThirty) {
    Arena arena({.width = 320, .height = 240});
    Player& p = arena.player(1);
    arena.game().frames(50); // the sword's recovery after the start of a game
    std::vector<int> charges;
    arena.game().play({{292, {sword1}}}, [&](int) { charges.push_back(p.swordCharge); });
    EXPECT_EQ(charges[0], 1); // at once: the tick has grown while the key was up
    EXPECT_EQ(charges[9], 1);
    EXPECT_EQ(charges[10], 2);
    EXPECT_EQ(charges[289], 29);
    EXPECT_EQ(charges[290], 30); // 291 frames of holding
    EXPECT_EQ(charges[291], 30);
}

TEST(Sword, NoChargeDuringTheRecoveryAfterAStart) {
    Arena arena;
    arena.game().frames(49, {sword1});
    EXPECT_EQ(arena.player(1).swordCharge, 0);
    arena.game().frame({sword1});
    EXPECT_EQ(arena.player(1).swordCharge, 1);
}

// The striker's centre is (115, 220); the opponent's centre is placed at an offset
// from it (both frames 30 x 40, centre offset (15, 20)).
TEST(Sword, TheBlindConeBelowTheStriker) {
    struct Case {
        float dx, dy;
        bool lands;
    };
    const Case cases[] = {
        {40, 0, true},   {-40, 0, true},   // beside: angle 0 and 180
        {0, -50, true},                    // above: 271
        {0, 50, false},                    // below: 89
        {60, 36, true},  {60, 37, false},  // 30 and 31 degrees below the horizontal
        {-60, 36, true}, {-60, 37, false}, // 150 and 149
    };
    for (const Case& c : cases) {
        Arena arena;
        hangInAir(arena, 100, 200, 100 + c.dx, 200 + c.dy);
        arm(arena.player(1));
        arena.game().frame({sword1});
        arena.game().frame();
        EXPECT_EQ(arena.player(2).hp, c.lands ? 49 : 50) << c.dx << "," << c.dy;
        EXPECT_EQ(arena.player(1).swordCooldown, 0u);
    }
}

TEST(Sword, ReachesFiftyPixelsButNotFiftyPointOne) {
    struct Case {
        float strikerX;
        bool lands;
    };
    // Opponent's box starts at x 165; the striker's centre is strikerX + 15.
    for (const Case c : {Case{100.0f, true}, Case{99.9f, false}}) {
        Arena arena;
        hangInAir(arena, c.strikerX, 200, 165, 200);
        arm(arena.player(1));
        arena.game().frame({sword1});
        arena.game().frame();
        EXPECT_EQ(arena.player(2).hp, c.lands ? 49 : 50) << c.strikerX;
        // The swing and the recovery happen either way.
        EXPECT_EQ(arena.player(1).swordCharge, 0);
        EXPECT_EQ(arena.player(1).swordCooldown, 0u);
        EXPECT_GT(arena.player(1).swingFrames, 0);
    }
}

TEST(Sword, KnockBackIsTheChargeTimesTheCentresApartOverTheReachDistance) {
    Arena arena;
    hangInAir(arena, 100, 200, 140, 200); // centres 40 apart, box 25 away
    arm(arena.player(1));
    arena.game().frames(11, {sword1}); // charge 2
    arena.game().frame();
    EXPECT_EQ(arena.player(2).hp, 48);
    EXPECT_FLOAT_EQ(arena.player(2).vx, 2.0f * 40.0f / 25.0f);
    EXPECT_EQ(arena.player(2).vy, 0.0f);
}

// From inside the opponent's box the distance to his box is 0: the blow still
// lands and throws him away from the striker at the blow's charge, straight up
// when the centres coincide; nothing becomes NaN or infinite. Both hang on hooks
// that do not move them (a hook carries a player through the other), and the
// blow drops the victim's hook.
TEST(Sword, StrikingFromInsideTheOpponentsBox) {
    struct Case {
        float victimX, victimY;
        float wantVx, wantVy;
    };
    const Case cases[] = {
        {110, 200, 1.0f, 0.0f},  // centres 10 apart horizontally
        {100, 200, 0.0f, -1.0f}, // same spot
        {100, 190, 0.0f, -1.0f}, // straight above
    };
    for (const Case& c : cases) {
        Arena arena;
        hangInAir(arena, c.victimX, c.victimY, 100, 200);
        Player& victim = arena.player(1);
        Player& striker = arena.player(2);
        arm(striker);
        for (Player* p : {&victim, &striker}) {
            p->grappleState = GrappleWall;
            p->hookVelX = p->hookVelY = 0.0f;
        }
        arena.game().frame({player2Keys.sword});
        arena.game().frame(); // the strike, in player 2's update (the last of the frame)
        EXPECT_EQ(victim.hp, 49);
        EXPECT_EQ(victim.grappleState, GrappleNone);
        EXPECT_FLOAT_EQ(victim.vx, c.wantVx) << c.victimX << "," << c.victimY;
        EXPECT_FLOAT_EQ(victim.vy, c.wantVy) << c.victimX << "," << c.victimY;
    }
}

TEST(Sword, ChargingSilencesTheGunAndTheStrikeTakesTheShotsPlace) {
    Arena arena;
    hangInAir(arena, 100, 200, 600, 200);
    arm(arena.player(1));
    arena.game().frames(20, {attack1, sword1});
    EXPECT_TRUE(bullets.empty());
    EXPECT_EQ(arena.player(1).swordCharge, 2);
    arena.game().frame({attack1}); // release frame: the strike, no shot
    EXPECT_TRUE(bullets.empty());
    EXPECT_EQ(arena.player(1).swordCharge, 0);
    arena.game().frame({attack1}); // the gun has long been ready
    EXPECT_EQ(bullets.size(), 1u);
}

TEST(Gun, AHeldTriggerFiresEveryEighteenFrames) {
    Arena arena;
    hangInAir(arena, 100, 200, 600, 400);
    std::vector<int> shots;
    arena.game().play({{60, {attack1}}}, [&](int frame) {
        if (arena.player(1).gunCooldown == 0) shots.push_back(frame);
    });
    EXPECT_EQ(shots, (std::vector<int>{18, 36, 54}));
}

TEST(Gun, TheBulletStartsThirtyFiveStepsOutFromTheCentre) {
    Arena arena;
    hangInAir(arena, 85, 200, 600, 400); // centre (100, 220)
    arm(arena.player(1));
    arena.game().frame({attack1});
    ASSERT_EQ(bullets.size(), 1u);
    // 35 muzzle steps, then the first frame's six.
    EXPECT_EQ(bullets[0].x, 141.0f);
    EXPECT_EQ(bullets[0].y, 220.0f);
    EXPECT_EQ(bullets[0].shooter, 0);
}

TEST(Gun, AShotIntoANearbyWallIsGoneBeforeTheMuzzle) {
    Arena arena;
    hangInAir(arena, 5, 200, 600, 400); // centre 20 pixels from the left wall
    arena.player(1).setFacing(1);
    arm(arena.player(1));
    arena.game().frame({attack1});
    EXPECT_TRUE(bullets.empty());
    EXPECT_EQ(arena.player(1).gunCooldown, 0u); // the shot still counts
}

} // namespace

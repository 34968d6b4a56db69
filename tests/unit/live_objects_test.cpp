// No bitmap, pen or device context leaks per frame or per draw: the software
// renderer's count of live objects stays the same from frame to frame through a
// match that uses every weapon, has deaths and new games, and drops to where it was
// before the game once the game is shut down.
#include "app/frame.h"
#include "app/platform_headless.h"
#include "graphics/software_surfaces.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// The shipped pictures, so that every weapon has its sprites to draw.
void copyArt(const ScratchFolder& folder) {
    for (const char* name : {"hero.bmp", "gun.bmp", "sword.bmp"}) folder.copyGameFile(name);
    folder.write("config.cfg", "");
}

// Rounds of: a shoot-out across the floor; walking and shooting with the aim raised; the sword
// charged and let go of; the hook charged and thrown; walking back, jumping and shooting with the
// aim lowered; both fighters at everything at once.
std::vector<HeldKeys> everyWeapon() {
    const ActionKeys& p1 = player1Keys;
    const ActionKeys& p2 = player2Keys;
    std::vector<HeldKeys> table;
    for (int round = 0; round < 4; ++round) {
        table.push_back({60, {p1.attack, p2.attack}});
        table.push_back({40, {p1.right, p1.aimUp, p1.attack, p2.attack}});
        table.push_back({30, {p1.sword, p2.sword}});
        table.push_back({15, {}});
        table.push_back({20, {p1.grapple, p2.grapple}});
        table.push_back({40, {}});
        table.push_back({40, {p1.left, p1.jump, p1.aimDown, p1.attack, p2.left, p2.attack}});
        table.push_back({30,
                         {p1.attack, p1.sword, p1.grapple, p2.attack, p2.sword, p2.grapple, p2.jump,
                          p2.aimUp}});
        table.push_back({20, {}});
    }
    return table;
}

TEST(LiveObjects, StayTheSameFromFrameToFrameAndAreAllReleasedAtShutdown) {
    ScratchFolder folder;
    copyArt(folder);
    const std::size_t beforeGame = liveSurfaceObjects();
    {
        HeadlessGame game({.width = 320, .height = 240});
        bindTestKeys();
        // Short games: the match has deaths, death messages and new games in it.
        for (int n = 1; n <= 2; ++n) {
            game.player(n).setMaxHp(12);
            game.player(n).refillHp();
        }
        game.frame();
        const std::size_t afterFirstFrame = liveSurfaceObjects();
        ASSERT_GT(afterFirstFrame, beforeGame);

        std::size_t fewest = afterFirstFrame;
        std::size_t most = afterFirstFrame;
        bool shots = false, swings = false, hooks = false;
        game.play(everyWeapon(), [&](int) {
            const std::size_t live = liveSurfaceObjects();
            fewest = std::min(fewest, live);
            most = std::max(most, live);
            shots = shots || !bullets.empty();
            for (int n = 1; n <= 2; ++n) {
                swings = swings || game.player(n).swingFrames > 0;
                hooks = hooks || game.player(n).grappleState != 0;
            }
        });
        EXPECT_EQ(fewest, afterFirstFrame);
        EXPECT_EQ(most, afterFirstFrame);
        // The table did what it is for.
        EXPECT_TRUE(shots);
        EXPECT_TRUE(swings);
        EXPECT_TRUE(hooks);
        EXPECT_FALSE(headless_platform::messageBoxes.empty()) << "nobody died";
    }
    EXPECT_EQ(liveSurfaceObjects(), beforeGame);
}

} // namespace

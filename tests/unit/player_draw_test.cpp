#include "game/player.h"
#include "graphics/renderer.h"
#include "graphics/software_surfaces.h"
#include "graphics/weapon_sprites.h"
#include "tests/support/headless_game.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_bitmaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// Pixel values as the window shows them (0x00RRGGBB).
constexpr std::uint32_t leftFrame = 0x204080;
constexpr std::uint32_t rightFrame = 0x208040;
constexpr std::uint32_t barrel = 0xE04040;
constexpr std::uint32_t blade = 0xE0E0E0;
constexpr std::uint32_t tip = 0xFF00FF;
constexpr std::uint32_t white = 0xFFFFFF;
constexpr std::uint32_t yellow = 0xFFFF00;
constexpr std::uint32_t orange = 0xFF7800;
constexpr std::uint32_t red = 0xFF0000;
constexpr std::uint32_t green = 0x00FF00;
constexpr std::uint32_t blue = 0x0000FF;

struct Spot {
    int x, y;
};

class PlayerDrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetProgramState();
        window.width = 320;
        window.height = 240;
        renderer.init(&window);
    }
    void TearDown() override {
        player.release();
        releaseWeaponSprites();
        renderer.shutdown();
        resetProgramState();
    }

    void writeHero() {
        writeTestBitmap("hero.bmp", 60, 40,
                        [](int x, int) { return x < 30 ? leftFrame : rightFrame; });
    }
    void writeGun() {
        writeTestBitmap("gun.bmp", 50, 50, [](int x, int y) -> std::uint32_t {
            return y >= 25 && y <= 27 && x >= 15 && x <= 47 ? barrel : 0;
        });
    }
    void writeSword() {
        writeTestBitmap("sword.bmp", 50, 50, [](int x, int y) -> std::uint32_t {
            if (x < 24 || x > 26) return 0;
            return y <= 3 ? tip : blade;
        });
    }
    // The player at (x, y) = (140, 100); with the 60 x 40 hero his centre is (155, 120).
    void start(int facing) {
        generateWeaponSprites(renderer);
        player.init(renderer, 140, 100, facing, 1);
    }

    // Draws the player once and returns what the frame shows.
    const std::vector<std::uint32_t>& drawFrame() {
        renderer.present(1);
        player.draw(renderer, player.takeSwingFrame());
        renderer.present(0);
        return window.frontBuffer;
    }
    std::vector<Spot> spotsOf(std::uint32_t colour) const {
        std::vector<Spot> spots;
        for (int y = 0; y < window.height; ++y)
            for (int x = 0; x < window.width; ++x)
                if (window.pixel(x, y) == colour) spots.push_back({x, y});
        return spots;
    }

    ScratchFolder folder;
    WindowObject window;
    Renderer renderer;
    Player player;
};

TEST_F(PlayerDrawTest, HitPointsAreColouredByTheirShareOfTheMaximum) {
    struct Case {
        int hp, maxHp;
        std::uint32_t colour;
    };
    const Case cases[] = {
        {50, 50, white}, {37, 50, yellow}, {25, 50, yellow}, {24, 50, orange}, {12, 50, red},
        {-2, 50, red},   {80, 50, white},  {5, 0, white},    {0, 0, red},      {-1, 0, red},
    };
    start(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.hp << " of " << c.maxHp);
        player.maxHp = c.maxHp;
        player.hp = c.hp;
        const std::vector<std::uint32_t> drawn = drawFrame();

        // The same text, drawn directly at (x - 4, y - 20).
        renderer.present(1);
        renderer.drawText(std::to_string(c.hp).c_str(), 136, 80, 1, colourOf(c.colour), 0);
        renderer.present(0);
        EXPECT_EQ(drawn, window.frontBuffer);
        EXPECT_FALSE(spotsOf(c.colour).empty());
    }
}

TEST_F(PlayerDrawTest, HeroFrameFollowsTheFacing) {
    writeHero();
    for (const auto& [facing, colour] : {std::pair{0, leftFrame}, std::pair{1, rightFrame}}) {
        SCOPED_TRACE(facing);
        player.release();
        player = Player{};
        start(facing);
        drawFrame();
        const auto spots = spotsOf(colour);
        ASSERT_EQ(spots.size(), 30u * 40u);
        EXPECT_EQ(spots.front().x, 140);
        EXPECT_EQ(spots.front().y, 100);
        EXPECT_EQ(spots.back().x, 169);
        EXPECT_EQ(spots.back().y, 139);
    }
}

TEST_F(PlayerDrawTest, GunIsHeldAtTheRelativeAim) {
    writeGun();
    // Facing right at 0 the barrel runs right from the pivot (x - 5 + 18, y - 10 + 26).
    start(0);
    drawFrame();
    EXPECT_EQ(window.pixel(140 - 5 + 47, 116), barrel);
    EXPECT_EQ(window.pixel(140 - 5 + 14, 116), 0u);

    // Facing left, aimAngle 150 is 30 degrees up: from the mirror's pivot
    // (x - 22 + 32, y - 10 + 26), 20 pixels out lies up and to the left.
    player.setFacing(1);
    player.setAimAngle(30);
    ASSERT_FLOAT_EQ(player.aimAngle, 150.0f);
    drawFrame();
    EXPECT_EQ(window.pixel(150 - 17, 116 - 10), barrel);
    EXPECT_EQ(window.pixel(150 - 20, 116), 0u);
}

// The sword tip lies 47..50 pixels out from the centre along the sword's angle.
void expectTipAt(const std::vector<Spot>& tips, float angle) {
    ASSERT_FALSE(tips.empty());
    float sx = 0, sy = 0;
    for (const Spot& s : tips) {
        sx += static_cast<float>(s.x);
        sy += static_cast<float>(s.y);
    }
    sx /= static_cast<float>(tips.size());
    sy /= static_cast<float>(tips.size());
    const float r = angle * 3.14159265f / 180.0f;
    EXPECT_NEAR(sx, 155.0f + 48.5f * std::cos(r), 2.0f);
    EXPECT_NEAR(sy, 120.0f - 48.5f * std::sin(r), 2.0f);
}

TEST_F(PlayerDrawTest, SwingSweepsSixFramesThenStops) {
    writeHero();
    writeSword();
    struct Case {
        int facing;
        int angles[6];
    };
    for (const Case& c :
         {Case{0, {170, 130, 90, 50, 10, 330}}, Case{1, {10, 50, 90, 130, 170, 210}}}) {
        SCOPED_TRACE(c.facing);
        player.release();
        player = Player{};
        releaseWeaponSprites();
        start(c.facing);
        player.swingFrames = 6;
        for (int frame = 0; frame < 6; ++frame) {
            SCOPED_TRACE(frame);
            drawFrame();
            expectTipAt(spotsOf(tip), static_cast<float>(c.angles[frame]));
            EXPECT_EQ(player.swingFrames, 5 - frame);
        }
        drawFrame();
        EXPECT_TRUE(spotsOf(tip).empty());
        EXPECT_TRUE(spotsOf(blade).empty());
        EXPECT_EQ(player.swingFrames, 0);
    }
}

TEST_F(PlayerDrawTest, ChargingSwordIsHeldBackWithItsChargeLine) {
    writeHero();
    writeSword();
    struct Case {
        int facing, charge;
        float angle;
        int lineLength; // pixels of the red line, end point left out
    };
    for (const Case& c :
         {Case{0, 1, 210, 0}, Case{0, 30, 210, 13}, Case{1, 30, 330, 13}, Case{1, 2, 330, 1}}) {
        SCOPED_TRACE(::testing::Message() << "facing " << c.facing << " charge " << c.charge);
        player.release();
        player = Player{};
        releaseWeaponSprites();
        start(c.facing);
        player.swordCharge = c.charge;
        player.swingFrames = 3; // not drawn nor counted down while charging
        drawFrame();
        expectTipAt(spotsOf(tip), c.angle);
        EXPECT_EQ(player.swingFrames, 3);

        // The red line starts 35 pixels out along the held angle and runs outward.
        const auto line = spotsOf(red);
        ASSERT_EQ(static_cast<int>(line.size()), c.lineLength);
        const float r = c.angle * 3.14159265f / 180.0f;
        const float startX = 155.0f + 35.0f * std::cos(r), startY = 120.0f - 35.0f * std::sin(r);
        for (const Spot& s : line) {
            const float along = (static_cast<float>(s.x) - startX) * std::cos(r) -
                                (static_cast<float>(s.y) - startY) * std::sin(r);
            EXPECT_GE(along, -1.5f);
            EXPECT_LE(along, 15.0f);
        }
    }
}

TEST_F(PlayerDrawTest, GrappleChargeAndRopeLines) {
    writeHero();
    start(0);

    // Charge 10: a blue line 40 pixels from the centre along the aim.
    player.grappleCharge = 10;
    drawFrame();
    auto line = spotsOf(blue);
    ASSERT_FALSE(line.empty());
    int minX = 1000, maxX = -1000;
    for (const Spot& s : line) {
        EXPECT_NEAR(s.y, 120, 1);
        minX = std::min(minX, s.x);
        maxX = std::max(maxX, s.x);
    }
    EXPECT_NEAR(minX, 155, 1);
    EXPECT_NEAR(maxX, 194, 1);

    // Aiming straight up, the line goes up.
    player.setAimAngle(90);
    drawFrame();
    line = spotsOf(blue);
    ASSERT_FALSE(line.empty());
    int minY = 1000;
    for (const Spot& s : line) {
        EXPECT_NEAR(s.x, 155, 1);
        minY = std::min(minY, s.y);
    }
    // The two-pixel pen's round end covers the end point (y = 80) and the row above.
    EXPECT_NEAR(minY, 80, 1);

    // No charge, no line; a hook out draws the green rope from its end to the centre.
    player.grappleCharge = 0;
    player.grappleState = GrappleWall;
    player.hookEndX = 20.7f;
    player.hookEndY = 120.2f;
    drawFrame();
    EXPECT_TRUE(spotsOf(blue).empty());
    line = spotsOf(green);
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.front().x, 20);
    EXPECT_EQ(line.back().x, 154);
}

TEST_F(PlayerDrawTest, ExtremeStateDrawsWithoutHarm) {
    writeHero();
    writeGun();
    writeSword();
    start(0);
    player.x = 1e20f;
    player.y = -1e20f;
    player.aimAngle = std::nanf("");
    player.swingFrames = 100;
    player.grappleCharge = -5;
    player.grappleState = GrappleOpponent;
    player.hookEndX = std::nanf("");
    drawFrame();
    player.x = 10;
    player.y = 10;
    player.swordCharge = 1 << 30;
    player.aimAngle = 1e9f;
    drawFrame();
    SUCCEED();
}

} // namespace

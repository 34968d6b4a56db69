#include "graphics/loading_dialog_headless.h"
#include "graphics/renderer.h"
#include "graphics/software_surfaces.h"
#include "graphics/weapon_sprites.h"
#include "tests/support/headless_game.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_bitmaps.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr std::uint32_t barrel = 0xE04040; // 0x00RRGGBB
constexpr std::uint32_t sight = 0x40E040;
constexpr std::uint32_t blade = 0xE0E0E0;
constexpr std::uint32_t tip = 0xFF00FF;

// A 50 x 50 gun: a barrel from the pivot (18, 26) to column 47, a sight above its
// front end, so that a mirror or a rotation shows.
std::uint32_t gunPixel(int x, int y) {
    if (y >= 25 && y <= 27 && x >= 15 && x <= 47) return barrel;
    if (y >= 21 && y <= 24 && x >= 40 && x <= 43) return sight;
    return 0;
}

// A 50 x 50 sword pointing up on column 25, with a tip colour in rows 0..3.
std::uint32_t swordPixel(int x, int y) {
    if (x < 24 || x > 26) return 0;
    return y <= 3 ? tip : blade;
}

class WeaponSpritesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetProgramState();
        window.width = 200;
        window.height = 200;
        renderer.init(&window);
    }
    void TearDown() override {
        releaseWeaponSprites();
        renderer.shutdown();
        resetProgramState();
    }

    void writeGun() { writeTestBitmap("gun.bmp", 50, 50, gunPixel); }
    void writeSword() { writeTestBitmap("sword.bmp", 50, 50, swordPixel); }

    // What the back buffer shows, through a present that keeps it.
    std::uint32_t shown(int x, int y) const { return window.pixel(x, y); }
    void show() { renderer.present(0); }
    bool allBlack() const {
        for (std::uint32_t p : window.frontBuffer)
            if (p != 0) return false;
        return true;
    }

    // Puts a 4 x 4 bitmap of one colour into a table entry, replacing what was there.
    BitmapHandle marker(std::uint32_t colour) {
        writeSolidBitmap("marker.bmp", 4, 4, colour);
        return renderer.loadBitmap("marker.bmp");
    }
    void plant(BitmapHandle& sprite, BitmapHandle& mask, std::uint32_t colour) {
        deleteBitmap(sprite);
        deleteBitmap(mask);
        sprite = marker(colour);
        mask = renderer.makeMask(sprite);
        ASSERT_NE(sprite, nullptr);
        ASSERT_NE(mask, nullptr);
    }

    ScratchFolder folder;
    WindowObject window;
    Renderer renderer;
};

TEST_F(WeaponSpritesTest, GeneratesEveryEntryAndTheSizes) {
    writeGun();
    writeSword();
    generateWeaponSprites(renderer);

    for (int facing = 0; facing < 2; ++facing)
        for (int i = 0; i < gunAngles; ++i) {
            ASSERT_NE(gunSprites[facing][i], nullptr) << facing << " " << i;
            ASSERT_NE(gunMasks[facing][i], nullptr) << facing << " " << i;
        }
    for (int i = 0; i < swordAngles; ++i) {
        ASSERT_NE(swordSprites[i], nullptr) << i;
        ASSERT_NE(swordMasks[i], nullptr) << i;
    }
    EXPECT_EQ(gunSize.left, 0);
    EXPECT_EQ(gunSize.top, 0);
    EXPECT_EQ(gunSize.width, 50);
    EXPECT_EQ(gunSize.height, 50);
    EXPECT_EQ(swordSize.width, 50);
    EXPECT_EQ(swordSize.height, 50);

    releaseWeaponSprites();
    for (int i = 0; i < gunAngles; ++i) {
        EXPECT_EQ(gunSprites[0][i], nullptr);
        EXPECT_EQ(gunSprites[1][i], nullptr);
        EXPECT_EQ(gunMasks[0][i], nullptr);
        EXPECT_EQ(gunMasks[1][i], nullptr);
    }
    for (int i = 0; i < swordAngles; ++i) {
        EXPECT_EQ(swordSprites[i], nullptr);
        EXPECT_EQ(swordMasks[i], nullptr);
    }
}

TEST_F(WeaponSpritesTest, GunAtAngleZeroIsTheImageFacingRightAndItsMirrorFacingLeft) {
    writeGun();
    generateWeaponSprites(renderer);

    drawWeaponSprite(renderer, 0, 10, 20, 0, SpriteGun);
    drawWeaponSprite(renderer, 1, 110, 120, 0, SpriteGun);
    show();
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) {
            ASSERT_EQ(shown(10 + x, 20 + y), gunPixel(x, y)) << x << "," << y;
            ASSERT_EQ(shown(110 + 49 - x, 120 + y), gunPixel(x, y)) << x << "," << y;
        }
}

TEST_F(WeaponSpritesTest, PositiveAnglesRaiseTheMuzzleInBothFacings) {
    writeGun();
    generateWeaponSprites(renderer);

    struct Case {
        int facing, angle;
        int dy; // where a barrel point 20 pixels out goes from the pivot
    };
    // Pivot (18, 26) facing right, (32, 26) for the mirror.
    for (const Case c : {Case{0, 89, -20}, Case{0, -90, 20}, Case{1, 90, -20}, Case{1, -89, 20}}) {
        SCOPED_TRACE(::testing::Message() << "facing " << c.facing << " angle " << c.angle);
        renderer.present(1);
        drawWeaponSprite(renderer, c.facing, 50, 50, c.angle, SpriteGun);
        show();
        const int pivotX = c.facing == 0 ? 18 : 32;
        EXPECT_EQ(shown(50 + pivotX, 50 + 26 + c.dy), barrel);
        // Nothing left where the barrel lay unrotated.
        EXPECT_EQ(shown(50 + (c.facing == 0 ? 45 : 4), 50 + 26), 0u);
    }
}

// Each case plants one marker entry and leaves every other entry empty, so the
// marker shows exactly when that entry is the one drawn.
TEST_F(WeaponSpritesTest, GunAnglesPickTheirTableEntries) {
    struct Case {
        int facing, angle, index;
    };
    const Case cases[] = {
        {0, -90, 0},
        {0, 0, 90},
        {0, 89, 179},
        {1, 90, 0},
        {1, 0, 90},
        {1, -89, 179},
        {0, 30, 120},
        {1, 30, 60},
        // Outside the table: wrapped to a direction, shown at the nearest entry.
        {0, 90, 179},
        {0, -91, 0},
        {1, 91, 0},
        {1, -90, 179},
        {0, 360, 90},
        {0, -330, 120},
        {0, INT_MAX, 179},
        {0, INT_MIN, 0},
    };
    gunSize = {0, 0, 4, 4};
    for (const Case c : cases) {
        SCOPED_TRACE(::testing::Message() << "facing " << c.facing << " angle " << c.angle);
        releaseWeaponSprites();
        gunSize = {0, 0, 4, 4};
        plant(gunSprites[c.facing][c.index], gunMasks[c.facing][c.index], 0x123456);
        renderer.present(1);
        drawWeaponSprite(renderer, c.facing, 30, 40, c.angle, SpriteGun);
        show();
        EXPECT_EQ(shown(30, 40), 0x123456u);
        EXPECT_EQ(shown(33, 43), 0x123456u);
        EXPECT_EQ(shown(34, 44), 0u);
    }
}

TEST_F(WeaponSpritesTest, SwordIndexIsTheAbsoluteAngleCentredOnThePoint) {
    writeSword();
    generateWeaponSprites(renderer);

    // Index 90: unrotated, its centre (25, 25) on the point.
    drawWeaponSprite(renderer, 1, 100, 100, 90, SpriteSword);
    show();
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(shown(75 + x, 75 + y), swordPixel(x, y));

    // Index 0: turned clockwise a quarter, the tip to the right. Index 180: to the left.
    // The facing plays no part.
    for (const auto& [facing, index, tipX] :
         {std::tuple{0, 0, 123}, std::tuple{1, 0, 123}, std::tuple{0, 180, 76},
          std::tuple{0, 540, 76}, std::tuple{0, -180, 76}}) {
        SCOPED_TRACE(::testing::Message() << "facing " << facing << " index " << index);
        renderer.present(1);
        drawWeaponSprite(renderer, facing, 100, 100, index, SpriteSword);
        show();
        EXPECT_EQ(shown(tipX, 100), tip);
        EXPECT_EQ(shown(100, 76), 0u); // the upright blade is gone
    }
}

TEST_F(WeaponSpritesTest, OtherKindsAndEmptyTablesDrawNothing) {
    // Empty tables: nothing, for any facing and angle.
    for (int kind : {SpriteGun, SpriteSword})
        for (int facing : {0, 1, 2, -1})
            for (int angle : {-90, 0, 89, 90, 359, 1000, INT_MIN, INT_MAX})
                drawWeaponSprite(renderer, facing, 100, 100, angle, kind);
    show();
    EXPECT_TRUE(allBlack());

    writeGun();
    writeSword();
    generateWeaponSprites(renderer);
    for (int kind : {1, 3, -1, 100})
        for (int angle : {0, 45, 90})
            for (int facing : {0, 1}) drawWeaponSprite(renderer, facing, 100, 100, angle, kind);
    // A facing other than 0 or 1 has no gun table.
    drawWeaponSprite(renderer, 2, 100, 100, 0, SpriteGun);
    drawWeaponSprite(renderer, -1, 100, 100, 0, SpriteGun);
    show();
    EXPECT_TRUE(allBlack());
}

TEST_F(WeaponSpritesTest, GeneratingAgainReplacesTheTables) {
    writeGun();
    generateWeaponSprites(renderer);
    std::remove("gun.bmp");
    writeSword();
    generateWeaponSprites(renderer);
    EXPECT_EQ(gunSprites[0][0], nullptr);
    EXPECT_EQ(gunSize.width, 0);
    EXPECT_NE(swordSprites[0], nullptr);
}

using loading_dialog::record;

std::vector<std::string> statuses() {
    std::vector<std::string> texts;
    for (const auto& stage : record().stages) texts.push_back(stage.status);
    return texts;
}

TEST_F(WeaponSpritesTest, LoadingDialogShowsEachStage) {
    struct Case {
        bool gun, sword;
        std::vector<std::string> statuses;
        int overall;
    };
    const std::string rotatedGun = "Generating rotated gun images...";
    const std::string gunMasksText = "Generating masks for rotated gun images...";
    const std::string rotatedSword = "Generating rotated sword images...";
    const std::string swordMasksText = "Generating masks for rotated sword images...";
    const Case cases[] = {
        {true, true, {rotatedGun, gunMasksText, rotatedSword, swordMasksText}, 1440},
        {true, false, {rotatedGun, gunMasksText}, 720},
        {false, true, {rotatedSword, swordMasksText}, 720},
        {false, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "gun " << c.gun << " sword " << c.sword);
        std::remove("gun.bmp");
        std::remove("sword.bmp");
        if (c.gun) writeGun();
        if (c.sword) writeSword();
        generateWeaponSprites(renderer);

        const auto& r = record();
        EXPECT_EQ(r.opens, 1);
        EXPECT_EQ(r.closes, 1);
        EXPECT_FALSE(r.open);
        EXPECT_EQ(r.overallRange, 1440);
        EXPECT_EQ(r.overallPosition, c.overall);
        EXPECT_EQ(statuses(), c.statuses);
        for (const auto& stage : r.stages) {
            EXPECT_EQ(stage.range, 360) << stage.status;
            EXPECT_EQ(stage.position, 360) << stage.status;
        }
        // One pump for each gun angle (a pair of images), each gun mask step, and
        // each sword image and mask.
        EXPECT_EQ(r.pumps, (c.gun ? 360 : 0) + (c.sword ? 720 : 0));
        if (!c.gun && !c.sword) {
            EXPECT_EQ(r.status, loading_dialog::templateStatus);
        }
    }
}

} // namespace

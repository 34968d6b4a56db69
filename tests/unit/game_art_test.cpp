// The shipped pictures have the geometry the drawing code relies on.
#include "graphics/renderer.h"
#include "graphics/software_surfaces.h"
#include "tests/support/headless_game.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class GameArtTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetProgramState();
        window.width = 64;
        window.height = 64;
        renderer.init(&window);
    }
    void TearDown() override {
        for (BitmapHandle b : loaded) deleteBitmap(b);
        renderer.shutdown();
        resetProgramState();
    }

    const BitmapObject& load(const std::string& name) {
        folder.copyGameFile(name);
        BitmapHandle bitmap = renderer.loadBitmap(name.c_str());
        EXPECT_NE(bitmap, nullptr) << name;
        if (bitmap == nullptr) {
            static const BitmapObject empty;
            return empty;
        }
        loaded.push_back(bitmap);
        return *bitmap;
    }

    ScratchFolder folder;
    WindowObject window;
    Renderer renderer;
    std::vector<BitmapHandle> loaded;
};

bool opaque(const BitmapObject& b, int x, int y) {
    return b.pixel(x, y) != 0;
}

TEST_F(GameArtTest, HeroIsTwoMirroredFrames) {
    const BitmapObject& hero = load("hero.bmp");
    ASSERT_EQ(hero.width, 60);
    ASSERT_EQ(hero.height, 40);
    int drawn = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 30; ++x) {
            ASSERT_EQ(hero.pixel(x, y), hero.pixel(59 - x, y)) << x << "," << y;
            drawn += opaque(hero, x, y);
        }
    // A figure, not a block: the corners are transparent and most of the frame is drawn.
    EXPECT_FALSE(opaque(hero, 0, 0));
    EXPECT_FALSE(opaque(hero, 29, 0));
    EXPECT_GT(drawn, 300);
    // He stands on the bottom row, so he stands on the floor.
    bool feet = false;
    for (int x = 0; x < 30; ++x) feet = feet || opaque(hero, x, 39);
    EXPECT_TRUE(feet);
}

TEST_F(GameArtTest, GunPointsRightFromItsPivot) {
    const BitmapObject& gun = load("gun.bmp");
    ASSERT_EQ(gun.width, 50);
    ASSERT_EQ(gun.height, 50);
    const int pivotX = 18, pivotY = (50 >> 1) + 1;
    EXPECT_TRUE(opaque(gun, pivotX, pivotY)); // the hand holds it at the pivot
    // The muzzle: the rightmost drawn pixel near the pivot's row, about 30 pixels out.
    int muzzle = -1;
    for (int y = pivotY - 3; y <= pivotY + 3; ++y)
        for (int x = 0; x < 50; ++x)
            if (opaque(gun, x, y)) muzzle = std::max(muzzle, x);
    EXPECT_GE(muzzle - pivotX, 26);
    EXPECT_LE(muzzle - pivotX, 31);
    // Little of it lies behind the hand.
    int behind = 0, ahead = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            if (opaque(gun, x, y)) ++(x < pivotX ? behind : ahead);
    EXPECT_GT(ahead, 3 * behind);
}

TEST_F(GameArtTest, SwordStandsUpWithinItsTurningCircle) {
    const BitmapObject& sword = load("sword.bmp");
    ASSERT_EQ(sword.width, 50);
    ASSERT_EQ(sword.height, 50);
    // Tip at the top edge, hilt at the bottom edge, on the middle column.
    EXPECT_TRUE(opaque(sword, 25, 0));
    EXPECT_TRUE(opaque(sword, 25, 49));
    // Every pixel stays within 25 pixels of the pivot (25, 25), so no angle cuts it.
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            if (opaque(sword, x, y)) {
                EXPECT_LE(std::hypot(x - 25, y - 25), 25.5) << x << "," << y;
            }
}

std::uint32_t read16(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}
std::uint32_t read32(const std::vector<unsigned char>& b, std::size_t at) {
    return read16(b, at) | (read16(b, at + 2) << 16);
}

TEST(GameIconTest, IsOne32By32SixteenColourImageWithItsMask) {
    const auto path =
        std::filesystem::path(BRAWLEX_DATA_DIR).parent_path() / "generated" / "brawlex.ico";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "icon not built: " << path;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> ico((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    ASSERT_EQ(ico.size(), 6u + 16u + 40u + 64u + 512u + 128u);
    EXPECT_EQ(read16(ico, 2), 1u); // an icon
    EXPECT_EQ(read16(ico, 4), 1u); // one image
    EXPECT_EQ(ico[6], 32);
    EXPECT_EQ(ico[7], 32);
    EXPECT_EQ(ico[8], 16);
    EXPECT_EQ(read16(ico, 12), 4u);
    EXPECT_EQ(read32(ico, 14), 744u);
    EXPECT_EQ(read32(ico, 18), 22u);
    EXPECT_EQ(read32(ico, 22 + 8), 64u); // the header counts colour bits and mask
    EXPECT_EQ(read16(ico, 22 + 14), 4u);
    // Some pixels are transparent (mask bit set), some are drawn.
    int maskBits = 0;
    for (std::size_t i = ico.size() - 128; i < ico.size(); ++i)
        for (int bit = 0; bit < 8; ++bit) maskBits += (ico[i] >> bit) & 1;
    EXPECT_GT(maskBits, 0);
    EXPECT_LT(maskBits, 32 * 32);
}

} // namespace

// The software renderer against the GDI renderer: the same scene drawn by both must
// give the same pixels. The GDI picture is made under Wine by renderer_agreement.exe;
// the end-to-end test test_renderer_agreement.py makes it and then runs this program
// of the native tree on it, so the comparison is always with a picture just made.
// BRAWLEX_GDI_SCENE names the picture; without it, or without the picture, the tests
// fail.
#include "graphics/bmp_file.h"
#include "graphics/renderer.h"
#include "graphics/software_surfaces.h"
#include "tests/support/renderer_scene.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_bitmaps.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

class RendererAgreement : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* scene = std::getenv("BRAWLEX_GDI_SCENE");
        ASSERT_NE(scene, nullptr) << "BRAWLEX_GDI_SCENE names no GDI picture";
        const std::string path = std::filesystem::absolute(scene).string();
        ASSERT_TRUE(std::filesystem::exists(path)) << "no GDI picture at " << path;
        std::optional<BmpImage> image = readBmpFile(path.c_str());
        ASSERT_TRUE(image.has_value()) << path;
        ASSERT_EQ(image->width, rendererSceneWidth);
        ASSERT_EQ(image->height, rendererSceneHeight);
        gdi = std::move(image->pixels);

        ScratchFolder folder;
        WindowObject window{rendererSceneWidth, rendererSceneHeight, {}, 0};
        Renderer renderer;
        renderer.init(&window);
        ASSERT_TRUE(drawRendererScene(renderer, "scene-sprite.bmp"));
        renderer.present(0);
        software = window.frontBuffer; // before shutdown paints the window white
        renderer.shutdown();
        ASSERT_EQ(software.size(), gdi.size());
    }

    // Compares the pixels for which `inArea` holds; on a difference, names the first
    // ones, and writes both pictures side by side to BRAWLEX_SCENE_DIFF when set.
    void expectSame(bool (*inArea)(int, int)) const {
        int different = 0;
        std::ostringstream first;
        for (int y = 0; y < rendererSceneHeight; ++y) {
            for (int x = 0; x < rendererSceneWidth; ++x) {
                if (!inArea(x, y)) continue;
                const std::size_t i = static_cast<std::size_t>(y) * rendererSceneWidth + x;
                if (software[i] == gdi[i]) continue;
                if (++different <= 12)
                    first << " (" << x << "," << y << ") software " << std::hex << software[i]
                          << " gdi " << gdi[i] << std::dec << ";";
            }
        }
        if (different != 0) {
            if (const char* out = std::getenv("BRAWLEX_SCENE_DIFF")) {
                writeTestBitmap(
                    out, rendererSceneWidth * 2, rendererSceneHeight, [&](int x, int y) {
                        const std::size_t row = static_cast<std::size_t>(y) * rendererSceneWidth;
                        return x < rendererSceneWidth ? software[row + x]
                                                      : gdi[row + x - rendererSceneWidth];
                    });
            }
        }
        EXPECT_EQ(different, 0) << "pixels that differ, first ones:" << first.str();
    }

    std::vector<std::uint32_t> gdi;
    std::vector<std::uint32_t> software;
};

} // namespace

// Masked sprites from rotate / mirror / mask (whole, clipped and in part), one-pixel
// lines in every direction, lines running off the edges, single pixels.
TEST_F(RendererAgreement, SpritesThinLinesAndPixels) {
    expectSame([](int x, int y) { return !inWideLineArea(x, y); });
}

// Lines drawn with a two-pixel pen (the grapple charge line): GDI widens an
// even-width pen toward the top and left of the line (a horizontal line at y covers
// rows y - 1 and y), and so must the software renderer.
TEST_F(RendererAgreement, TwoPixelLines) {
    expectSame(inWideLineArea);
}

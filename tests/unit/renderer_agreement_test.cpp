// The software renderer against the GDI renderer: the same scene drawn by both must
// give the same pixels. The GDI picture is made under Wine by renderer_agreement.exe
// (the Windows build's end-to-end tests write it); without it the tests are skipped.
#include "graphics/bmp_file.h"
#include "graphics/software_surfaces.h"
#include "graphics/renderer.h"
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

// BRAWLEX_GDI_SCENE names the picture; by default it is where the end-to-end test
// of the Windows build in build/windows leaves it.
std::string gdiScenePath() {
    if (const char* path = std::getenv("BRAWLEX_GDI_SCENE")) return path;
    return std::string(BRAWLEX_SOURCE_DIR) + "/build/windows/renderer-agreement/gdi-scene.bmp";
}

class RendererAgreement : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string path = std::filesystem::absolute(gdiScenePath()).string();
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "no GDI picture at " << path << " (run the Windows end-to-end tests)";
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

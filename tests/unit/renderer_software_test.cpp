#include "graphics/bitmap_font.h"
#include "graphics/renderer.h"
#include "graphics/software_surfaces.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_bitmaps.h"

#include <gtest/gtest.h>

#include <climits>
#include <numbers>
#include <set>
#include <utility>

namespace {

constexpr std::uint32_t white = 0x00FFFFFFu;
constexpr std::uint32_t red = 0x00FF0000u; // as stored: 0x00RRGGBB
constexpr std::uint32_t green = 0x0000FF00u;
constexpr std::uint32_t blue = 0x000000FFu;

// A window and a Renderer over it, shut down at the end of the test.
class RendererTest : public ::testing::Test {
  protected:
    void open(int width, int height) {
        window.width = width;
        window.height = height;
        renderer.init(&window);
    }
    void TearDown() override {
        if (renderer.initialised()) renderer.shutdown();
        for (BitmapHandle b : bitmaps) deleteBitmap(b);
    }

    // A bitmap owned by the test; pixels from the top left, 0x00RRGGBB.
    BitmapHandle bitmap(int width, int height, std::initializer_list<std::uint32_t> pixels) {
        auto* b = new BitmapObject{width, height, pixels};
        bitmaps.push_back(b);
        return b;
    }
    BitmapHandle keep(BitmapHandle b) {
        if (b != nullptr) bitmaps.push_back(b);
        return b;
    }

    // What the window shows after presenting without clearing.
    const WindowObject& shown() {
        renderer.present(0);
        return window;
    }
    // Coordinates of the non-black pixels shown.
    std::set<std::pair<int, int>> lit() {
        renderer.present(0);
        std::set<std::pair<int, int>> points;
        for (int y = 0; y < window.height; ++y) {
            for (int x = 0; x < window.width; ++x) {
                if (window.pixel(x, y) != 0) points.insert({x, y});
            }
        }
        return points;
    }

    WindowObject window;
    Renderer renderer;
    std::vector<BitmapHandle> bitmaps;
};

using Points = std::set<std::pair<int, int>>;

TEST_F(RendererTest, StartsBlackAndPresentCopiesTheBackBuffer) {
    open(4, 3);
    EXPECT_EQ(renderer.clientRect(), (Bounds{0, 0, 4, 3}));
    renderer.setPixel(1, 2, rgb(255, 0, 0));
    renderer.setPixel(-1, 0, rgb(0, 255, 0)); // outside: ignored
    renderer.setPixel(4, 0, rgb(0, 255, 0));
    EXPECT_EQ(lit(), (Points{{1, 2}}));
    EXPECT_EQ(window.pixel(1, 2), red);
}

TEST_F(RendererTest, PresentKeepsOrClearsTheBackBuffer) {
    open(3, 3);
    renderer.setPixel(0, 0, rgb(0, 0, 255));
    renderer.present(0);
    renderer.setPixel(2, 2, rgb(0, 0, 255));
    // Without a clear the next frame draws over the last one.
    EXPECT_EQ(lit(), (Points{{0, 0}, {2, 2}}));
    EXPECT_EQ(window.pixel(0, 0), blue);

    renderer.present(1); // shows both, then clears
    EXPECT_EQ(lit(), Points{});
    EXPECT_EQ(window.presents, 4);
}

TEST_F(RendererTest, ASecondInitKeepsTheFirstWindowAndBuffer) {
    open(3, 2);
    renderer.setPixel(2, 1, rgb(0, 255, 0));
    WindowObject other{8, 8, {}, 0};
    renderer.init(&other);
    EXPECT_EQ(renderer.clientRect(), (Bounds{0, 0, 3, 2}));
    renderer.present(0);
    EXPECT_EQ(window.pixel(2, 1), green);
    EXPECT_EQ(other.presents, 0);
    EXPECT_TRUE(other.frontBuffer.empty());
}

TEST_F(RendererTest, ShutdownPaintsTheTopLeft640By480White) {
    for (auto [w, h] : {std::pair{800, 600}, {300, 200}, {700, 100}}) {
        WindowObject target{w, h, {}, 0};
        Renderer r;
        r.init(&target);
        r.present(0);
        r.shutdown();
        EXPECT_FALSE(r.initialised());
        ASSERT_EQ(target.frontBuffer.size(), static_cast<std::size_t>(w * h));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(target.pixel(x, y), (x < 640 && y < 480) ? white : 0u)
                    << w << "x" << h << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(RendererTest, WithoutAWindowNothingIsDrawnAndNothingBreaks) {
    renderer.init(nullptr);
    EXPECT_FALSE(renderer.initialised());
    renderer.setPixel(0, 0, 0xFFFFFF);
    renderer.drawText("1", 0, 0, 0, 0xFFFFFF, 0);
    renderer.drawLine(0, 0, 5, 5, nullptr, 0, 0);
    renderer.drawMasked(nullptr, nullptr, 0, 0, 0, 0, 5, 5);
    renderer.present(1);
    renderer.shutdown();

    open(0, 0); // a window with no client area
    renderer.setPixel(0, 0, 0xFFFFFF);
    renderer.drawText("1", 0, 0, 0, 0xFFFFFF, 0);
    renderer.present(1);
    EXPECT_TRUE(window.frontBuffer.empty());
}

TEST_F(RendererTest, BitmapBoundsAreInclusiveAndANullBitmapHasNoPixels) {
    EXPECT_EQ(renderer.bitmapBounds(nullptr), (Bounds{0, 0, -1, -1}));
    EXPECT_EQ(renderer.bitmapBounds(bitmap(3, 2, {1, 2, 3, 4, 5, 6})), (Bounds{0, 0, 2, 1}));
}

TEST_F(RendererTest, TransformsOfANullBitmapOrBeforeInitAreNull) {
    BitmapHandle source = bitmap(1, 1, {red});
    EXPECT_EQ(renderer.mirrorBitmap(source), nullptr);
    EXPECT_EQ(renderer.makeMask(source), nullptr);
    EXPECT_EQ(renderer.rotateBitmap(source, 0.0, 0, 0), nullptr);
    open(2, 2);
    EXPECT_EQ(renderer.rotateBitmap(nullptr, 1.0, 0, 0), nullptr);
    EXPECT_EQ(renderer.mirrorBitmap(nullptr), nullptr);
    EXPECT_EQ(renderer.makeMask(nullptr), nullptr);
    EXPECT_EQ(renderer.makeMask(bitmap(0, 0, {})), nullptr);
}

TEST_F(RendererTest, TransformsWorkTopDownAndLeaveTheSourceAlone) {
    open(4, 4);
    BitmapHandle source = bitmap(2, 2, {red, 0, green, blue});
    BitmapHandle mirrored = keep(renderer.mirrorBitmap(source));
    ASSERT_NE(mirrored, nullptr);
    EXPECT_EQ(mirrored->pixels, (std::vector<std::uint32_t>{0, red, blue, green}));

    BitmapHandle mask = keep(renderer.makeMask(source));
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->pixels, (std::vector<std::uint32_t>{0, white, 0, 0}));

    BitmapHandle same = keep(renderer.rotateBitmap(source, 0.0, 1, 1));
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(same->pixels, source->pixels);
    EXPECT_EQ(source->pixels, (std::vector<std::uint32_t>{red, 0, green, blue}));
}

TEST_F(RendererTest, AThinImageTurnedARightAngleKeepsItsSizeAndIsCut) {
    open(2, 2);
    BitmapHandle source = bitmap(9, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    BitmapHandle turned = keep(renderer.rotateBitmap(source, std::numbers::pi / 2, 4, 0));
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(renderer.bitmapBounds(turned), (Bounds{0, 0, 8, 0}));
    // Only the pivot stays inside the one-row frame. Its right neighbour maps to a
    // row just short of -1 (cos of a quarter turn is not exactly 0), which
    // truncates toward zero into the frame, so it repeats the pivot.
    EXPECT_EQ(turned->pixels, (std::vector<std::uint32_t>{0, 0, 0, 0, 5, 5, 0, 0, 0}));
}

TEST_F(RendererTest, MaskedDrawingPaintsOnlyTheOpaquePixels) {
    open(4, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) renderer.setPixel(x, y, rgb(0, 0, 255));
    }
    BitmapHandle image = bitmap(2, 2, {red, 0, 0, green});
    BitmapHandle mask = keep(renderer.makeMask(image));
    renderer.drawMasked(image, mask, 1, 1, 0, 0, 2, 2);
    const WindowObject& w = shown();
    EXPECT_EQ(w.pixel(1, 1), red);
    EXPECT_EQ(w.pixel(2, 1), blue); // black in the image: the background stays
    EXPECT_EQ(w.pixel(1, 2), blue);
    EXPECT_EQ(w.pixel(2, 2), green);
    EXPECT_EQ(w.pixel(0, 0), blue);
}

TEST_F(RendererTest, AnAllWhiteMaskKeepsTheBackgroundWhereTheImageIsBlack) {
    open(3, 1);
    renderer.setPixel(0, 0, rgb(10, 20, 30));
    renderer.setPixel(1, 0, rgb(40, 50, 60));
    BitmapHandle image = bitmap(3, 1, {0, 0, 0x00010203u});
    BitmapHandle allWhite = bitmap(3, 1, {white, white, white});
    renderer.drawMasked(image, allWhite, 0, 0, 0, 0, 3, 1);
    const WindowObject& w = shown();
    EXPECT_EQ(w.pixel(0, 0), 0x000A141Eu);
    EXPECT_EQ(w.pixel(1, 0), 0x0028323Cu);
    // Where the image is not black, a white mask ORs it over the background.
    EXPECT_EQ(w.pixel(2, 0), 0x00010203u);
}

TEST_F(RendererTest, MaskedDrawingTakesTheSourceRectangleAndClips) {
    open(3, 3);
    // Two 2x2 frames side by side; draw the second one, partly off the left edge.
    BitmapHandle image = bitmap(4, 2, {red, red, green, blue, red, red, blue, green});
    BitmapHandle mask = keep(renderer.makeMask(image));
    renderer.drawMasked(image, mask, -1, 2, 2, 0, 4, 2);
    const WindowObject& w = shown();
    EXPECT_EQ(w.pixel(0, 2), blue);
    EXPECT_EQ(lit(), (Points{{0, 2}}));

    // A rectangle reaching past the image, or a far-off position, draws only what exists.
    renderer.drawMasked(image, mask, 0, 0, 3, 1, 10, 10);
    renderer.drawMasked(image, mask, INT_MAX, INT_MIN, 0, 0, 4, 2);
    renderer.drawMasked(image, mask, 0, 0, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(shown().pixel(0, 0), green);
}

TEST_F(RendererTest, MaskedDrawingOfMissingBitmapsChangesAtMostTheCorner) {
    open(3, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) renderer.setPixel(x, y, rgb(0, 0, 255));
    }
    // Missing bitmaps are refused by the DCs, which keep their one-pixel black
    // default: only the rectangle's top-left, if it covers (0, 0) of that, is cleared.
    renderer.drawMasked(nullptr, nullptr, 1, 1, 0, 0, 2, 2);
    renderer.drawMasked(nullptr, nullptr, 0, 0, 1, 1, 3, 3);
    const WindowObject& w = shown();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(w.pixel(x, y), (x == 1 && y == 1) ? 0u : blue);
    }
}

struct LineCase {
    int x1, y1, x2, y2;
    Points expected;
};

TEST_F(RendererTest, LinesLeaveOutTheirEndPoint) {
    const LineCase cases[] = {
        {0, 0, 3, 0, {{0, 0}, {1, 0}, {2, 0}}},
        {3, 2, 3, 0, {{3, 2}, {3, 1}}},
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
        {4, 0, 0, 2, {{4, 0}, {3, 0}, {2, 1}, {1, 1}}},
        {1, 1, 1, 1, {}},
    };
    for (const LineCase& c : cases) {
        open(6, 4);
        PenHandle pen = createSolidPen(1, rgb(255, 255, 255));
        renderer.drawLine(c.x1, c.y1, c.x2, c.y2, pen, 0, 0);
        EXPECT_EQ(lit(), c.expected) << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2;
        EXPECT_EQ(window.pixel(c.x1, c.y1) == white, !c.expected.empty());
        deletePen(pen);
        renderer.shutdown();
    }
}

TEST_F(RendererTest, ALineAndItsReverseCoverTheSamePixels) {
    // Drawn either way, a line plus its end point is the same set of pixels: the
    // walk breaks ties the same way in both directions.
    PenHandle pen = createSolidPen(1, rgb(255, 255, 255));
    open(9, 9);
    for (int x1 = 0; x1 < 9; x1 += 2) {
        for (int y1 = 0; y1 < 9; y1 += 3) {
            for (int x2 = 0; x2 < 9; ++x2) {
                for (int y2 = 0; y2 < 9; ++y2) {
                    renderer.present(1);
                    renderer.drawLine(x1, y1, x2, y2, pen, 0, 0);
                    renderer.setPixel(x2, y2, rgb(255, 255, 255));
                    const Points forward = lit();
                    renderer.present(1);
                    renderer.drawLine(x2, y2, x1, y1, pen, 0, 0);
                    renderer.setPixel(x1, y1, rgb(255, 255, 255));
                    ASSERT_EQ(lit(), forward) << x1 << "," << y1 << " - " << x2 << "," << y2;
                }
            }
        }
    }
    deletePen(pen);
}

TEST_F(RendererTest, LongLinesAreClippedToTheBuffer) {
    open(20, 10);
    PenHandle pen = createSolidPen(1, rgb(0, 255, 0));
    renderer.drawLine(-1000000, -1000000, 1000000, 1000000, pen, 0, 0);
    Points diagonal;
    for (int i = 0; i < 10; ++i) diagonal.insert({i, i});
    EXPECT_EQ(lit(), diagonal);

    // Beyond the coordinate range the platform works in, nothing is drawn.
    renderer.present(1);
    renderer.drawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX, pen, 0, 0);
    renderer.drawLine(INT_MAX, 0, INT_MIN, 0, pen, 1, 0);
    EXPECT_EQ(lit(), Points{});
    deletePen(pen);
}

TEST_F(RendererTest, WidePensDrawABandWithRoundEndsThatCoversTheEndPoint) {
    open(8, 5);
    PenHandle pen = createSolidPen(3, rgb(255, 0, 0));
    renderer.drawLine(1, 2, 5, 2, pen, 0, 0);
    Points band;
    for (int x = 0; x <= 6; ++x) {
        for (int y = 1; y <= 3; ++y) band.insert({x, y});
    }
    EXPECT_EQ(lit(), band);
    deletePen(pen);

    // An even width reaches one pixel further up and left, as GDI's pens do.
    renderer.present(1);
    PenHandle two = createSolidPen(2, rgb(255, 0, 0));
    renderer.drawLine(1, 2, 5, 2, two, 0, 0);
    Points evenBand;
    for (int x = 0; x <= 5; ++x) {
        for (int y = 1; y <= 2; ++y) evenBand.insert({x, y});
    }
    EXPECT_EQ(lit(), evenBand);
    deletePen(two);
}

TEST_F(RendererTest, ADiagonalTwoPixelLineEndsAsGdiDrawsIt) {
    // The last rows of a 45-degree line drawn upward to (35, 5) with a two-pixel
    // pen, as GDI drew them.
    open(40, 40);
    PenHandle pen = createSolidPen(2, rgb(0, 0, 255));
    renderer.drawLine(5, 35, 35, 5, pen, 0, 0);
    const Points expected = {{34, 4}, {35, 4}, {33, 5}, {34, 5}, {35, 5}, {32, 6},
                             {33, 6}, {34, 6}, {35, 6}, {31, 7}, {32, 7}, {33, 7},
                             {34, 7}, {30, 8}, {31, 8}, {32, 8}, {33, 8}};
    Points top;
    for (auto point : lit()) {
        if (point.second <= 8) top.insert(point);
    }
    EXPECT_EQ(top, expected);

    // Wide lines far outside are clipped like thin ones.
    renderer.present(1);
    renderer.drawLine(-1000000, -1000000, 1000000, 1000000, pen, 0, 0);
    renderer.drawLine(INT_MIN, 0, INT_MAX, 0, pen, 0, 0);
    const Points shownNow = lit();
    EXPECT_TRUE(shownNow.count({20, 20}));
    EXPECT_TRUE(shownNow.count({0, 0}));
    EXPECT_FALSE(shownNow.count({20, 5}));
    deletePen(pen);
}

TEST_F(RendererTest, PenWidthsOfZeroAndMissingPensDrawThin) {
    open(8, 5);
    // A width of zero or less draws one pixel wide; a missing pen draws with the
    // DC's own black pen and changes nothing visible here.
    renderer.present(1);
    PenHandle thin = createSolidPen(0, rgb(255, 0, 0));
    renderer.drawLine(0, 0, 3, 0, thin, 0, 0);
    renderer.drawLine(0, 4, 3, 4, nullptr, 0, 0);
    EXPECT_EQ(lit(), (Points{{0, 0}, {1, 0}, {2, 0}}));
    deletePen(thin);
    deletePen(nullptr);
}

TEST_F(RendererTest, TextIsDrawnInTheFontOpaqueOrTransparent) {
    const int w = bitmap_font::cellWidth * 2;
    const int h = bitmap_font::cellHeight;
    open(w + 2, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w + 2; ++x) renderer.setPixel(x, y, rgb(0, 0, 255));
    }
    renderer.drawText("-7", 0, 0, 0, rgb(255, 0, 0), rgb(0, 255, 0));
    const WindowObject& opaque = shown();
    int ink = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool inked = bitmap_font::inked(x < bitmap_font::cellWidth ? '-' : '7',
                                                  x % bitmap_font::cellWidth, y);
            ASSERT_EQ(opaque.pixel(x, y), inked ? red : green) << x << "," << y;
            ink += inked;
        }
        EXPECT_EQ(opaque.pixel(w, y), blue); // past the text
    }
    EXPECT_GT(ink, 5);

    renderer.present(1);
    renderer.drawText("-7", 0, 0, 1, rgb(255, 0, 0), rgb(0, 255, 0));
    const WindowObject& clear = shown();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool inked = bitmap_font::inked(x < bitmap_font::cellWidth ? '-' : '7',
                                                  x % bitmap_font::cellWidth, y);
            ASSERT_EQ(clear.pixel(x, y), inked ? red : 0u) << x << "," << y;
        }
    }
}

TEST_F(RendererTest, TextIsClippedAndOddTextIsHarmless) {
    open(10, 10);
    renderer.drawText(nullptr, 0, 0, 0, 0xFFFFFF, 0);
    renderer.drawText("123", -7, -3, 0, 0xFFFFFF, 0xFFFFFF);
    // Opaque white cells: the second cell starts at x = cellWidth - 7, the text's
    // rows start three above the top.
    const Points shownCells = lit();
    EXPECT_FALSE(shownCells.empty());
    for (auto [x, y] : shownCells) EXPECT_LT(y, bitmap_font::cellHeight - 3);
    std::string longText(100000, '8');
    renderer.drawText(longText.c_str(), INT_MIN, INT_MAX, 1, 0xFFFFFF, 0);
    renderer.drawText(longText.c_str(), INT_MAX, 0, 1, 0xFFFFFF, 0);
    renderer.drawText("\x01\x7F\xFF", 0, 0, 1, 0xFFFFFF, 0);
    renderer.present(0);
}

TEST_F(RendererTest, LoadsBitmapFilesAndGivesNullForMissingOnes) {
    ScratchFolder folder;
    writeTestBitmap("hero.bmp", 3, 2, [](int x, int y) { return x == 2 && y == 0 ? red : blue; });
    BitmapHandle hero = keep(renderer.loadBitmap("hero.bmp"));
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(renderer.bitmapBounds(hero), (Bounds{0, 0, 2, 1}));
    EXPECT_EQ(hero->pixel(2, 0), red);
    EXPECT_EQ(hero->pixel(0, 1), blue);
    EXPECT_EQ(renderer.loadBitmap("missing.bmp"), nullptr);
    EXPECT_EQ(renderer.loadBitmap(""), nullptr);
    EXPECT_EQ(renderer.loadBitmap(nullptr), nullptr);
    folder.write("text.bmp", "not a picture");
    EXPECT_EQ(renderer.loadBitmap("text.bmp"), nullptr);
}

} // namespace

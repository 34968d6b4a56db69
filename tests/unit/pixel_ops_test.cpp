#include "graphics/pixel_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

// A bottom-up buffer built from pixels addressed from the top left, as a picture
// is seen on screen.
struct Picture {
    int width;
    int height;
    PixelRow pixels;

    Picture(int w, int h, std::uint32_t fill = 0)
        : width(w), height(h), pixels(static_cast<std::size_t>(w * h), fill) {}

    std::uint32_t& at(int x, int y) {
        return pixels[static_cast<std::size_t>((height - 1 - y) * width + x)];
    }
};

// Distinct, non-black colours for every pixel.
Picture numbered(int w, int h) {
    Picture picture(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) picture.at(x, y) = 0x00010101u * (y * w + x + 1);
    }
    return picture;
}

Picture rotated(Picture& source, double theta, int pivotX, int pivotY,
                std::uint32_t fill = 0x00123456u) {
    Picture out(source.width, source.height, fill);
    rotatePixels(source.pixels.data(), out.pixels.data(), source.width, source.height, theta,
                 pivotX, pivotY);
    return out;
}

TEST(RotatePixels, ByZeroIsAnExactCopy) {
    for (auto [w, h, px, py] :
         {std::array{7, 5, 3, 2}, {1, 1, 0, 0}, {6, 9, 0, 8}, {4, 4, 10, -3}}) {
        Picture source = numbered(w, h);
        EXPECT_EQ(rotated(source, 0.0, px, py).pixels, source.pixels) << w << "x" << h;
    }
}

TEST(RotatePixels, QuarterTurnIsCounterClockwiseAboutThePivot) {
    Picture source(5, 5);
    source.at(2, 2) = 0x00FF0000u; // the pivot
    source.at(3, 2) = 0x0000FF00u; // right of it
    source.at(2, 1) = 0x000000FFu; // above it
    Picture out = rotated(source, std::numbers::pi / 2, 2, 2);
    EXPECT_EQ(out.at(2, 2), 0x00FF0000u);
    EXPECT_EQ(out.at(2, 1), 0x0000FF00u); // right goes up
    EXPECT_EQ(out.at(1, 2), 0x000000FFu); // up goes left
    EXPECT_EQ(out.at(3, 2), 0u);
}

TEST(RotatePixels, QuarterTurnOfAFullImageMovesEveryPixel) {
    Picture source = numbered(5, 5);
    Picture out = rotated(source, std::numbers::pi / 2, 2, 2);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            // Counter-clockwise on screen: what was at (x, y) is now at (y, 4 - x).
            EXPECT_EQ(out.at(y, 4 - x), source.at(x, y)) << x << "," << y;
        }
    }
}

TEST(RotatePixels, PixelsFromOutsideTheSourceAreBlack) {
    // A wide image turned a quarter: its left and right ends come from above and
    // below the source, which has nothing there.
    Picture source = numbered(7, 3);
    Picture out = rotated(source, std::numbers::pi / 2, 3, 1);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(out.at(0, y), 0u);
        EXPECT_EQ(out.at(6, y), 0u);
        EXPECT_NE(out.at(3, y), 0u);
    }
}

TEST(RotatePixels, LeavesTheFourthByteOfTheOutputAlone) {
    Picture source = numbered(4, 3);
    for (auto& p : source.pixels) p |= 0xEE000000u;
    Picture out = rotated(source, 0.3, 1, 1, 0xAB000000u);
    for (std::uint32_t p : out.pixels) EXPECT_EQ(p >> 24, 0xABu);
}

TEST(RotatePixels, UnusableAnglesAndPivotsGiveBlackNotACrash) {
    Picture source = numbered(4, 4);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double theta : {nan, inf, -inf}) {
        for (std::uint32_t p : rotated(source, theta, 1, 1).pixels) EXPECT_EQ(p, 0u);
    }
    for (int pivot : {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
        for (std::uint32_t p : rotated(source, 1.0, pivot, pivot).pixels) EXPECT_EQ(p, 0u);
    }
}

TEST(MirrorPixels, SwapsLeftAndRightOnly) {
    Picture source = numbered(3, 2);
    Picture out(3, 2);
    mirrorPixels(source.pixels.data(), out.pixels.data(), 3, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(out.at(x, y), source.at(2 - x, y));
    }

    Picture thin = numbered(1, 4);
    Picture thinOut(1, 4);
    mirrorPixels(thin.pixels.data(), thinOut.pixels.data(), 1, 4);
    EXPECT_EQ(thinOut.pixels, thin.pixels);
}

TEST(MaskPixels, BlackBecomesWhiteAndAnyColourBecomesBlack) {
    PixelRow pixels = {0x00000000u, 0x00000001u, 0x00010000u, 0x00FFFFFFu, 0xFF000000u};
    maskPixels(pixels.data(), 5, 1);
    // The fourth byte neither counts as colour nor is written.
    EXPECT_EQ(pixels, (PixelRow{0x00FFFFFFu, 0u, 0u, 0u, 0xFFFFFFFFu}));

    PixelRow black(12, 0);
    maskPixels(black.data(), 4, 3);
    for (std::uint32_t p : black) EXPECT_EQ(p, 0x00FFFFFFu);
}

TEST(PixelOps, EmptyOrMissingBuffersAreIgnored) {
    PixelRow buffer(4, 7);
    rotatePixels(nullptr, buffer.data(), 2, 2, 1.0, 0, 0);
    rotatePixels(buffer.data(), nullptr, 2, 2, 1.0, 0, 0);
    mirrorPixels(buffer.data(), buffer.data(), 0, 2);
    maskPixels(buffer.data(), 2, -1);
    maskPixels(nullptr, 2, 2);
    EXPECT_EQ(buffer, PixelRow(4, 7));
}

} // namespace

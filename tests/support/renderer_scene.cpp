#include "tests/support/renderer_scene.h"

#include "graphics/renderer.h"
#include "tests/support/test_bitmaps.h"

#include <cstdint>

namespace {

constexpr int spriteWidth = 24;
constexpr int spriteHeight = 16;

// An arrow pointing right on black, in colours that change with x and y, with a
// checkered hole; (1, 0, 0)-like near-black colours are in it too, because they are
// opaque while pure black is transparent.
std::uint32_t spriteColour(int x, int y) {
    const bool shaft = y >= 6 && y <= 9 && x < 16;
    const int fromTip = 23 - x;
    const bool head = x >= 14 && (y - 7.5) * (y - 7.5) <= (fromTip * 0.34) * (fromTip * 0.34);
    if (!shaft && !head) return 0;
    if (x >= 4 && x <= 7 && ((x + y) & 1)) return 0; // hole
    if (x == 2) return 0x00000001;                   // blue 1: opaque
    const std::uint32_t r = static_cast<std::uint32_t>(40 + x * 9);
    const std::uint32_t g = static_cast<std::uint32_t>(30 + y * 13);
    const std::uint32_t b = static_cast<std::uint32_t>(200 - x * 5);
    return (r << 16) | (g << 8) | b;
}

void drawSprite(Renderer& renderer, BitmapHandle image, int x, int y) {
    BitmapHandle mask = renderer.makeMask(image);
    const Bounds size = renderer.bitmapBounds(image);
    renderer.drawMasked(image, mask, x, y, 0, 0, size.right + 1, size.bottom + 1);
    deleteBitmap(mask);
}

} // namespace

bool inWideLineArea(int x, int y) {
    return x >= 84 && y >= 52;
}

bool drawRendererScene(Renderer& renderer, const std::string& spriteFile) {
    writeTestBitmap(spriteFile, spriteWidth, spriteHeight, spriteColour);
    BitmapHandle sprite = renderer.loadBitmap(spriteFile.c_str());
    if (sprite == nullptr) return false;

    // Something under the sprites, so that the mask's AND shows.
    PenHandle grey = createSolidPen(1, rgb(90, 90, 90));
    for (int y = 2; y < 46; y += 3) renderer.drawLine(0, y, rendererSceneWidth, y, grey, 1, 0);

    const double pi = 3.14159265358979323846;
    drawSprite(renderer, sprite, 4, 4);
    BitmapHandle turned = renderer.rotateBitmap(sprite, 30 * pi / 180, 10, 8);
    drawSprite(renderer, turned, 34, 4);
    deleteBitmap(turned);
    turned = renderer.rotateBitmap(sprite, -135 * pi / 180, 12, 8);
    drawSprite(renderer, turned, 64, 4);
    deleteBitmap(turned);
    BitmapHandle mirrored = renderer.mirrorBitmap(sprite);
    drawSprite(renderer, mirrored, 94, 4);
    turned = renderer.rotateBitmap(mirrored, pi / 2, 12, 8);
    drawSprite(renderer, turned, 124, 4);
    deleteBitmap(turned);
    deleteBitmap(mirrored);

    // Clipped at every edge of the back buffer, and a part of the source.
    drawSprite(renderer, sprite, -10, 30);
    drawSprite(renderer, sprite, rendererSceneWidth - 12, 30);
    drawSprite(renderer, sprite, 60, -8);
    drawSprite(renderer, sprite, 20, rendererSceneHeight - 6);
    BitmapHandle mask = renderer.makeMask(sprite);
    renderer.drawMasked(sprite, mask, 30, 34, 4, 3, 18, 12);
    deleteBitmap(mask);
    deleteBitmap(sprite);

    // A star of lines from one centre, every octant and both ties of the step rule:
    // one-pixel lines on the left, two-pixel lines in the wide-line area on the right.
    const struct {
        int x, y;
    } ends[] = {{30, 0},   {30, 11},  {30, 15},  {23, 30},  {15, 30},   {0, 30},
                {-15, 30}, {-30, 15}, {-30, 0},  {-30, -9}, {-30, -15}, {-9, -30},
                {0, -30},  {15, -30}, {30, -30}, {29, -1},  {1, 29},    {-29, 1}};
    const Colour colours[] = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(60, 120, 255), rgb(255, 255, 0)};
    PenHandle thin[4];
    PenHandle wide[4];
    for (int i = 0; i < 4; ++i) {
        thin[i] = createSolidPen(1, colours[i]);
        wide[i] = createSolidPen(2, colours[i]);
    }
    int n = 0;
    for (const auto& end : ends) {
        renderer.drawLine(45, 85, 45 + end.x, 85 + end.y, thin[n % 4], 1, 0);
        renderer.drawLine(115, 85, 115 + end.x, 85 + end.y, wide[n % 4], 0, rgb(20, 20, 20));
        ++n;
    }
    // Lines that start or end outside the back buffer.
    renderer.drawLine(-20, 110, 40, 125, thin[0], 1, 0);
    renderer.drawLine(150, 60, 175, 100, wide[1], 1, 0);
    for (int i = 0; i < 4; ++i) {
        deletePen(thin[i]);
        deletePen(wide[i]);
    }
    deletePen(grey);

    for (int i = 0; i < 20; ++i) renderer.setPixel(2 + i * 7, 47 + (i % 3), rgb(255, 255, 255));
    renderer.setPixel(-1, 5, rgb(255, 255, 255));
    renderer.setPixel(rendererSceneWidth, 5, rgb(255, 255, 255));
    return true;
}

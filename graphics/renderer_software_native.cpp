// STUB: replaced by the software renderer.
#include "graphics/renderer.h"
void Renderer::init(WindowHandle w) {
    window = w;
}
void Renderer::shutdown() {}
BitmapHandle Renderer::loadBitmap(const char*) {
    return nullptr;
}
Bounds Renderer::bitmapBounds(BitmapHandle) const {
    return {0, 0, -1, -1};
}
BitmapHandle Renderer::rotateBitmap(BitmapHandle, double, int, int) {
    return nullptr;
}
BitmapHandle Renderer::mirrorBitmap(BitmapHandle) {
    return nullptr;
}
BitmapHandle Renderer::makeMask(BitmapHandle) {
    return nullptr;
}
void Renderer::drawMasked(BitmapHandle, BitmapHandle, int, int, int, int, int, int) {}
void Renderer::drawText(const char*, int, int, std::uint8_t, Colour, Colour) {}
void Renderer::drawLine(int, int, int, int, PenHandle, std::uint8_t, Colour) {}
void Renderer::setPixel(int, int, Colour) {}
void Renderer::present(std::uint8_t) {}
PenHandle createSolidPen(int, Colour) {
    return nullptr;
}
void deletePen(PenHandle) {}
void deleteBitmap(BitmapHandle) {}

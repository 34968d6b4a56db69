// The Renderer of every layer but Win32: the same device contexts, bitmaps and
// raster operations as the GDI one, realised on 32-bit pixel buffers in memory.
#include "graphics/renderer.h"

#include "graphics/bitmap_font.h"
#include "graphics/bmp_file.h"
#include "graphics/pixel_ops.h"
#include "graphics/software_surfaces.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

struct PenObject {
    int width = 1;
    Colour colour = 0;
};

struct BrushObject {
    Colour colour = 0;
};

// A device context: either a window's own (drawing goes to its front buffer) or a
// memory DC holding one bitmap at a time, like GDI's.
struct DeviceContextObject {
    WindowObject* window = nullptr;
    // What a new memory DC holds before anything is selected: one black pixel.
    BitmapObject defaultBitmap{1, 1, {0}};
    BitmapObject* bitmap = &defaultBitmap;
    PenObject* pen = nullptr; // null: the stock black pen
};

namespace {

// The largest surface the software renderer allocates (the platform refuses bigger
// bitmaps too); a request above it gives no bitmap.
constexpr std::int64_t maxSurfacePixels = std::int64_t{1} << 26;
// Lines with an end point farther out than this are not drawn: it is the
// coordinate range GDI itself works in, and it keeps the arithmetic in range.
constexpr std::int64_t maxLineCoordinate = std::int64_t{1} << 27;
// Pens wider than this are drawn this wide; wider covers any window anyway.
constexpr int maxPenWidth = 4096;

PenObject stockBlackPen{1, 0};

// Bitmaps, pens and DCs made and not yet deleted (stock objects are never counted).
std::size_t liveObjects = 0;
BrushObject stockBlackBrush{0};

struct Surface {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;

    bool empty() const { return pixels == nullptr || width <= 0 || height <= 0; }
    std::uint32_t& at(std::int64_t x, std::int64_t y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    bool contains(std::int64_t x, std::int64_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
};

bool validSize(std::int64_t width, std::int64_t height) {
    return width >= 0 && height >= 0 && width * height <= maxSurfacePixels;
}

BitmapObject* newBitmap(int width, int height) {
    if (!validSize(width, height)) return nullptr;
    auto* bitmap = new BitmapObject;
    ++liveObjects;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return bitmap;
}

bool hasPixels(const BitmapObject* bitmap) {
    return bitmap != nullptr && bitmap->width > 0 && bitmap->height > 0 &&
           bitmap->pixels.size() ==
               static_cast<std::size_t>(bitmap->width) * static_cast<std::size_t>(bitmap->height);
}

Surface surfaceOf(DeviceContextObject* dc) {
    if (dc == nullptr) return {};
    if (dc->window != nullptr) {
        WindowObject& window = *dc->window;
        if (window.width <= 0 || window.height <= 0 || !validSize(window.width, window.height)) {
            return {};
        }
        const std::size_t count =
            static_cast<std::size_t>(window.width) * static_cast<std::size_t>(window.height);
        if (window.frontBuffer.size() != count) window.frontBuffer.assign(count, 0);
        return {window.frontBuffer.data(), window.width, window.height};
    }
    if (!hasPixels(dc->bitmap)) return {};
    return {dc->bitmap->pixels.data(), dc->bitmap->width, dc->bitmap->height};
}

// SelectObject for bitmaps: gives the previous selection; a null bitmap is refused
// and leaves the selection as it was.
BitmapObject* selectBitmap(DeviceContextObject* dc, BitmapObject* bitmap) {
    if (dc == nullptr || bitmap == nullptr) return nullptr;
    BitmapObject* previous = dc->bitmap;
    dc->bitmap = bitmap;
    return previous;
}

enum class RasterOp { Copy, And, Paint, Whiteness, Fill };

// BitBlt: the rectangle is clipped to both surfaces; a negative width or height
// extends it to the left or upward, as the platform does.
void bitBlt(DeviceContextObject* destination, std::int64_t x, std::int64_t y, std::int64_t width,
            std::int64_t height, DeviceContextObject* source, std::int64_t sourceX,
            std::int64_t sourceY, RasterOp op, std::uint32_t fill = 0) {
    if (width < 0) {
        x += width;
        sourceX += width;
        width = -width;
    }
    if (height < 0) {
        y += height;
        sourceY += height;
        height = -height;
    }
    const Surface to = surfaceOf(destination);
    if (to.empty()) return;
    const bool usesSource = op == RasterOp::Copy || op == RasterOp::And || op == RasterOp::Paint;
    Surface from;
    if (usesSource) {
        from = surfaceOf(source);
        if (from.empty()) return;
    }

    std::int64_t i0 = std::max<std::int64_t>(0, -x);
    std::int64_t i1 = std::min<std::int64_t>(width, to.width - x);
    std::int64_t j0 = std::max<std::int64_t>(0, -y);
    std::int64_t j1 = std::min<std::int64_t>(height, to.height - y);
    if (usesSource) {
        i0 = std::max(i0, -sourceX);
        i1 = std::min<std::int64_t>(i1, from.width - sourceX);
        j0 = std::max(j0, -sourceY);
        j1 = std::min<std::int64_t>(j1, from.height - sourceY);
    }
    if (i0 >= i1) return;
    const std::size_t count = static_cast<std::size_t>(i1 - i0);
    for (std::int64_t j = j0; j < j1; ++j) {
        std::uint32_t* out = &to.at(x + i0, y + j);
        const std::uint32_t* in = usesSource ? &from.at(sourceX + i0, sourceY + j) : nullptr;
        switch (op) {
        case RasterOp::Copy:
            std::copy(in, in + count, out);
            break;
        case RasterOp::And:
            for (std::size_t i = 0; i < count; ++i) out[i] &= in[i];
            break;
        case RasterOp::Paint:
            for (std::size_t i = 0; i < count; ++i) out[i] |= in[i];
            break;
        case RasterOp::Whiteness:
            std::fill(out, out + count, 0x00FFFFFFu);
            break;
        case RasterOp::Fill:
            std::fill(out, out + count, fill);
            break;
        }
    }
}

void fillRect(DeviceContextObject* dc, const Bounds& rect, const BrushObject* brush) {
    if (brush == nullptr) return;
    bitBlt(dc, rect.left, rect.top, std::int64_t{rect.right} - rect.left,
           std::int64_t{rect.bottom} - rect.top, nullptr, 0, 0, RasterOp::Fill,
           pixelOf(brush->colour));
}

// Bottom-up pixel buffer of a bitmap, as the pixel algorithms take it.
PixelRow bottomUpPixels(const BitmapObject& bitmap) {
    PixelRow buffer(bitmap.pixels.size());
    const std::size_t width = static_cast<std::size_t>(bitmap.width);
    for (int row = 0; row < bitmap.height; ++row) {
        const auto from = bitmap.pixels.begin() +
                          static_cast<std::ptrdiff_t>(static_cast<std::size_t>(row) * width);
        std::copy(from, from + static_cast<std::ptrdiff_t>(width),
                  buffer.begin() + static_cast<std::ptrdiff_t>(
                                       static_cast<std::size_t>(bitmap.height - 1 - row) * width));
    }
    return buffer;
}

// A new bitmap from a bottom-up buffer; the buffer's fourth bytes are ignored.
BitmapObject* bitmapFromBottomUp(const PixelRow& buffer, int width, int height) {
    BitmapObject* bitmap = newBitmap(width, height);
    if (bitmap == nullptr) return nullptr;
    for (int row = 0; row < height; ++row) {
        const std::size_t from = static_cast<std::size_t>(height - 1 - row) * width;
        const std::size_t to = static_cast<std::size_t>(row) * width;
        for (int k = 0; k < width; ++k) {
            bitmap->pixels[to + k] = buffer[from + k] & 0x00FFFFFFu;
        }
    }
    return bitmap;
}

// Walks the pixels of a line from (x1, y1) to (x2, y2), leaving out the end point,
// but only those whose major coordinate lies in [low, high] (the visible part): a
// line running far outside costs no more than one crossing the surface. The
// pixels are the ones the step-by-step Bresenham walk gives, with the platform's
// tie-breaking bias in half of the octants, so a line drawn either way covers the
// same pixels; each is found in closed form from its step number.
template <typename Plot>
void walkLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t lowX,
              std::int64_t highX, std::int64_t lowY, std::int64_t highY, Plot plot) {
    const std::int64_t dx = x2 - x1;
    const std::int64_t dy = y2 - y1;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    if (adx == 0 && ady == 0) return;

    int octant;
    if (dy > 0) {
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    } else {
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    }
    const std::int64_t bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
    const std::int64_t stepX = dx < 0 ? -1 : 1;
    const std::int64_t stepY = dy < 0 ? -1 : 1;

    const bool xMajor = adx > ady;
    const std::int64_t major = xMajor ? adx : ady;
    const std::int64_t minor = xMajor ? ady : adx;
    const std::int64_t start = xMajor ? x1 : y1;
    const std::int64_t step = xMajor ? stepX : stepY;
    const std::int64_t low = xMajor ? lowX : lowY;
    const std::int64_t high = xMajor ? highX : highY;

    // Steps whose major coordinate start + step * j is in [low, high].
    std::int64_t first = step > 0 ? low - start : start - high;
    std::int64_t last = step > 0 ? high - start : start - low;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, major - 1);
    for (std::int64_t j = first; j <= last; ++j) {
        const std::int64_t minorSteps = (2 * minor * j + major - 1 + bias) / (2 * major);
        if (xMajor) {
            plot(x1 + stepX * j, y1 + stepY * minorSteps);
        } else {
            plot(x1 + stepX * minorSteps, y1 + stepY * j);
        }
    }
}

// Fills the pixels (x, y) with low <= x < high on row y, clipped to the surface.
void fillSpan(const Surface& surface, std::int64_t y, std::int64_t low, std::int64_t high,
              std::uint32_t colour) {
    if (y < 0 || y >= surface.height) return;
    low = std::max<std::int64_t>(low, 0);
    high = std::min<std::int64_t>(high, surface.width);
    for (std::int64_t x = low; x < high; ++x) surface.at(x, y) = colour;
}

// Smallest integer >= a / b, for b > 0.
std::int64_t ceilDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// Fills a convex polygon the way the platform fills regions: a pixel (x, y) is
// inside when the point (x, y) is, counting left and top edges in and right and
// bottom edges out.
void fillConvexPolygon(const Surface& surface, const std::int64_t (*points)[2], int count,
                       std::uint32_t colour) {
    std::int64_t top = points[0][1];
    std::int64_t bottom = points[0][1];
    for (int i = 1; i < count; ++i) {
        top = std::min(top, points[i][1]);
        bottom = std::max(bottom, points[i][1]);
    }
    top = std::max<std::int64_t>(top, 0);
    bottom = std::min<std::int64_t>(bottom, surface.height);
    for (std::int64_t y = top; y < bottom; ++y) {
        std::int64_t low = INT64_MAX;
        std::int64_t high = INT64_MIN;
        for (int i = 0; i < count; ++i) {
            const std::int64_t* a = points[i];
            const std::int64_t* b = points[(i + 1) % count];
            if (a[1] == b[1]) continue;
            if (a[1] > b[1]) std::swap(a, b);
            if (y < a[1] || y >= b[1]) continue;
            // The first whole x at or right of the edge on this row.
            const std::int64_t x = a[0] + ceilDiv((y - a[1]) * (b[0] - a[0]), b[1] - a[1]);
            low = std::min(low, x);
            high = std::max(high, x);
        }
        if (low < high) fillSpan(surface, y, low, high, colour);
    }
}

// The round end of a wide line: the pixels of the ellipse inscribed in the
// width x width box around the point (reaching one further up and left for an
// even width).
void fillCap(const Surface& surface, std::int64_t x, std::int64_t y, int width,
             std::uint32_t colour) {
    const std::int64_t left = x - width / 2;
    const std::int64_t top = y - width / 2;
    const double radius = width / 2.0;
    for (std::int64_t j = 0; j < width; ++j) {
        const double cy = (static_cast<double>(j) + 0.5 - radius) / radius;
        for (std::int64_t i = 0; i < width; ++i) {
            const double cx = (static_cast<double>(i) + 0.5 - radius) / radius;
            if (cx * cx + cy * cy <= 1.0 + 1e-9 && surface.contains(left + i, top + j)) {
                surface.at(left + i, top + j) = colour;
            }
        }
    }
}

// A line drawn with a pen wider than one pixel, as the platform draws it: a band
// of the pen's width along the segment with a round cap at both ends, so unlike a
// thin line it covers its end point.
void drawWideLine(const Surface& surface, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                  std::int64_t y2, int width, std::uint32_t colour) {
    const std::int64_t dx = x2 - x1;
    const std::int64_t dy = y2 - y1;
    if (dy == 0) {
        const std::int64_t top = y1 - width / 2;
        for (std::int64_t y = top; y < top + width; ++y) {
            fillSpan(surface, y, std::min(x1, x2), std::max(x1, x2), colour);
        }
    } else if (dx == 0) {
        const std::int64_t left = x1 - width / 2;
        const std::int64_t low = std::max<std::int64_t>(std::min(y1, y2), 0);
        const std::int64_t high = std::min<std::int64_t>(std::max(y1, y2), surface.height);
        for (std::int64_t y = low; y < high; ++y) fillSpan(surface, y, left, left + width, colour);
    } else {
        // The band's corners: the end points moved across the line by about half
        // the pen's width, the odd pixel of an uneven split going to one side.
        const double length = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
        const double acrossX = width * static_cast<double>(dy < 0 ? -dy : dy) / length;
        const double acrossY = width * static_cast<double>(dx < 0 ? -dx : dx) / length;
        const auto round = [](double v) { return static_cast<std::int64_t>(std::floor(v + 0.5)); };
        std::int64_t narrowX = round(acrossX / 2), narrowY = round(acrossY / 2);
        std::int64_t wideX = round((acrossX + 1) / 2), wideY = round((acrossY + 1) / 2);
        if (dx < 0) {
            wideY = -wideY;
            narrowY = -narrowY;
        }
        if (dy < 0) {
            std::swap(narrowX, wideX);
            std::swap(narrowY, wideY);
            narrowX = -narrowX;
            wideX = -wideX;
        }
        const std::int64_t corners[4][2] = {{x1 - narrowX, y1 + narrowY},
                                            {x1 + wideX, y1 - wideY},
                                            {x2 + wideX, y2 - wideY},
                                            {x2 - narrowX, y2 + narrowY}};
        fillConvexPolygon(surface, corners, 4, colour);
    }
    fillCap(surface, x1, y1, width, colour);
    fillCap(surface, x2, y2, width, colour);
}

} // namespace

void Renderer::init(WindowHandle w) {
    if (windowDC != nullptr) return;
    // Without a window there is nothing to draw into; stay uninitialised.
    if (w == nullptr) return;
    window = w;
    clientBounds = Bounds{0, 0, std::max(w->width, 0), std::max(w->height, 0)};

    windowDC = new DeviceContextObject;
    windowDC->window = w;
    backDC = new DeviceContextObject;
    spriteDC = new DeviceContextObject;
    liveObjects += 3;
    clearBrush = &stockBlackBrush;
    backBitmap = newBitmap(clientBounds.right, clientBounds.bottom);
    savedBitmap = selectBitmap(backDC, backBitmap);
    fillRect(backDC, clientBounds, clearBrush);
    viewX = 0;
    viewY = 0;
}

void Renderer::shutdown() {
    if (windowDC == nullptr) return;
    selectBitmap(backDC, savedBitmap);
    deleteBitmap(backBitmap);
    bitBlt(windowDC, 0, 0, 640, 480, nullptr, 0, 0, RasterOp::Whiteness);
    delete windowDC;
    delete backDC;
    delete spriteDC;
    liveObjects -= 3;
    windowDC = backDC = spriteDC = nullptr;
    backBitmap = savedBitmap = nullptr;
    clearBrush = nullptr;
}

BitmapHandle Renderer::loadBitmap(const char* fileName) {
    std::optional<BmpImage> image = readBmpFile(fileName);
    if (!image) return nullptr;
    auto* bitmap = new BitmapObject;
    ++liveObjects;
    bitmap->width = image->width;
    bitmap->height = image->height;
    bitmap->pixels = std::move(image->pixels);
    return bitmap;
}

Bounds Renderer::bitmapBounds(BitmapHandle bitmap) const {
    if (bitmap == nullptr) return {0, 0, -1, -1};
    return {0, 0, bitmap->width - 1, bitmap->height - 1};
}

// The transformations make their results for the window's screen, so like the
// GDI renderer they need an initialised Renderer.
BitmapHandle Renderer::rotateBitmap(BitmapHandle source, double theta, int pivotX, int pivotY) {
    if (windowDC == nullptr || !hasPixels(source)) return nullptr;
    const PixelRow pixels = bottomUpPixels(*source);
    PixelRow rotated(pixels.size(), 0);
    rotatePixels(pixels.data(), rotated.data(), source->width, source->height, theta, pivotX,
                 pivotY);
    return bitmapFromBottomUp(rotated, source->width, source->height);
}

BitmapHandle Renderer::mirrorBitmap(BitmapHandle source) {
    if (windowDC == nullptr || !hasPixels(source)) return nullptr;
    const PixelRow pixels = bottomUpPixels(*source);
    PixelRow mirrored(pixels.size(), 0);
    mirrorPixels(pixels.data(), mirrored.data(), source->width, source->height);
    return bitmapFromBottomUp(mirrored, source->width, source->height);
}

BitmapHandle Renderer::makeMask(BitmapHandle source) {
    if (windowDC == nullptr || !hasPixels(source)) return nullptr;
    PixelRow pixels = bottomUpPixels(*source);
    maskPixels(pixels.data(), source->width, source->height);
    return bitmapFromBottomUp(pixels, source->width, source->height);
}

void Renderer::drawMasked(BitmapHandle image, BitmapHandle mask, int x, int y, int left, int top,
                          int right, int bottom) {
    if (backDC == nullptr) return;
    const std::int64_t width = std::int64_t{right} - left;
    const std::int64_t height = std::int64_t{bottom} - top;
    const std::int64_t toX = std::int64_t{x} + viewX;
    const std::int64_t toY = std::int64_t{y} + viewY;

    BitmapObject* previous = selectBitmap(spriteDC, image);
    // The mask goes through a DC of its own, made and deleted for this one draw.
    auto* maskDC = new DeviceContextObject;
    ++liveObjects;
    BitmapObject* maskPrevious = selectBitmap(maskDC, mask);
    bitBlt(backDC, toX, toY, width, height, maskDC, left, top, RasterOp::And);
    bitBlt(backDC, toX, toY, width, height, spriteDC, left, top, RasterOp::Paint);
    selectBitmap(maskDC, maskPrevious);
    delete maskDC;
    --liveObjects;
    selectBitmap(spriteDC, previous);
}

void Renderer::drawText(const char* text, int x, int y, std::uint8_t transparent, Colour textColour,
                        Colour backgroundColour) {
    const Surface back = surfaceOf(backDC);
    if (back.empty() || text == nullptr) return;
    const std::uint32_t ink = pixelOf(textColour);
    const std::uint32_t paper = pixelOf(backgroundColour);
    const std::int64_t top = std::int64_t{y} + viewY;
    if (top >= back.height || top + bitmap_font::cellHeight <= 0) return;

    std::int64_t cellLeft = std::int64_t{x} + viewX;
    for (const char* c = text; *c != '\0' && cellLeft < back.width;
         ++c, cellLeft += bitmap_font::cellWidth) {
        if (cellLeft + bitmap_font::cellWidth <= 0) continue;
        for (int row = 0; row < bitmap_font::cellHeight; ++row) {
            for (int column = 0; column < bitmap_font::cellWidth; ++column) {
                const std::int64_t px = cellLeft + column;
                const std::int64_t py = top + row;
                if (!back.contains(px, py)) continue;
                if (bitmap_font::inked(*c, column, row)) {
                    back.at(px, py) = ink;
                } else if (transparent == 0) {
                    back.at(px, py) = paper;
                }
            }
        }
    }
}

void Renderer::drawLine(int x1, int y1, int x2, int y2, PenHandle pen, std::uint8_t /*transparent*/,
                        Colour /*backgroundColour*/) {
    // Only solid pens exist here, so the background mode and colour, which fill
    // the gaps of styled pens, change nothing.
    const Surface back = surfaceOf(backDC);
    if (back.empty()) return;
    // A null pen is refused by the DC, which keeps drawing with the pen it holds.
    PenObject* previous = backDC->pen;
    if (pen != nullptr) backDC->pen = pen;
    const PenObject& use = backDC->pen != nullptr ? *backDC->pen : stockBlackPen;

    const std::int64_t ax = std::int64_t{x1} + viewX;
    const std::int64_t ay = std::int64_t{y1} + viewY;
    const std::int64_t bx = std::int64_t{x2} + viewX;
    const std::int64_t by = std::int64_t{y2} + viewY;
    const auto farOut = [](std::int64_t v) {
        return v > maxLineCoordinate || v < -maxLineCoordinate;
    };
    if (!farOut(ax) && !farOut(ay) && !farOut(bx) && !farOut(by)) {
        const std::uint32_t colour = pixelOf(use.colour);
        const int width = std::clamp(use.width, 1, maxPenWidth);
        if (width == 1) {
            walkLine(ax, ay, bx, by, 0, back.width - 1, 0, back.height - 1,
                     [&](std::int64_t px, std::int64_t py) {
                         if (back.contains(px, py)) back.at(px, py) = colour;
                     });
        } else if (ax != bx || ay != by) {
            drawWideLine(back, ax, ay, bx, by, width, colour);
        }
    }
    backDC->pen = previous;
}

void Renderer::setPixel(int x, int y, Colour colour) {
    const Surface back = surfaceOf(backDC);
    const std::int64_t px = std::int64_t{x} + viewX;
    const std::int64_t py = std::int64_t{y} + viewY;
    if (back.empty() || !back.contains(px, py)) return;
    back.at(px, py) = pixelOf(colour);
}

void Renderer::present(std::uint8_t clear) {
    if (windowDC == nullptr) return;
    bitBlt(windowDC, 0, 0, clientBounds.right, clientBounds.bottom, backDC, 0, 0, RasterOp::Copy);
    ++window->presents;
    if (window->onPresent != nullptr) window->onPresent(*window);
    if (clear != 0) fillRect(backDC, clientBounds, clearBrush);
}

PenHandle createSolidPen(int width, Colour colour) {
    // A width of 0 or less draws one pixel wide, as on the platform.
    ++liveObjects;
    return new PenObject{std::clamp(width, 1, maxPenWidth), colour & 0x00FFFFFFu};
}

void deletePen(PenHandle pen) {
    if (pen == nullptr || pen == &stockBlackPen) return;
    delete pen;
    --liveObjects;
}

void deleteBitmap(BitmapHandle bitmap) {
    if (bitmap == nullptr) return;
    delete bitmap;
    --liveObjects;
}

std::size_t liveSurfaceObjects() {
    return liveObjects;
}

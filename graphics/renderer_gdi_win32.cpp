// The Renderer on GDI: a compatible back buffer the size of the window's client
// area, masked AND/OR blits, and the load-time pixel transformations done on
// 32-bit device-independent pixel buffers (the algorithms live in pixel_ops).
#include "graphics/renderer.h"

#include "graphics/pixel_ops.h"

#include <windows.h>

#include <algorithm>

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

HWND hwndOf(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
HDC hdcOf(DeviceContext dc) {
    return reinterpret_cast<HDC>(dc);
}
HBITMAP hbitmapOf(BitmapHandle bitmap) {
    return reinterpret_cast<HBITMAP>(bitmap);
}
HPEN hpenOf(PenHandle pen) {
    return reinterpret_cast<HPEN>(pen);
}
HBRUSH hbrushOf(BrushHandle brush) {
    return reinterpret_cast<HBRUSH>(brush);
}
DeviceContext dcHandle(HDC dc) {
    return reinterpret_cast<DeviceContext>(dc);
}
BitmapHandle bitmapHandle(HBITMAP bitmap) {
    return reinterpret_cast<BitmapHandle>(bitmap);
}

RECT rectOf(const Bounds& bounds) {
    RECT rect;
    rect.left = bounds.left;
    rect.top = bounds.top;
    rect.right = bounds.right;
    rect.bottom = bounds.bottom;
    return rect;
}

// 32 bits per pixel, rows bottom-up (positive height), uncompressed.
BITMAPINFO pixelFormat(int width, int height) {
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The largest image the pixel transformations accept, per side. Bitmap files come
// from the user's folder; anything this big is not a sprite, and refusing it keeps
// width * height well inside the buffer arithmetic.
constexpr int maxImageSide = 16384;

// A fresh work DC and a result bitmap of the screen's format for one pixel
// transformation, released together unless the result is handed out.
class PixelJob {
  public:
    PixelJob(HDC windowDC, int width, int height) : width_(width), height_(height) {
        if (width <= 0 || height <= 0 || width > maxImageSide || height > maxImageSide) return;
        workDC_ = CreateCompatibleDC(windowDC);
        result_ = CreateCompatibleBitmap(windowDC, width, height);
    }
    PixelJob(const PixelJob&) = delete;
    PixelJob& operator=(const PixelJob&) = delete;
    ~PixelJob() {
        if (result_) DeleteObject(result_);
        if (workDC_) DeleteDC(workDC_);
    }

    bool ready() const { return workDC_ && result_; }

    // Reads `source` into a width x height buffer; false when GDI returns no rows.
    bool read(HBITMAP source, std::vector<std::uint32_t>& pixels) {
        pixels.assign(count(), 0);
        BITMAPINFO info = pixelFormat(width_, height_);
        return GetDIBits(workDC_, source, 0, static_cast<UINT>(height_), pixels.data(), &info,
                         DIB_RGB_COLORS) != 0;
    }

    // Writes `pixels` into the result bitmap and hands it to the caller (null when
    // GDI takes no rows).
    BitmapHandle finish(const std::vector<std::uint32_t>& pixels) {
        BITMAPINFO info = pixelFormat(width_, height_);
        if (SetDIBits(workDC_, result_, 0, static_cast<UINT>(height_), pixels.data(), &info,
                      DIB_RGB_COLORS) == 0)
            return nullptr;
        HBITMAP result = result_;
        result_ = nullptr;
        return bitmapHandle(result);
    }

    std::size_t count() const {
        return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    }

  private:
    int width_;
    int height_;
    HDC workDC_ = nullptr;
    HBITMAP result_ = nullptr;
};

} // namespace

void Renderer::init(WindowHandle w) {
    if (windowDC) return;
    // Without a window there is nothing to draw into; stay uninitialised. (GetDC of a
    // null window would give the whole screen, which shutdown would then paint white.)
    if (!w) return;
    window = w;
    RECT client{0, 0, 0, 0};
    GetClientRect(hwndOf(w), &client);
    clientBounds = {client.left, client.top, client.right, client.bottom};

    HDC screen = GetDC(hwndOf(w));
    windowDC = dcHandle(screen);
    backDC = dcHandle(CreateCompatibleDC(screen));
    spriteDC = dcHandle(CreateCompatibleDC(screen));
    clearBrush = reinterpret_cast<BrushHandle>(GetStockObject(BLACK_BRUSH));

    backBitmap =
        bitmapHandle(CreateCompatibleBitmap(screen, clientBounds.right, clientBounds.bottom));
    savedBitmap =
        bitmapHandle(static_cast<HBITMAP>(SelectObject(hdcOf(backDC), hbitmapOf(backBitmap))));

    const RECT fill = rectOf(clientBounds);
    FillRect(hdcOf(backDC), &fill, hbrushOf(clearBrush));
    viewX = 0;
    viewY = 0;
}

void Renderer::shutdown() {
    if (!windowDC) return;
    SelectObject(hdcOf(backDC), hbitmapOf(savedBitmap));
    DeleteObject(hbitmapOf(backBitmap));
    // The top-left 640 x 480 pixels turn white whatever the window's size.
    BitBlt(hdcOf(windowDC), 0, 0, 640, 480, nullptr, 0, 0, WHITENESS);
    ReleaseDC(hwndOf(window), hdcOf(windowDC));
    DeleteDC(hdcOf(backDC));
    DeleteDC(hdcOf(spriteDC));
    // The handles are gone: forget them, so that nothing draws through them later.
    windowDC = backDC = spriteDC = nullptr;
    backBitmap = savedBitmap = nullptr;
    clearBrush = nullptr;
}

BitmapHandle Renderer::loadBitmap(const char* fileName) {
    if (!fileName) return nullptr;
    return bitmapHandle(
        static_cast<HBITMAP>(LoadImageA(nullptr, fileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
}

Bounds Renderer::bitmapBounds(BitmapHandle bitmap) const {
    // A null or invalid bitmap reports no size: {0, 0, -1, -1}, a bitmap of no
    // pixels, which callers can use as a width and height of 0.
    BITMAP info;
    std::memset(&info, 0, sizeof info);
    if (!bitmap || GetObjectA(hbitmapOf(bitmap), sizeof info, &info) == 0) return {0, 0, -1, -1};
    return {0, 0, info.bmWidth - 1, info.bmHeight - 1};
}

namespace {

// Reads the source's pixels, hands them to `transform` (source pixels, output
// buffer of the same size, width, height) and makes a new screen-format bitmap of
// the result. Null when the source has no pixels or they cannot be read.
template <typename Transform>
BitmapHandle transformBitmap(HDC screen, BitmapHandle source, const Bounds& size,
                             Transform transform) {
    const int width = size.right + 1;
    const int height = size.bottom + 1;
    PixelJob job(screen, width, height);
    if (!job.ready()) return nullptr;
    std::vector<std::uint32_t> src;
    if (!job.read(hbitmapOf(source), src)) return nullptr;
    std::vector<std::uint32_t> dst(job.count(), 0);
    transform(src.data(), dst.data(), width, height);
    return job.finish(dst);
}

} // namespace

BitmapHandle Renderer::rotateBitmap(BitmapHandle source, double theta, int pivotX, int pivotY) {
    if (!source || !windowDC) return nullptr;
    return transformBitmap(hdcOf(windowDC), source, bitmapBounds(source),
                           [&](const std::uint32_t* src, std::uint32_t* dst, int w, int h) {
                               rotatePixels(src, dst, w, h, theta, pivotX, pivotY);
                           });
}

BitmapHandle Renderer::mirrorBitmap(BitmapHandle source) {
    if (!source || !windowDC) return nullptr;
    return transformBitmap(hdcOf(windowDC), source, bitmapBounds(source), mirrorPixels);
}

BitmapHandle Renderer::makeMask(BitmapHandle source) {
    if (!source || !windowDC) return nullptr;
    return transformBitmap(hdcOf(windowDC), source, bitmapBounds(source),
                           [](const std::uint32_t* src, std::uint32_t* dst, int w, int h) {
                               std::copy(src, src + static_cast<std::size_t>(w) * h, dst);
                               maskPixels(dst, w, h);
                           });
}

void Renderer::drawMasked(BitmapHandle image, BitmapHandle mask, int x, int y, int left, int top,
                          int right, int bottom) {
    if (!windowDC) return;
    HDC sprite = hdcOf(spriteDC);
    HDC back = hdcOf(backDC);
    // A null image or mask (its file was missing) is refused by SelectObject, and the
    // DC keeps the 1 x 1 black bitmap it was made with: the draw then changes at most
    // one pixel to black, and nothing fails. The software renderer does the same.
    HGDIOBJ previousSprite = SelectObject(sprite, hbitmapOf(image));

    const int width = right - left;
    const int height = bottom - top;
    const int dx = x + viewX;
    const int dy = y + viewY;
    HDC maskDC = CreateCompatibleDC(sprite);
    if (maskDC) {
        HGDIOBJ previousMask = SelectObject(maskDC, hbitmapOf(mask));
        BitBlt(back, dx, dy, width, height, maskDC, left, top, SRCAND);
        BitBlt(back, dx, dy, width, height, sprite, left, top, SRCPAINT);
        if (previousMask) SelectObject(maskDC, previousMask);
        DeleteDC(maskDC);
    }
    if (previousSprite) SelectObject(sprite, previousSprite);
}

void Renderer::drawText(const char* text, int x, int y, std::uint8_t transparent, Colour textColour,
                        Colour backgroundColour) {
    if (!windowDC || !text) return;
    HDC back = hdcOf(backDC);
    const int previousMode = SetBkMode(back, transparent ? TRANSPARENT : OPAQUE);
    const COLORREF previousText = SetTextColor(back, textColour);
    const COLORREF previousBackground = SetBkColor(back, backgroundColour);
    TextOutA(back, x + viewX, y + viewY, text, static_cast<int>(std::strlen(text)));
    SetBkMode(back, previousMode);
    SetBkColor(back, previousBackground);
    SetTextColor(back, previousText);
}

void Renderer::drawLine(int x1, int y1, int x2, int y2, PenHandle pen, std::uint8_t transparent,
                        Colour backgroundColour) {
    if (!windowDC) return;
    HDC back = hdcOf(backDC);
    // A null pen is refused by SelectObject; the line is then drawn with the pen the
    // back buffer holds (the stock black pen), as the software renderer does.
    HGDIOBJ previousPen = SelectObject(back, hpenOf(pen));
    const COLORREF previousBackground = SetBkColor(back, backgroundColour);
    const int previousMode = SetBkMode(back, transparent ? TRANSPARENT : OPAQUE);
    MoveToEx(back, x1 + viewX, y1 + viewY, nullptr);
    LineTo(back, x2 + viewX, y2 + viewY); // GDI leaves out the end point
    SetBkMode(back, previousMode);
    SetBkColor(back, previousBackground);
    if (previousPen) SelectObject(back, previousPen);
}

void Renderer::setPixel(int x, int y, Colour colour) {
    if (!windowDC) return;
    SetPixelV(hdcOf(backDC), x + viewX, y + viewY, colour);
}

void Renderer::present(std::uint8_t clear) {
    if (!windowDC) return;
    BitBlt(hdcOf(windowDC), 0, 0, clientBounds.right, clientBounds.bottom, hdcOf(backDC), 0, 0,
           SRCCOPY);
    if (clear) {
        const RECT fill = rectOf(clientBounds);
        FillRect(hdcOf(backDC), &fill, hbrushOf(clearBrush));
    }
}

PenHandle createSolidPen(int width, Colour colour) {
    return reinterpret_cast<PenHandle>(CreatePen(PS_SOLID, width, colour));
}

void deletePen(PenHandle pen) {
    if (pen) DeleteObject(hpenOf(pen));
}

void deleteBitmap(BitmapHandle bitmap) {
    if (bitmap) DeleteObject(hbitmapOf(bitmap));
}

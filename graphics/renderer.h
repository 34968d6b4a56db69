// The game's one drawing object: a back buffer the size of the window's client
// area, bitmap loading and the load-time pixel transformations (rotate, mirror,
// mask). Two implementations share this declaration and are picked by the build:
// renderer_gdi_win32.cpp (GDI device contexts, the Windows program) and
// renderer_software.cpp (32-bit pixel buffers in memory, for the desktop, web and
// headless layers).
#pragma once

#include "graphics/handles.h"

#include <cstdint>

class Renderer {
  public:
    // Does nothing while already initialised.
    void init(WindowHandle window);
    // Releases the DCs and the back buffer and paints the window's top-left 640 x 480 white.
    void shutdown();
    bool initialised() const { return windowDC != nullptr; }

    Bounds clientRect() const { return clientBounds; }

    // Bitmap factories: every result is new and belongs to the caller (deleteBitmap).
    BitmapHandle loadBitmap(const char* fileName);
    Bounds bitmapBounds(BitmapHandle bitmap) const; // {0, 0, -1, -1} for a null/invalid bitmap
    BitmapHandle rotateBitmap(BitmapHandle source, double theta, int pivotX, int pivotY);
    BitmapHandle mirrorBitmap(BitmapHandle source);
    BitmapHandle makeMask(BitmapHandle source);

    // Drawing into the back buffer; coordinates are offset by (viewX, viewY).
    void drawMasked(BitmapHandle image, BitmapHandle mask, int x, int y, int left, int top,
                    int right, int bottom);
    void drawText(const char* text, int x, int y, std::uint8_t transparent, Colour textColour,
                  Colour backgroundColour);
    void drawLine(int x1, int y1, int x2, int y2, PenHandle pen, std::uint8_t transparent,
                  Colour backgroundColour);
    void setPixel(int x, int y, Colour colour);
    // Copies the back buffer to the window, then fills it black when `clear` is set.
    void present(std::uint8_t clear);

  private:
    WindowHandle window = nullptr;
    Bounds clientBounds{};
    DeviceContext windowDC = nullptr;
    DeviceContext backDC = nullptr;
    DeviceContext spriteDC = nullptr;
    BitmapHandle backBitmap = nullptr;
    BitmapHandle savedBitmap = nullptr;
    BrushHandle clearBrush = nullptr;
    int viewX = 0;
    int viewY = 0;
};

// The global Renderer over the game window.
extern Renderer renderer;

// GDI object lifetime outside the Renderer (pens belong to the players, bitmaps to
// whoever made them). Deleting a null handle does nothing.
PenHandle createSolidPen(int width, Colour colour);
void deletePen(PenHandle pen);
void deleteBitmap(BitmapHandle bitmap);

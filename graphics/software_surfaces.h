// What the software renderer's opaque handles point to: plain pixel surfaces in memory.
// Tests and headless tools create windows and read pixels through these; the desktop
// and web layers show a window's front buffer on the screen.
#pragma once

#include "graphics/handles.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Pixels are 0x00RRGGBB, rows top-down (row 0 is the top row).
struct BitmapObject {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t pixel(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
};

// A window of the software renderer: its client size and what `present` last showed.
struct WindowObject {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> frontBuffer; // empty until the first present
    int presents = 0;
    // Called (when set) after each present has copied the back buffer here: the
    // desktop and web layers put the front buffer on the screen. Headless windows
    // leave it unset.
    void (*onPresent)(const WindowObject& window) = nullptr;

    std::uint32_t pixel(int x, int y) const {
        return frontBuffer[static_cast<std::size_t>(y) * width + x];
    }
};

// Bitmaps, pens and device contexts of the software renderer made and not yet
// deleted, stock objects aside: what a count of the process's GDI objects is to the
// Windows program. Tests check with it that nothing leaks per frame or per draw.
std::size_t liveSurfaceObjects();

// The 0x00RRGGBB value of a COLORREF, and back.
constexpr std::uint32_t pixelOf(Colour colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}
constexpr Colour colourOf(std::uint32_t pixel) {
    return pixelOf(pixel);
}

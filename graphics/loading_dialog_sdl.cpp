// The loading dialog of the desktop program: a small window of its own, centred on
// the screen, titled as the Windows dialog 102, with the status line and the stage
// and overall bars drawn with the software renderer's font. It shows while the game
// window is still hidden.
#include "graphics/loading_dialog.h"

#include "graphics/bitmap_font.h"
#include "graphics/loading_progress.h"

#include <SDL.h>

#include <cstdint>
#include <string>

namespace loading_dialog {

namespace {

// The dialog's 186 x 51 dialog units at two pixels a unit.
constexpr int dialogWidth = 372;
constexpr int dialogHeight = 102;
constexpr int margin = 14;
constexpr int barHeight = 26;
constexpr int stageBarTop = 32;
constexpr int overallBarTop = 62;

constexpr std::uint32_t faceColour = 0xD4D0C8;
constexpr std::uint32_t textColour = 0x000000;
constexpr std::uint32_t barEdgeColour = 0x808080;
constexpr std::uint32_t barBackColour = 0xFFFFFF;
constexpr std::uint32_t barFillColour = 0x2050C0;

// Redrawn at most as often as the Windows dialog moves its bars (and at every status
// change); drawing is cheap here, showing it is a round trip to the screen.
SDL_Window* window = nullptr;
std::string status = "asdf"; // the template's text until the first status
LoadingProgress progress;

void fill(SDL_Surface* surface, int left, int top, int right, int bottom, std::uint32_t colour) {
    SDL_Rect rect{left, top, right - left, bottom - top};
    SDL_FillRect(
        surface, &rect,
        SDL_MapRGB(surface->format, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
}

void drawBar(SDL_Surface* surface, int top, int position, int range) {
    const int left = margin;
    const int right = dialogWidth - margin;
    fill(surface, left, top, right, top + barHeight, barEdgeColour);
    fill(surface, left + 1, top + 1, right - 1, top + barHeight - 1, barBackColour);
    if (range > 0) {
        const long long inner = right - left - 4;
        const int filled = static_cast<int>(inner * position / range);
        fill(surface, left + 2, top + 2, left + 2 + filled, top + barHeight - 2, barFillColour);
    }
}

void redraw() {
    if (window == nullptr) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) return;
    fill(surface, 0, 0, surface->w, surface->h, faceColour);
    // The status line, clipped to the width of its control.
    int x = margin;
    for (char c : status) {
        if (x + bitmap_font::cellWidth > dialogWidth - margin) break;
        for (int row = 0; row < bitmap_font::glyphHeight; ++row)
            for (int column = 0; column < bitmap_font::glyphWidth; ++column)
                if (bitmap_font::inked(c, column, row))
                    fill(surface, x + column, 14 + row, x + column + 1, 15 + row, textColour);
        x += bitmap_font::cellWidth;
    }
    drawBar(surface, stageBarTop, progress.stagePosition(), progress.stageRange());
    drawBar(surface, overallBarTop, progress.overallPosition(), progress.overallRange());
    SDL_UpdateWindowSurface(window);
    progress.barsShown(SDL_GetTicks());
}

} // namespace

void open(int range) {
    status = "asdf";
    progress.open(range, SDL_GetTicks());
    window = SDL_CreateWindow("Loading Brawlex!...", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              dialogWidth, dialogHeight, SDL_WINDOW_SKIP_TASKBAR);
    // Without a window the sprites are made all the same.
    if (window == nullptr) return;
    redraw();
}

void setStatus(const char* text) {
    if (window == nullptr) return;
    status = text != nullptr ? text : "";
    redraw();
}

void setStageRange(int maximum) {
    if (window == nullptr) return;
    progress.setStageRange(maximum);
}

void setStagePosition(int position) {
    if (window == nullptr) return;
    progress.setStagePosition(position);
}

void advance(int delta) {
    if (window == nullptr) return;
    progress.advance(delta);
}

void pump() {
    if (window == nullptr) return;
    if (!progress.barsDue(SDL_GetTicks())) return;
    // Lets the window system hear from us; the events stay queued for the main loop,
    // which ignores the ones of this window.
    SDL_PumpEvents();
    redraw();
}

void close() {
    if (window == nullptr) return;
    redraw(); // the bars as they ended
    SDL_DestroyWindow(window);
    window = nullptr;
}

} // namespace loading_dialog

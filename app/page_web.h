// What the web page gives the game: the canvas the window is shown on, the keyboard,
// whether the page is active, waiting without blocking the page, and its modal
// message box. page.js (resources/web) is the other half of this file.
#pragma once

#include "graphics/handles.h"

#include <cstdint>

namespace page {

// The canvas size page.js chose at start-up (the window's inner size, less the line
// of keys under it); fixed from then on.
struct CanvasSize {
    int width;
    int height;
};
CanvasSize canvasSize();

// Shows `window` on the canvas: each present asks for a repaint, and the repaint
// copies the latest front buffer to the canvas. Also installs the keyboard and
// activity handlers. Called once, before anything is drawn.
void attach(WindowObject& window);

// The loading panel is done and the game is about to run: the canvas shows.
void showGame();
// The main loop has ended (QUIT): the page says so.
void showEnded();

// True once the QUIT command, the console or the page asked the program to end.
bool quitRequested();
void requestQuit();

// Waits, without blocking the page, until the page is visible and has the keyboard
// focus again. Uses no processor time meanwhile.
void waitUntilActive();
// Waits `milliseconds` without blocking the page.
void sleep(std::uint32_t milliseconds);
// A monotonic clock in microseconds.
std::uint64_t microseconds();
// Milliseconds on a clock that differs from page to page (for the random seed).
std::uint32_t milliseconds();

// The page's modal message box: caption, text and OK over the canvas. Returns once
// it is dismissed (Enter, Escape or a click on OK); the game's keys are ignored
// meanwhile.
void messageBox(const char* text, const char* caption, unsigned style);

// A key press as the console takes it: the virtual-key code of the US layout (0 for a
// key without one), the character it types (0 for none) and its modifiers.
struct KeyPress {
    std::uint8_t virtualKey;
    char character;
    bool repeat;
    bool ctrl;
    bool alt;
};
// While the console is open its key presses are queued for it instead of going to
// the game (the console runs commands, which may wait for a message box, so it takes
// them on the program's own path rather than inside the page's key event).
void captureKeys(bool capture);
// The oldest queued press; false when there is none.
bool takeKey(KeyPress& press);
// Waits until a press is queued (returns at once when one is), without blocking the
// page.
void waitForKey();

// Counters for the frame rate and frame cost, read by page.js and the benchmark.
void frameStarted();
void frameEnded();

} // namespace page

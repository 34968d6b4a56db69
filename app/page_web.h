// What the web page gives the game: the canvas the window is shown on, the keyboard,
// whether the page is active, waiting without blocking the page, and its modal
// message box. page.js (resources/web) is the other half of this file.
#pragma once

#include "config/console_loop.h"
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
// copies the latest front buffer to the canvas. Also installs the keyboard and mouse
// handlers and takes the page's activity as it is now (page.js reports its changes).
// Called once, before anything is drawn.
void attach(WindowObject& window);

// The loading panel is done and the game is about to run: the canvas shows.
void showGame();
// The main loop has ended (QUIT): the page says so.
void showEnded();

// True once the QUIT command or the console asked the program to end.
bool quitRequested();
void requestQuit();

// Waits, without blocking the page, until the page is visible and has the keyboard
// focus again. Uses no processor time meanwhile.
void waitUntilActive();
// Waits `milliseconds` without blocking the page.
void sleep(std::uint32_t milliseconds);
// Lets the page handle its waiting events and comes back at once after them.
void yield();
// A monotonic clock in microseconds.
std::uint64_t microseconds();
// Milliseconds on a clock that differs from page to page (for the random seed).
std::uint32_t milliseconds();

// The page's modal message box: caption, text and OK over the canvas. Returns once
// it is dismissed (Enter, Escape or a click on OK); the game's keys are ignored
// meanwhile.
void messageBox(const char* text, const char* caption, unsigned style);

// While the console is open (capture on) the keyboard, clicks on the canvas and the
// wheel are queued for it instead of going to the game. The console runs commands,
// which may wait for a message box, so it takes its input on the program's own path
// rather than inside the page's events. When the capture ends, the keys still queued
// go to the game in the order they came, releases included, as keys pressed after a
// dialog closes reach the window. A paste (the page's paste event: Ctrl+V,
// Shift+Insert, the browser's menu) is queued as the clipboard's text.
void captureConsoleInput(bool capture);
// The oldest queued input; false when there is none.
bool takeConsoleInput(ConsoleInput& input);
// Waits until some input is queued (returns at once when there is), without blocking
// the page.
void waitForConsoleInput();

// The console's two boxes as text beside the canvas (a region that screen readers
// announce, and that tests read), while the console is open.
void showConsoleText(const char* input, const char* output);
void hideConsoleText();

// The window's front buffer changed outside a present (the console drew on it):
// the canvas shows it at the next repaint.
void repaintWindow();

// Counters for the frame rate and frame cost, read by page.js and the benchmark.
void frameStarted();
void frameEnded();

} // namespace page

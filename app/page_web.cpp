// The page side of the web layer: the canvas, the keyboard, activity, waiting and the
// message box. The DOM work is page.js's (window.BrawlexPage); this file keeps the
// game's side of it and the few calls between the two.
#include "app/page_web.h"

#include "app/app_state.h"
#include "app/dom_code_keys.h"
#include "app/key_events.h"
#include "app/key_line_web.h"
#include "app/platform.h"
#include "config/console_overlay.h"
#include "graphics/software_surfaces.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// clang-format off
EM_JS(int, pageCanvasWidth, (), { return BrawlexPage.canvasWidth(); });
EM_JS(int, pageCanvasHeight, (), { return BrawlexPage.canvasHeight(); });
EM_JS(int, pageIsActive, (), { return BrawlexPage.isActive() ? 1 : 0; });
EM_JS(void, pageShowGame, (), { BrawlexPage.showGame(); });
EM_JS(void, pageShowEnded, (), { BrawlexPage.showEnded(); });
EM_JS(void, pageWake, (), { BrawlexPage.wake(); });
EM_JS(void, pageRequestRepaint, (), { BrawlexPage.requestRepaint(); });
EM_JS(double, pageClock, (), { return performance.timeOrigin + performance.now(); });
EM_JS(void, pagePutFrame,
      (const void* rgba, int width, int height, int left, int top, int changedWidth,
       int changedHeight), {
    BrawlexPage.putFrame(HEAPU8, rgba, width, height, left, top, changedWidth, changedHeight);
});
EM_JS(void, pageShowConsoleText, (const char* input, const char* output), {
    BrawlexPage.console.show(BrawlexPage.text(HEAPU8, input), BrawlexPage.text(HEAPU8, output));
});
EM_JS(void, pageHideConsoleText, (), { BrawlexPage.console.hide(); });
EM_ASYNC_JS(void, pageWhenActive, (), { await BrawlexPage.whenActive(); });
EM_ASYNC_JS(void, pageWhenWoken, (), { await BrawlexPage.whenWoken(); });
EM_ASYNC_JS(void, pageYield, (), { await BrawlexPage.yieldNow(); });
EM_ASYNC_JS(void, pageMessageBox, (const char* text, const char* caption, unsigned style), {
    await BrawlexPage.messageBox(BrawlexPage.text(HEAPU8, text), BrawlexPage.text(HEAPU8, caption),
                                 style);
});
// clang-format on

namespace page {

namespace {

WindowObject* shownWindow = nullptr;
// The canvas's pixels (R, G, B, A bytes), made once at attach: a repaint converts
// into it and allocates nothing.
std::vector<std::uint32_t> canvasPixels;
bool repaintRequested = false;

bool quitting = false;
bool modalBoxOpen = false;

// Input queued for the console while it is open. Input that finds the queue full is
// dropped, as a full message queue drops it; but a key's release is not forgotten
// (droppedReleases), so that no key stays held once the capture ends.
bool capturing = false;
std::array<ConsoleInput, 128> queued{};
std::size_t queueFirst = 0;
std::size_t queueLength = 0;
std::array<bool, 256> droppedReleases{};

void queueInput(const ConsoleInput& input) {
    if (queueLength < queued.size()) {
        queued[(queueFirst + queueLength) % queued.size()] = input;
        ++queueLength;
    } else if (input.kind == ConsoleInput::keyUp) {
        droppedReleases[input.virtualKey] = true;
    }
    pageWake();
}

// The text of a paste event, gathered by page.js one character at a time (8-bit
// characters: others are left out, as typed ones are) and queued whole at its end.
std::string pastedText;

// Frames run and the time spent in them, for page.js's frame rate and the benchmark.
std::uint32_t frames = 0;
double frameMilliseconds = 0.0;
double frameStart = 0.0;
std::uint32_t repaints = 0;
double repaintMilliseconds = 0.0;

// Copies the latest front buffer to the canvas, once per repaint of the page however
// many frames were presented since the last one. canvasPixels holds what the canvas
// shows, so only the rectangle around the pixels that changed is put on it: most of a
// frame is the same black as the one before, and putting pixels on the canvas costs
// the browser far more than comparing them here.
void repaint() {
    repaintRequested = false;
    showKeysIfChanged();
    if (shownWindow == nullptr) return;
    const double started = emscripten_get_now();
    const std::vector<std::uint32_t>& front = shownWindow->frontBuffer;
    const int width = shownWindow->width;
    const int height = shownWindow->height;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (width <= 0 || height <= 0 || front.size() < count || canvasPixels.size() < count) return;
    int left = width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* from = front.data() + static_cast<std::size_t>(y) * width;
        std::uint32_t* to = canvasPixels.data() + static_cast<std::size_t>(y) * width;
        int first = -1, last = -1;
        for (int x = 0; x < width; ++x) {
            // 0x00RRGGBB words to the R, G, B, A bytes of the canvas (little-endian).
            const std::uint32_t p = from[x];
            const std::uint32_t rgba =
                ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16) | 0xFF000000u;
            if (rgba != to[x]) {
                to[x] = rgba;
                if (first < 0) first = x;
                last = x;
            }
        }
        if (first < 0) continue;
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (top >= 0)
        pagePutFrame(canvasPixels.data(), width, height, left, top, right - left + 1,
                     bottom - top + 1);
    ++repaints;
    repaintMilliseconds += emscripten_get_now() - started;
}

void presented(const WindowObject&) {
    if (repaintRequested) return;
    repaintRequested = true;
    pageRequestRepaint();
}

unsigned modifiersOf(const EmscriptenKeyboardEvent& event) {
    return (event.shiftKey ? keyModifierShift : 0u) | (event.ctrlKey ? keyModifierControl : 0u) |
           (event.altKey ? keyModifierAlt : 0u) | (event.metaKey ? keyModifierSystem : 0u);
}

// A key of the game's, as handleGameKey takes it.
KeyEvent gameKey(std::uint8_t virtualKey, bool down, const EmscriptenKeyboardEvent& event) {
    return {virtualKey, down, event.repeat != 0, modifiersOf(event)};
}

EM_BOOL keyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    // The message box takes the keyboard while it is open (page.js handles its keys).
    if (modalBoxOpen) return EM_FALSE;
    const std::uint8_t virtualKey = virtualKeyForDomCode(event->code, event->key);
    const char character = characterForDomKey(event->key);
    if (capturing) {
        if (virtualKey != 0 || character != 0) {
            ConsoleInput input;
            input.kind = ConsoleInput::keyDown;
            input.virtualKey = virtualKey;
            input.repeat = event->repeat != 0;
            input.modifiers = modifiersOf(*event);
            input.character = character;
            queueInput(input);
        }
        // Typing stays in the console; browser shortcuts held with Ctrl or Meta work
        // (Ctrl with Alt is AltGr on some systems: it types), and so do the paste keys,
        // whose paste event brings the clipboard's text.
        const bool shortcut = !keyTypesText(modifiersOf(*event)) && character != 0;
        const bool paste = ConsoleOverlay::isPasteKey(virtualKey, modifiersOf(*event));
        return shortcut || paste ? EM_FALSE : EM_TRUE;
    }
    if (!handleGameKey(gameKey(virtualKey, true, *event))) return EM_FALSE;
    return gameTakesKey(virtualKey, event->ctrlKey || event->metaKey) ? EM_TRUE : EM_FALSE;
}

// Every release clears its key, whoever had the keyboard meanwhile: a release the
// game never sees would leave the key held. While the console is open it is queued
// with the console's input, and reaches the game after the keys queued before it.
EM_BOOL keyUp(int, const EmscriptenKeyboardEvent* event, void*) {
    const std::uint8_t virtualKey = virtualKeyForDomCode(event->code, event->key);
    if (capturing) {
        if (virtualKey == 0) return EM_FALSE;
        // The console reports the console key's release to the session itself.
        ConsoleInput input;
        input.kind = ConsoleInput::keyUp;
        input.virtualKey = virtualKey;
        input.modifiers = modifiersOf(*event);
        queueInput(input);
        return EM_TRUE;
    }
    handleGameKey(gameKey(virtualKey, false, *event));
    if (virtualKey == 0) return EM_FALSE;
    return !modalBoxOpen && gameTakesKey(virtualKey, event->ctrlKey || event->metaKey) ? EM_TRUE
                                                                                       : EM_FALSE;
}

// The canvas pixel under a point of the canvas's box (CSS pixels from its left or top
// edge): page.js scales the box to fit the window, so the two differ.
int canvasPixel(double at, double boxSize, int pixels) {
    if (!(boxSize > 0.0)) return static_cast<int>(at);
    const double pixel = std::floor(at * pixels / boxSize);
    return static_cast<int>(std::clamp(pixel, -1.0, static_cast<double>(pixels)));
}

EM_BOOL mouseDown(int, const EmscriptenMouseEvent* event, void*) {
    if (!capturing || modalBoxOpen || event->button != 0 || shownWindow == nullptr) return EM_FALSE;
    double boxWidth = 0.0, boxHeight = 0.0;
    emscripten_get_element_css_size("#canvas", &boxWidth, &boxHeight);
    queueInput(
        {.kind = ConsoleInput::click,
         .x = canvasPixel(static_cast<double>(event->targetX), boxWidth, shownWindow->width),
         .y = canvasPixel(static_cast<double>(event->targetY), boxHeight, shownWindow->height)});
    return EM_TRUE;
}

// The wheel scrolls the console as far as it turned, whatever the size of its events:
// one line for every 100/3 CSS pixels (so three lines for a mouse's notch, which
// browsers report as 100 pixels), the lines of a wheel that reports lines, and a
// page's worth (Page Up, Page Down) for each page. A touchpad's stream of small
// deltas thus scrolls as far as the fingers moved. What is left of a line is kept for
// the next event in the same direction; a turn the other way starts afresh. Counted
// in hundredths of a line (a pixel is three), so that whole pixels and lines add up
// exactly.
constexpr double wheelUnitsPerLine = 100.0;
constexpr double wheelUnitsPerPixel = 3.0;
constexpr double wheelUnitsMost = 100000.0; // in one event: no overflow from odd deltas
double wheelUnitsLeft = 0.0;                // toward older lines (down the panel)

void queuePageKey(std::uint8_t virtualKey) {
    queueInput({.kind = ConsoleInput::keyDown, .virtualKey = virtualKey});
    queueInput({.kind = ConsoleInput::keyUp, .virtualKey = virtualKey});
}

EM_BOOL wheelTurned(int, const EmscriptenWheelEvent* event, void*) {
    if (!capturing || modalBoxOpen) return EM_FALSE;
    const double delta = event->deltaY;
    if (delta == 0.0 || !std::isfinite(delta)) return EM_TRUE;
    if (event->deltaMode == DOM_DELTA_PAGE) {
        // Page Down is virtual key 0x22, Page Up 0x21.
        const int pages = static_cast<int>(std::clamp(std::abs(delta), 1.0, 10.0));
        for (int i = 0; i < pages; ++i) queuePageKey(delta > 0 ? 0x22 : 0x21);
        return EM_TRUE;
    }
    const double units = std::clamp(
        delta * (event->deltaMode == DOM_DELTA_LINE ? wheelUnitsPerLine : wheelUnitsPerPixel),
        -wheelUnitsMost, wheelUnitsMost);
    if ((units > 0.0) != (wheelUnitsLeft > 0.0)) wheelUnitsLeft = 0.0;
    wheelUnitsLeft += units;
    const double lines = std::trunc(wheelUnitsLeft / wheelUnitsPerLine);
    if (lines != 0.0) {
        wheelUnitsLeft -= lines * wheelUnitsPerLine;
        queueInput({.kind = ConsoleInput::wheel, .lines = static_cast<int>(lines)});
    }
    return EM_TRUE;
}

} // namespace

CanvasSize canvasSize() {
    return {pageCanvasWidth(), pageCanvasHeight()};
}

void attach(WindowObject& window) {
    shownWindow = &window;
    // The canvas starts black, as the page's CSS and the renderer's first frame.
    canvasPixels.assign(static_cast<std::size_t>(window.width) *
                            static_cast<std::size_t>(window.height),
                        0xFF000000u);
    window.onPresent = presented;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, keyDown);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, keyUp);
    emscripten_set_mousedown_callback("#canvas", nullptr, EM_TRUE, mouseDown);
    emscripten_set_wheel_callback("#canvas", nullptr, EM_TRUE, wheelTurned);
    isActive = pageIsActive() ? 1 : 0;
}

void showGame() {
    showKeysIfChanged(); // as the start-up scripts left them
    pageShowGame();
}

void showEnded() {
    pageShowEnded();
}

bool quitRequested() {
    return quitting;
}

void requestQuit() {
    quitting = true;
    pageWake();
}

void waitUntilActive() {
    while (!isActive) pageWhenActive();
}

void sleep(std::uint32_t milliseconds) {
    emscripten_sleep(milliseconds);
}

void yield() {
    pageYield();
}

std::uint64_t microseconds() {
    return static_cast<std::uint64_t>(emscripten_get_now() * 1000.0);
}

std::uint32_t milliseconds() {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(pageClock()));
}

void messageBox(const char* text, const char* caption, unsigned style) {
    modalBoxOpen = true;
    pageMessageBox(text ? text : "", caption ? caption : "", style);
    modalBoxOpen = false;
}

void captureConsoleInput(bool capture) {
    capturing = capture;
    if (!capture) {
        // Keys that came after the console's last input are the game's, presses and
        // releases in the order they came: a press handed on without the release
        // that followed it would leave its key held.
        ConsoleInput input;
        while (takeConsoleInput(input)) {
            if (input.kind == ConsoleInput::keyDown || input.kind == ConsoleInput::keyUp)
                handleGameKey({input.virtualKey, input.kind == ConsoleInput::keyDown, input.repeat,
                               input.modifiers});
        }
        for (std::size_t key = 1; key < droppedReleases.size(); ++key)
            if (droppedReleases[key])
                handleGameKey({static_cast<std::uint8_t>(key), false, false, 0});
    }
    queueFirst = 0;
    queueLength = 0;
    droppedReleases.fill(false);
    pastedText.clear();
}

bool takeConsoleInput(ConsoleInput& input) {
    if (queueLength == 0) return false;
    input = queued[queueFirst];
    queueFirst = (queueFirst + 1) % queued.size();
    --queueLength;
    return true;
}

void waitForConsoleInput() {
    if (queueLength == 0) pageWhenWoken();
}

void showConsoleText(const char* input, const char* output) {
    pageShowConsoleText(input, output);
}

void hideConsoleText() {
    pageHideConsoleText();
}

void repaintWindow() {
    if (shownWindow != nullptr) presented(*shownWindow);
}

void frameStarted() {
    frameStart = emscripten_get_now();
}

void frameEnded() {
    ++frames;
    frameMilliseconds += emscripten_get_now() - frameStart;
}

} // namespace page

// Called by page.js.
extern "C" {

// The page became active (visible with the keyboard focus) or stopped being so. Keys
// released while the page was inactive were never seen, so none counts as held.
EMSCRIPTEN_KEEPALIVE void brawlex_set_active(int active) {
    isActive = active ? 1 : 0;
    if (!active) gameKeysLost();
    pageWake();
}

// The page's paste event while the console is open: its text, one character (a
// code point) at a time, then its end.
EMSCRIPTEN_KEEPALIVE void brawlex_paste_character(std::uint32_t character) {
    if (!page::capturing || character > 0xFF) return;
    if (page::pastedText.size() < ConsoleOverlay::inputLimit + 2) // room for a line break
        page::pastedText += static_cast<char>(character);
}
// True when the console took the paste.
EMSCRIPTEN_KEEPALIVE int brawlex_paste_end() {
    if (!page::capturing) return 0;
    page::queueInput({.kind = ConsoleInput::paste, .text = std::move(page::pastedText)});
    page::pastedText.clear();
    return 1;
}

// The page's next repaint has come: the latest frame goes onto the canvas.
EMSCRIPTEN_KEEPALIVE void brawlex_repaint() {
    page::repaint();
}

EMSCRIPTEN_KEEPALIVE std::uint32_t brawlex_frames() {
    return page::frames;
}
EMSCRIPTEN_KEEPALIVE double brawlex_frame_milliseconds() {
    return page::frameMilliseconds;
}
EMSCRIPTEN_KEEPALIVE std::uint32_t brawlex_repaints() {
    return page::repaints;
}
EMSCRIPTEN_KEEPALIVE double brawlex_repaint_milliseconds() {
    return page::repaintMilliseconds;
}
}

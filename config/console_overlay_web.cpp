// openConsole() of the web page: the console's modal loop (runConsole) on the input
// the page queues for it, over the last frame the canvas showed. The game stands
// still meanwhile: no frame runs until the console closes. The loop waits for the
// page's input without blocking the page, and uses no processor time while nothing
// happens.
#include "app/app_state.h"
#include "app/page_web.h"
#include "config/console.h"
#include "config/console_loop.h"
#include "config/console_overlay.h"
#include "graphics/software_surfaces.h"

namespace {

void startCapture() {
    page::captureConsoleInput(true);
}

void endCapture() {
    page::captureConsoleInput(false);
}

bool waitForInput() {
    page::waitForConsoleInput();
    return true;
}

// The canvas shows the window's front buffer: the picture goes there, and the
// console's two boxes beside the canvas as text while it is open.
void show(const std::uint32_t* pixels, int width, int height, const ConsoleOverlay* overlay) {
    WindowObject& window = *mainWindow;
    window.frontBuffer.assign(pixels, pixels + static_cast<std::size_t>(width) *
                                                   static_cast<std::size_t>(height));
    page::repaintWindow();
    if (overlay != nullptr)
        page::showConsoleText(overlay->input().c_str(), overlay->output().c_str());
    else
        page::hideConsoleText();
}

} // namespace

void openConsole() {
    // The page's paste comes as input of its own (Ctrl+V and Shift+Insert are left to
    // the browser, which fires it): no clipboard hook.
    ConsoleLoopHooks hooks;
    hooks.begin = startCapture;
    hooks.end = endCapture;
    hooks.waitForInput = waitForInput;
    hooks.takeInput = page::takeConsoleInput;
    hooks.show = show;
    runConsole(hooks);
}

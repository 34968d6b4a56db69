// openConsole() of the web page: a modal loop around the console drawn in the game,
// over the last frame the canvas showed. The game stands still meanwhile: no frame
// runs until the console closes. The loop waits for the page's input without
// blocking the page, and uses no processor time while nothing happens.
#include "app/app_state.h"
#include "app/page_web.h"
#include "config/console.h"
#include "config/console_overlay.h"
#include "graphics/software_surfaces.h"

#include <string>
#include <vector>

namespace {

unsigned overlayModifiers(unsigned modifiers) {
    return ((modifiers & page::modifierShift) ? ConsoleOverlay::modifierShift : 0u) |
           ((modifiers & page::modifierControl) ? ConsoleOverlay::modifierControl : 0u) |
           ((modifiers & page::modifierAlt) ? ConsoleOverlay::modifierAlt : 0u) |
           ((modifiers & page::modifierSystem) ? ConsoleOverlay::modifierSystem : 0u);
}

bool typesText(unsigned modifiers) {
    const bool altGraph =
        (modifiers & page::modifierControl) != 0 && (modifiers & page::modifierAlt) != 0;
    return altGraph || (modifiers & (page::modifierControl | page::modifierSystem)) == 0;
}

void hand(const page::ConsoleInput& input, ConsoleOverlay& overlay) {
    switch (input.kind) {
    case page::ConsoleInput::keyDown:
        if (input.virtualKey != 0)
            overlay.keyDown(input.virtualKey, input.repeat, overlayModifiers(input.modifiers));
        // The text a key types follows its key-down. Ctrl or the system key held make
        // it a shortcut, which types nothing, except Ctrl with Alt: that is how AltGr
        // arrives from some systems, and it types the characters of the right Alt.
        if (input.character != 0 && typesText(input.modifiers))
            overlay.typeText(std::string(1, input.character));
        break;
    case page::ConsoleInput::keyUp:
        overlay.keyUp(input.virtualKey);
        break;
    case page::ConsoleInput::click:
        overlay.click(input.x, input.y);
        break;
    case page::ConsoleInput::wheel:
        overlay.wheel(input.notches);
        break;
    }
}

} // namespace

void openConsole() {
    if (mainWindow == nullptr || mainWindow->width <= 0 || mainWindow->height <= 0) return;
    WindowObject& window = *mainWindow;
    const std::size_t size =
        static_cast<std::size_t>(window.width) * static_cast<std::size_t>(window.height);
    // The game's last frame; the canvas shows it with the panel drawn over.
    std::vector<std::uint32_t> lastFrame = window.frontBuffer.size() == size
                                               ? window.frontBuffer
                                               : std::vector<std::uint32_t>(size, 0);
    if (window.frontBuffer.size() != size) window.frontBuffer.assign(size, 0);

    ConsoleOverlay overlay;
    overlay.open(window.width, window.height);
    page::captureConsoleInput(true);
    bool redraw = true;
    while (overlay.isOpen()) {
        if (redraw) {
            window.frontBuffer = lastFrame;
            overlay.draw(window.frontBuffer.data(), window.width, window.height);
            page::repaintWindow();
            page::showConsoleText(overlay.input().c_str(), overlay.output().c_str());
            redraw = false;
        }
        page::waitForConsoleInput();
        page::ConsoleInput input;
        while (overlay.isOpen() && page::takeConsoleInput(input)) {
            hand(input, overlay);
            redraw = true;
        }
    }
    page::captureConsoleInput(false);
    page::hideConsoleText();
    // The game's picture without the panel until the next frame replaces it.
    window.frontBuffer = lastFrame;
    page::repaintWindow();
}

#include "config/console_loop.h"

#include "app/app_state.h"
#include "app/key_events.h"
#include "app/platform.h"
#include "config/console_overlay.h"
#include "graphics/software_surfaces.h"

#include <vector>

bool keyTypesText(unsigned modifiers) {
    const bool altGraph =
        (modifiers & keyModifierControl) != 0 && (modifiers & keyModifierAlt) != 0;
    return altGraph || (modifiers & (keyModifierControl | keyModifierSystem)) == 0;
}

namespace {

// Hands one input to the console; true when it asked for the program's quit.
bool hand(const ConsoleInput& input, ConsoleOverlay& overlay, const ConsoleLoopHooks& hooks) {
    switch (input.kind) {
    case ConsoleInput::keyDown:
        if (input.virtualKey != 0) overlay.keyDown(input.virtualKey, input.repeat, input.modifiers);
        if (hooks.clipboardText != nullptr &&
            ConsoleOverlay::isPasteKey(input.virtualKey, input.modifiers))
            overlay.paste(hooks.clipboardText());
        // The text a key types follows its key-down.
        if (input.character != 0 && keyTypesText(input.modifiers))
            overlay.typeText(std::string(1, input.character));
        break;
    case ConsoleInput::keyUp:
        overlay.keyUp(input.virtualKey);
        break;
    case ConsoleInput::typed:
        overlay.typeText(input.text);
        break;
    case ConsoleInput::paste:
        overlay.paste(input.text);
        break;
    case ConsoleInput::click:
        overlay.click(input.x, input.y);
        break;
    case ConsoleInput::wheel:
        if (input.lines != 0)
            overlay.scrollLines(input.lines);
        else
            overlay.wheel(input.notches);
        break;
    case ConsoleInput::closeBox:
        overlay.closeBoxClicked();
        break;
    case ConsoleInput::quit:
        // A modal loop that takes the quit ends, and leaves the quit for the main loop.
        overlay.closeBoxClicked();
        return true;
    case ConsoleInput::changed:
        break;
    }
    return false;
}

} // namespace

void runConsole(const ConsoleLoopHooks& hooks) {
    if (mainWindow == nullptr || mainWindow->width <= 0 || mainWindow->height <= 0) return;
    const int width = mainWindow->width;
    const int height = mainWindow->height;
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // The game's last frame, and the picture shown: that frame with the panel over it.
    const std::vector<std::uint32_t> lastFrame = mainWindow->frontBuffer.size() == size
                                                     ? mainWindow->frontBuffer
                                                     : std::vector<std::uint32_t>(size, 0);
    std::vector<std::uint32_t> picture(size);

    ConsoleOverlay overlay;
    overlay.open(width, height);
    hooks.begin();
    bool redraw = true;
    bool quit = false;
    while (overlay.isOpen()) {
        if (redraw) {
            picture = lastFrame;
            overlay.draw(picture.data(), width, height);
            hooks.show(picture.data(), width, height, &overlay);
            redraw = false;
        }
        if (!hooks.waitForInput()) {
            overlay.closeBoxClicked(); // nothing more will come
            break;
        }
        // Everything that waits is handled before the console is drawn again; what
        // comes after the console closed stays with the platform (the game's).
        ConsoleInput input;
        while (overlay.isOpen() && hooks.takeInput(input)) {
            if (hand(input, overlay, hooks)) quit = true;
            redraw = true;
        }
    }
    hooks.end();
    // The game's picture without the panel until the next frame replaces it.
    hooks.show(lastFrame.data(), width, height, nullptr);
    if (quit) requestQuit(0);
}

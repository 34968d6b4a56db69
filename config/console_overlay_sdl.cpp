// openConsole() of the desktop program: a modal SDL event loop around the console
// drawn in the game, over the last frame the game window showed. The game stands
// still meanwhile: no frame runs until the console closes.
#include "app/app_state.h"
#include "app/desktop_sdl.h"
#include "app/eight_bit_text.h"
#include "config/console.h"
#include "config/console_overlay.h"
#include "graphics/software_surfaces.h"

#include <vector>

namespace {

// Hands one event to the console; the events of other windows are not its own.
void handleEvent(const SDL_Event& event, ConsoleOverlay& overlay, bool& redraw) {
    const Uint32 ours = SDL_GetWindowID(desktop::gameWindow);
    switch (event.type) {
    case SDL_QUIT: {
        // A modal loop that takes the quit ends, and leaves the quit for the main loop.
        overlay.closeBoxClicked();
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        break;
    }
    case SDL_WINDOWEVENT:
        if (event.window.windowID != ours) break;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            overlay.closeBoxClicked(); // the window's close box closes the console
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            isActive = 1;
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            isActive = 0;
        }
        redraw = true;
        break;
    case SDL_KEYDOWN: {
        if (event.key.windowID != ours) break;
        const std::uint8_t vk = desktop::virtualKeyOf(event.key);
        if (vk != 0) overlay.keyDown(vk, event.key.repeat != 0, desktop::modifiersOf(event.key));
        redraw = true;
        break;
    }
    case SDL_KEYUP: {
        if (event.key.windowID != ours) break;
        const std::uint8_t vk = desktop::virtualKeyOf(event.key);
        if (vk != 0) overlay.keyUp(vk);
        break;
    }
    case SDL_TEXTINPUT: {
        if (event.text.windowID != ours) break;
        overlay.typeText(eightBitText(event.text.text));
        redraw = true;
        break;
    }
    case SDL_MOUSEWHEEL: {
        if (event.wheel.windowID != ours) break;
        const int notches =
            event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        overlay.wheel(notches);
        redraw = true;
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID != ours || event.button.button != SDL_BUTTON_LEFT) break;
        overlay.click(event.button.x, event.button.y);
        redraw = true;
        break;
    default:
        break;
    }
}

} // namespace

void openConsole() {
    if (desktop::gameWindow == nullptr || mainWindow == nullptr) return;
    const WindowObject& window = *mainWindow;
    const int width = window.width;
    const int height = window.height;
    if (width <= 0 || height <= 0) return;
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // The game's last frame, and the picture shown: that frame with the panel over it.
    std::vector<std::uint32_t> lastFrame = window.frontBuffer.size() == size
                                               ? window.frontBuffer
                                               : std::vector<std::uint32_t>(size, 0);
    std::vector<std::uint32_t> picture(size);

    ConsoleOverlay overlay;
    overlay.open(width, height);
    SDL_StartTextInput();
    bool redraw = true;
    while (overlay.isOpen()) {
        if (redraw) {
            picture = lastFrame;
            overlay.draw(picture.data(), width, height);
            desktop::showPicture(picture.data(), width, height);
            redraw = false;
        }
        SDL_Event event;
        if (SDL_WaitEvent(&event) == 0) {
            overlay.closeBoxClicked(); // the event queue failed: nothing more will come
            break;
        }
        handleEvent(event, overlay, redraw);
    }
    SDL_StopTextInput();
    // The game's picture without the panel until the next frame replaces it.
    desktop::showPicture(lastFrame.data(), width, height);
}

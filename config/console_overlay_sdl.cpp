// openConsole() of the desktop program: the console's modal loop (runConsole) on SDL's
// event queue, over the last frame the game window showed. The game stands still
// meanwhile: no frame runs until the console closes.
#include "app/app_state.h"
#include "app/desktop_sdl.h"
#include "app/eight_bit_text.h"
#include "config/console.h"
#include "config/console_loop.h"

namespace {

void startTextInput() {
    SDL_StartTextInput();
}

// Text is read only while the console is open.
void stopTextInput() {
    SDL_StopTextInput();
}

bool waitForEvent() {
    return SDL_WaitEvent(nullptr) != 0;
}

// The console's input of one event; false for events that are not its own (other
// windows', and kinds it does not take).
bool translate(const SDL_Event& event, ConsoleInput& input) {
    const Uint32 ours = SDL_GetWindowID(desktop::gameWindow);
    input = ConsoleInput{};
    switch (event.type) {
    case SDL_QUIT:
        input.kind = ConsoleInput::quit;
        return true;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != ours) return false;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            input.kind = ConsoleInput::closeBox; // the window's close box closes the console
        } else {
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) isActive = 1;
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) isActive = 0;
            input.kind = ConsoleInput::changed;
        }
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (event.key.windowID != ours) return false;
        input.kind = event.type == SDL_KEYDOWN ? ConsoleInput::keyDown : ConsoleInput::keyUp;
        input.virtualKey = desktop::virtualKeyOf(event.key);
        input.repeat = event.key.repeat != 0;
        input.modifiers = desktop::modifiersOf(event.key);
        return true;
    case SDL_TEXTINPUT:
        if (event.text.windowID != ours) return false;
        input.kind = ConsoleInput::typed;
        input.text = eightBitText(event.text.text);
        return true;
    case SDL_MOUSEWHEEL:
        if (event.wheel.windowID != ours) return false;
        input.kind = ConsoleInput::wheel;
        input.notches =
            event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        return true;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID != ours || event.button.button != SDL_BUTTON_LEFT) return false;
        input.kind = ConsoleInput::click;
        input.x = event.button.x;
        input.y = event.button.y;
        return true;
    default:
        return false;
    }
}

bool takeEvent(ConsoleInput& input) {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (translate(event, input)) return true;
    return false;
}

void show(const std::uint32_t* pixels, int width, int height, const ConsoleOverlay*) {
    desktop::showPicture(pixels, width, height);
}

// The clipboard holds UTF-8; the console types 8-bit characters.
std::string clipboardText() {
    char* text = SDL_GetClipboardText();
    if (text == nullptr) return {};
    std::string eightBit = eightBitText(text);
    SDL_free(text);
    return eightBit;
}

} // namespace

void openConsole() {
    if (desktop::gameWindow == nullptr) return;
    ConsoleLoopHooks hooks;
    hooks.begin = startTextInput;
    hooks.end = stopTextInput;
    hooks.waitForInput = waitForEvent;
    hooks.takeInput = takeEvent;
    hooks.show = show;
    hooks.clipboardText = clipboardText;
    runConsole(hooks);
}

// The platform services of app/platform.h on SDL2, and the game window's picture.
//
// Every message box is also written to standard error as one line, so that a player
// without a window system, and the end-to-end tests, can read it:
//
//     brawlex: message box: caption=<caption> text=<text>
//
// with a backslash, a carriage return and a line feed in either written as \\, \r and
// \n, so the line is the whole box. The line is written before the box is shown.
#include "app/desktop_sdl.h"

#include "app/platform.h"
#include "app/scancode_keys.h"
#include "app/us_keyboard_layout.h"
#include "config/console_overlay.h"
#include "graphics/software_surfaces.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace desktop {

SDL_Window* gameWindow = nullptr;
bool gameWindowShown = false;

void showPicture(const std::uint32_t* pixels, int width, int height) {
    if (gameWindow == nullptr || pixels == nullptr) return;
    SDL_Surface* surface = SDL_GetWindowSurface(gameWindow);
    if (surface == nullptr) return;
    // The window is the client size it was made with; should the window system have
    // given it another, the part both have is shown.
    const int w = std::min(width, surface->w);
    const int h = std::min(height, surface->h);
    if (w > 0 && h > 0) {
        SDL_LockSurface(surface);
        SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_RGB888, pixels, width * 4, surface->format->format,
                          surface->pixels, surface->pitch);
        SDL_UnlockSurface(surface);
    }
    SDL_UpdateWindowSurface(gameWindow);
}

void showFrame(const WindowObject& window) {
    if (window.frontBuffer.empty()) return;
    showPicture(window.frontBuffer.data(), window.width, window.height);
}

std::uint8_t virtualKeyOf(const SDL_KeyboardEvent& key) {
    return virtualKeyForScancode(static_cast<int>(key.keysym.scancode),
                                 (key.keysym.mod & KMOD_NUM) != 0);
}

unsigned modifiersOf(const SDL_KeyboardEvent& key) {
    const Uint16 mod = key.keysym.mod;
    unsigned bits = 0;
    if (mod & KMOD_SHIFT) bits |= ConsoleOverlay::modifierShift;
    if (mod & KMOD_CTRL) bits |= ConsoleOverlay::modifierControl;
    if (mod & KMOD_ALT) bits |= ConsoleOverlay::modifierAlt;
    if (mod & KMOD_GUI) bits |= ConsoleOverlay::modifierSystem;
    return bits;
}

} // namespace desktop

namespace {

std::string escaped(const char* text) {
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\\')
            out += "\\\\";
        else if (*c == '\r')
            out += "\\r";
        else if (*c == '\n')
            out += "\\n";
        else
            out += *c;
    }
    return out;
}

} // namespace

void showMessageBox(WindowHandle, const char* text, const char* caption, unsigned style) {
    text = text != nullptr ? text : "";
    caption = caption != nullptr ? caption : "";
    std::fprintf(stderr, "brawlex: message box: caption=%s text=%s\n", escaped(caption).c_str(),
                 escaped(text).c_str());
    std::fflush(stderr);

    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((style & 0xF0) == MessageBoxIconHand)
        flags = SDL_MESSAGEBOX_ERROR;
    else if ((style & 0xF0) == MessageBoxIconExclamation)
        flags = SDL_MESSAGEBOX_WARNING;
    // OK is both the Return and the Escape key's button, as in a Windows box with
    // only OK.
    const SDL_MessageBoxButtonData ok{
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"};
    const SDL_MessageBoxData box{
        flags,  desktop::gameWindowShown ? desktop::gameWindow : nullptr, caption, text, 1, &ok,
        nullptr};
    int pressed = 0;
    SDL_ShowMessageBox(&box, &pressed); // without a window system the line above is all
    // The box had the keyboard; as a Windows owner window is activated again once its
    // box is gone, the game window takes it back (without a window manager nobody
    // else would give it back, and the game would stay paused).
    if (desktop::gameWindowShown) SDL_SetWindowInputFocus(desktop::gameWindow);
}

void requestQuit(int) {
    // The quit goes through the event queue like the platform's quit message: the
    // main loop takes it once the events before it have been handled.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

std::uint8_t keyForCharacter(char character) {
    // The game's keys are the US layout's wherever the player is; text typed in the
    // console follows the player's own layout.
    return usLayoutKeyForCharacter(character);
}

std::uint32_t tickCount() {
    return static_cast<std::uint32_t>(SDL_GetTicks64());
}

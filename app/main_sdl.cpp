// The desktop program on SDL2: entry point, game window, event handling, main loop
// and shutdown, in the order of the Windows program.
#include "app/app_state.h"
#include "app/desktop_sdl.h"
#include "app/frame.h"
#include "app/gamepads_sdl.h"
#include "app/key_events.h"
#include "app/main_loop.h"
#include "app/platform.h"
#include "app/startup.h"
#include "app/window_frame_sdl.h"
#include "graphics/bmp_file.h"
#include "graphics/software_surfaces.h"

#include <cstdio>
#include <string>

// The window icon, drawn by the build from art/icon.pixmap (a .bmp held in memory).
extern const unsigned char brawlexIconBmp[];
extern const unsigned brawlexIconBmpSize;

namespace {

const char windowTitle[] = "Brawlex!";

// The software renderer's window: the client area of the game window.
WindowObject gameWindowPixels;

bool isGameWindow(Uint32 windowId) {
    return desktop::gameWindow != nullptr && SDL_GetWindowID(desktop::gameWindow) == windowId;
}

void setIcon(SDL_Window* window) {
    const auto icon = decodeBmp(brawlexIconBmp, brawlexIconBmpSize);
    if (!icon) return;
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, icon->width, icon->height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) return;
    // Black is the transparent colour of the game's pictures, the icon's too.
    for (int y = 0; y < icon->height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(surface->pixels) +
                                                     y * surface->pitch);
        for (int x = 0; x < icon->width; ++x) {
            const std::uint32_t pixel = icon->pixels[static_cast<std::size_t>(y) * icon->width + x];
            row[x] = pixel == 0 ? 0 : (0xFF000000u | pixel);
        }
    }
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

// The usable area of the display the window opens on (the desktop without its
// panels and docks): the counterpart of the Windows work area.
SDL_Rect usableArea() {
    SDL_Rect area{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &area) != 0 || area.w <= 0 || area.h <= 0) {
        if (SDL_GetDisplayBounds(0, &area) != 0) area = SDL_Rect{0, 0, 0, 0};
    }
    return area;
}

// A key went down or up in the game window. A key let go while Alt is held comes to a
// Windows program as a system key; it is let go here all the same (handleGameKey), so
// no key stays down in keyState.
void handleKey(const SDL_KeyboardEvent& key) {
    handleGameKey({desktop::virtualKeyOf(key), key.type == SDL_KEYDOWN, key.repeat != 0,
                   desktop::modifiersOf(key)});
}

void handleWindowEvent(const SDL_WindowEvent& event) {
    if (!isGameWindow(event.windowID)) return; // the loading window's are not ours
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        isActive = 1;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        isActive = 0;
        gameKeysLost(); // their releases go to another window
        break;
    case SDL_WINDOWEVENT_CLOSE:
        // The shutdown sequence destroys the window once the main loop has ended.
        requestQuit(0);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        // The last frame again: while paused no frame would repaint the window.
        desktop::showFrame(gameWindowPixels);
        break;
    default:
        break;
    }
}

// Handles one event; false for the quit.
bool handleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        return false;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (isGameWindow(event.key.windowID)) handleKey(event.key);
        break;
    default:
        break;
    }
    return true;
}

MainLoopHooks::Event takeEvent() {
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return MainLoopHooks::Event::none;
    return handleEvent(event) ? MainLoopHooks::Event::handled : MainLoopHooks::Event::quit;
}

// Without the keyboard focus: no processor time until the next event (the focus
// coming back is one), pads attached or not: SDL does not poll them in its wait
// (gamepads_sdl.cpp), and the frames notice pads plugged in meanwhile.
void waitForEvent() {
    SDL_WaitEvent(nullptr);
}

void sleepMilliseconds(std::uint32_t milliseconds) {
    SDL_Delay(milliseconds);
}

// A monotonic clock in microseconds for the frame slices.
std::uint64_t sliceClock() {
    static const Uint64 perSecond = SDL_GetPerformanceFrequency();
    const Uint64 ticks = SDL_GetPerformanceCounter();
    return ticks / perSecond * 1000000u + ticks % perSecond * 1000000u / perSecond;
}

// Handles every waiting event and runs a frame per 10 ms slice until the quit.
void runGame() {
    MainLoopHooks hooks;
    hooks.takeEvent = takeEvent;
    hooks.waitForEvent = waitForEvent;
    hooks.sleep = sleepMilliseconds;
    hooks.clock = sliceClock;
    hooks.runFrame = runFrame;
    runMainLoop(hooks);
}

} // namespace

int main(int, char**) {
    // Closing the window is the game's own decision (a quit, or closing the console),
    // not SDL's.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
#if defined(__linux__)
    // The frames go to the window through the X server's shared-memory image, one copy.
    // SDL's default on X11 goes through OpenGL, which where there is no graphics
    // driver (a virtual machine, a virtual or remote X server) is Mesa's software
    // rasteriser: several milliseconds of processor time a frame for a plain copy. The
    // SDL_FRAMEBUFFER_ACCELERATION environment variable still overrides this.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
#endif
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "brawlex: cannot start the video system: %s\n", SDL_GetError());
        return 1;
    }
    // Without a window system SDL falls back on drivers that show nothing; a player
    // would have a game he cannot see. They serve only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (requested == nullptr || *requested == '\0') &&
        (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0 ||
         SDL_strcmp(driver, "evdev") == 0)) {
        // Say why the window systems there are refused, where one was named.
        std::string reasons;
        for (const char* system : {"x11", "wayland"}) {
            SDL_VideoQuit();
            if (SDL_VideoInit(system) != 0)
                reasons += std::string(" ") + system + ": " + SDL_GetError();
        }
        std::fprintf(stderr,
                     "brawlex: no display to open the window on (no X server or Wayland "
                     "compositor; is DISPLAY or WAYLAND_DISPLAY set?)%s\n",
                     reasons.c_str());
        SDL_Quit();
        return 1;
    }
    // Text is read only while the console is open.
    SDL_StopTextInput();

    const SDL_Rect area = usableArea();
    if (area.w <= 0 || area.h <= 0) {
        std::fprintf(stderr, "brawlex: no display to open the window on: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    desktop::gameWindow =
        SDL_CreateWindow(windowTitle, area.x, area.y, area.w, area.h, SDL_WINDOW_HIDDEN);
    if (desktop::gameWindow == nullptr) {
        std::fprintf(stderr, "brawlex: cannot create the window: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    setIcon(desktop::gameWindow);

    // The play area is the client area, fixed here as on Windows. The window covers
    // the usable area with its frame where the window system says how thick that is,
    // and with its client area where it does not (no window manager).
    desktop::fitWindowToArea(desktop::gameWindow, area);
    int width = 0, height = 0;
    SDL_GetWindowSize(desktop::gameWindow, &width, &height);
    gameWindowPixels.width = width;
    gameWindowPixels.height = height;
    gameWindowPixels.onPresent = desktop::showFrame;
    mainWindow = &gameWindowPixels;

    startGame(mainWindow);
    SDL_ShowWindow(desktop::gameWindow);
    SDL_RaiseWindow(desktop::gameWindow);
    desktop::gameWindowShown = true;

    runGame();

    shutdownGame();
    closeGamepads();
    desktop::gameWindowShown = false;
    SDL_DestroyWindow(desktop::gameWindow);
    desktop::gameWindow = nullptr;
    mainWindow = nullptr;
    SDL_Quit();
    return 0;
}

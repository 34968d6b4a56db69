// The Windows program: entry point, window class, window procedure, main loop
// and shutdown.
#include "app/app_state.h"
#include "app/frame.h"
#include "app/gamepads_win32.h"
#include "app/key_events.h"
#include "app/main_loop.h"
#include "app/main_loop_hooks.h"
#include "app/platform.h"
#include "app/startup.h"
#include "resources/resource_ids.h"

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>

namespace {

const char windowClassName[] = "Dorvo's Class";
const char windowTitle[] = "Brawlex!";

HWND hwndOf(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
HINSTANCE hinstanceOf(InstanceHandle instance) {
    return reinterpret_cast<HINSTANCE>(instance);
}

} // namespace

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool registerWindowClass() {
    WNDCLASSA windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = hinstanceOf(appInstance);
    windowClass.hIcon = LoadIconA(hinstanceOf(appInstance), MAKEINTRESOURCEA(IDI_BRAWLEX));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = windowClassName;
    return RegisterClassA(&windowClass) != 0;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        isActive = LOWORD(wParam) != WA_INACTIVE ? 1 : 0;
        return 0;
    case WM_CLOSE:
        // The shutdown sequence destroys the window once the main loop has ended.
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        // System keys come as WM_SYSKEYDOWN and WM_SYSKEYUP and are left to
        // DefWindowProcA. Bit 30 is the key's previous state: set on the keyboard's
        // repeats.
        if (wParam < 256)
            handleGameKey({static_cast<std::uint8_t>(wParam), message == WM_KEYDOWN,
                           ((lParam >> 30) & 1) != 0, 0, true});
        return 0;
    case WM_DEVICECHANGE:
        // Perhaps a pad was plugged in: look for one at every frame for a while.
        noteDeviceChange();
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

namespace {

// A monotonic clock in microseconds for the frame slices. GetTickCount advances in
// steps of the system tick (10 to 16 ms), far too coarse to time a 10 ms slice.
std::uint64_t sliceClock() {
    static const LONGLONG ticksPerSecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const auto ticks = static_cast<std::uint64_t>(now.QuadPart);
    const auto perSecond = static_cast<std::uint64_t>(ticksPerSecond);
    return ticks / perSecond * 1000000u + ticks % perSecond * 1000000u / perSecond;
}

MainLoopHooks::Event takeMessage() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return MainLoopHooks::Event::none;
    if (message.message == WM_QUIT) return MainLoopHooks::Event::quit;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return MainLoopHooks::Event::handled;
}

// Paused: blocks until a message arrives instead of polling the queue.
void waitForMessage() {
    WaitMessage();
}

void sleepMilliseconds(std::uint32_t milliseconds) {
    Sleep(milliseconds);
}

// Handles every waiting message and runs a frame per 10 ms slice until the quit
// message arrives.
void runGame() {
    // A 1 ms timer resolution while the game runs, so that the sleep before a frame
    // lasts what it asks for instead of a whole default scheduler tick (~15.6 ms).
    const bool fineTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
    mainLoopStarted();

    MainLoopHooks hooks;
    hooks.takeEvent = takeMessage;
    hooks.waitForEvent = waitForMessage;
    hooks.sleep = sleepMilliseconds;
    hooks.clock = sliceClock;
    hooks.runFrame = runFrame;
    hooks.frameStarting = frameStarting;
    hooks.frameEnded = frameEnded;
    runMainLoop(hooks);

    mainLoopEnded();
    if (fineTimer) timeEndPeriod(1);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    appInstance = reinterpret_cast<InstanceHandle>(instance);

    if (!registerWindowClass()) {
        MessageBoxA(nullptr, "Could not register window class.", "Error", MB_OK);
        return 0;
    }

    RECT workArea{0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);

    HWND window = CreateWindowExA(
        WS_EX_APPWINDOW, windowClassName, windowTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
        0, workArea.right + 1, workArea.bottom + 1, nullptr, nullptr, instance, nullptr);
    mainWindow = reinterpret_cast<WindowHandle>(window);
    if (!window) {
        MessageBoxA(nullptr, "Could not create window.", "Error", MB_OK);
        return 0;
    }

    startGame(mainWindow);
    ShowWindow(window, SW_SHOW);

    runGame();

    shutdownGame();
    DestroyWindow(hwndOf(mainWindow));
    return 0;
}

// The Windows program: entry point, window class, window procedure, main loop
// and shutdown.
#include "app/app_state.h"
#include "app/frame.h"
#include "app/frame_pacing.h"
#include "app/gamepads_win32.h"
#include "app/key_state.h"
#include "app/main_loop_hooks.h"
#include "app/platform.h"
#include "app/startup.h"
#include "config/console_session.h"
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
        if (wParam >= 256) return 0;
        // Bit 30 is the key's previous state: set on the keyboard's repeats. The
        // console session decides whether the console key counts as down.
        if (wParam == keyForCharacter('`') && !consoleKeyDown(((lParam >> 30) & 1) != 0)) return 0;
        keyState[wParam] = 1;
        return 0;
    case WM_KEYUP:
        if (wParam >= 256) return 0;
        keyState[wParam] = 0;
        if (wParam == keyForCharacter('`')) consoleKeyUp();
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

// Handles every waiting message and runs a frame per 10 ms slice until the quit
// message arrives.
void runMainLoop() {
    // A 1 ms timer resolution while the game runs, so that the sleep before a frame
    // lasts what it asks for instead of a whole default scheduler tick (~15.6 ms).
    const bool fineTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
    mainLoopStarted();

    FramePacer pacer;
    MSG message;
    for (;;) {
        // Every waiting message is handled before the next frame.
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        if (!isActive) {
            // Paused: block until a message arrives instead of polling the queue.
            // Activation comes as a message, so frames resume on the next idle pass.
            WaitMessage();
            continue;
        }
        const std::uint32_t pause = pacer.millisecondsUntilFrame(sliceClock());
        if (pause) {
            Sleep(pause);
            continue;
        }
        frameStarting();
        runFrame();
        frameEnded();
    }

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

    runMainLoop();

    shutdownGame();
    DestroyWindow(hwndOf(mainWindow));
    return 0;
}

// The Windows program: entry point, window class, window procedure, main loop
// and shutdown.
#include "app/app_state.h"
#include "app/frame.h"
#include "app/frame_pacing.h"
#include "app/key_state.h"
#include "app/startup.h"
#include "resources/resource_ids.h"

#include <windows.h>

#include <mmsystem.h>

#ifdef BRAWLEX_FRAME_STATS
#include <cstdio>
#include <vector>
#endif

namespace {

const char windowClassName[] = "Dorvo's Class";
const char windowTitle[] = "Brawlex!";

HWND hwndOf(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
HINSTANCE hinstanceOf(InstanceHandle instance) {
    return reinterpret_cast<HINSTANCE>(instance);
}

#ifdef BRAWLEX_FRAME_STATS
// Frame statistics of the benchmark build (brawlex_bench.exe only; the shipped
// program has none of this).
//
// The main loop records the QueryPerformanceCounter value at the start of every
// frame. When the loop ends, "frame-stats.txt" is written in the working folder:
// one "name value" pair per line, names fixed, values in C locale decimal:
//
//   frames 997                 frames run by the main loop
//   wall_seconds 10.004        from entering the main loop to taking the quit message
//   frames_per_second 99.66    frames / wall_seconds
//   cpu_ms_per_frame 0.412     process CPU time (user + kernel) spent inside the main
//                              loop, in milliseconds, divided by frames
//   interval_ms_mean 10.03     mean time between consecutive frame starts
//   interval_ms_max 16.21      longest time between consecutive frame starts
//
// Start-up (sprite generation, scripts) is outside both the wall time and the CPU
// time. With fewer than two frames the interval lines read 0; with no frames
// frames_per_second and cpu_ms_per_frame read 0 too.
class FrameStats {
  public:
    void begin() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&loopStart_);
        cpuStart_ = processCpuMilliseconds();
        frameStarts_.reserve(1 << 16);
    }

    void frameStarted() {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        frameStarts_.push_back(now.QuadPart);
    }

    void end() const {
        LARGE_INTEGER loopEnd;
        QueryPerformanceCounter(&loopEnd);
        const double cpuMs = processCpuMilliseconds() - cpuStart_;
        const double ticksPerSecond = static_cast<double>(frequency_.QuadPart);
        const double wallSeconds =
            static_cast<double>(loopEnd.QuadPart - loopStart_.QuadPart) / ticksPerSecond;
        const std::size_t frames = frameStarts_.size();

        double meanMs = 0.0;
        double maxMs = 0.0;
        for (std::size_t i = 1; i < frames; ++i) {
            const double ms = static_cast<double>(frameStarts_[i] - frameStarts_[i - 1]) * 1000.0 /
                              ticksPerSecond;
            meanMs += ms;
            if (ms > maxMs) maxMs = ms;
        }
        if (frames > 1) meanMs /= static_cast<double>(frames - 1);

        std::FILE* file = std::fopen("frame-stats.txt", "w");
        if (!file) return;
        std::fprintf(file, "frames %zu\n", frames);
        std::fprintf(file, "wall_seconds %.3f\n", wallSeconds);
        std::fprintf(file, "frames_per_second %.2f\n",
                     wallSeconds > 0.0 ? static_cast<double>(frames) / wallSeconds : 0.0);
        std::fprintf(file, "cpu_ms_per_frame %.3f\n",
                     frames ? cpuMs / static_cast<double>(frames) : 0.0);
        std::fprintf(file, "interval_ms_mean %.2f\n", meanMs);
        std::fprintf(file, "interval_ms_max %.2f\n", maxMs);
        std::fclose(file);
    }

  private:
    static double processCpuMilliseconds() {
        FILETIME creation, exit, kernel, user;
        if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) return 0.0;
        auto hundredNs = [](const FILETIME& t) {
            return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        return static_cast<double>(hundredNs(kernel) + hundredNs(user)) / 10000.0;
    }

    LARGE_INTEGER frequency_{};
    LARGE_INTEGER loopStart_{};
    double cpuStart_ = 0.0;
    std::vector<long long> frameStarts_;
};
#endif

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
        if (wParam < 256) keyState[wParam] = 1;
        return 0;
    case WM_KEYUP:
        if (wParam < 256) keyState[wParam] = 0;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

namespace {

// The millisecond clock that measures the frame slice. GetTickCount advances in
// steps of the system tick (10 to 16 ms), so a frame that straddles a step reads
// as a whole slice and the next frame follows at once, while the others sleep the
// full 10 ms: frames come in uneven bursts. The multimedia clock counts in the same
// milliseconds and wraps the same way, and with the 1 ms timer resolution set below
// it is exact to the millisecond.
std::uint32_t sliceClock() {
    return static_cast<std::uint32_t>(timeGetTime());
}

// Handles every waiting message and runs a frame per 10 ms slice until the quit
// message arrives.
void runMainLoop() {
    // A 1 ms timer resolution while the game runs, so that the sleep after a frame
    // lasts what it asks for instead of a whole default scheduler tick (~15.6 ms).
    const bool fineTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
#ifdef BRAWLEX_FRAME_STATS
    FrameStats stats;
    stats.begin();
#endif

    MSG message;
    for (;;) {
        const std::uint32_t t0 = sliceClock();
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        if (isActive) {
#ifdef BRAWLEX_FRAME_STATS
            stats.frameStarted();
#endif
            runFrame();
            const std::uint32_t pause = sleepAfterFrame(t0, sliceClock());
            if (pause) Sleep(pause);
        } else {
            // Paused: block until a message arrives instead of polling the queue.
            // Activation comes as a message, so frames resume on the next idle pass.
            WaitMessage();
        }
    }

#ifdef BRAWLEX_FRAME_STATS
    stats.end();
#endif
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

// Start-up benchmark of the Windows program, run under Wine by scripts/bench-startup
// in a folder holding brawlex.exe and its data files.
//
// 1. Sprite generation alone: generateWeaponSprites with the GDI renderer over a
//    hidden window (loading dialog included), against a baseline of 1,440 bare
//    bitmap round trips (memory DC, compatible bitmap, GetDIBits, SetDIBits) of a
//    50 x 50 image, the least any generation of 1,440 bitmaps must do. The two are
//    measured alternately, several times, in the same run.
// 2. Launch to window shown: starts brawlex.exe with CreateProcess and polls every
//    millisecond until its game window is visible, then closes it as the close box
//    does and waits for it to end. Several launches.
//
// Writes "startup-stats.txt": one "name value" pair per line, times in milliseconds:
//   generation_ms_median, generation_ms_min, round_trips_ms_median, round_trips_ms_min,
//   generation_ratio (generation median / round-trip median),
//   generation_ratio_min (generation minimum / round-trip minimum: the least disturbed
//   runs, steadier on a busy machine),
//   kept_round_trips_ms_median, generation_ratio_kept (the same round trips with the
//   1,440 results kept alive to the end, as the generation's sprites and masks are),
//   launches, launch_ms_median, launch_ms_min, launch_ms_max, launch_failures.
// Exit code 0 when everything ran, 1 otherwise.

#include "graphics/renderer.h"
#include "graphics/weapon_sprites.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int repetitions = 5;
constexpr int launchCount = 5;
constexpr int roundTrips = 1440;

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double minimum(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

// 1,440 copies of a 50 x 50 bitmap through 32-bit pixel buffers, as every rotation
// and mask does, without the pixel work in between. With keepResults the copies stay
// alive until the timing ends, as the generation's 1,440 sprites and masks do.
double timeRoundTrips(HDC windowDC, HBITMAP source, bool keepResults) {
    constexpr int side = 50;
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels;
    std::vector<HBITMAP> kept;
    kept.reserve(roundTrips);
    const double start = nowMs();
    for (int i = 0; i < roundTrips; ++i) {
        HDC work = CreateCompatibleDC(windowDC);
        HBITMAP result = CreateCompatibleBitmap(windowDC, side, side);
        pixels.assign(side * side, 0);
        GetDIBits(work, source, 0, side, pixels.data(), &info, DIB_RGB_COLORS);
        SetDIBits(work, result, 0, side, pixels.data(), &info, DIB_RGB_COLORS);
        if (keepResults)
            kept.push_back(result);
        else
            DeleteObject(result);
        DeleteDC(work);
    }
    const double elapsed = nowMs() - start;
    for (HBITMAP bitmap : kept) DeleteObject(bitmap);
    return elapsed;
}

HWND createHiddenWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "BrawlexStartupBench";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, windowClass.lpszClassName, "startup bench", WS_OVERLAPPEDWINDOW, 0, 0,
                           800, 600, nullptr, nullptr, windowClass.hInstance, nullptr);
}

struct GenerationTimes {
    std::vector<double> generation;
    std::vector<double> roundTrips;
    std::vector<double> keptRoundTrips;
};

bool measureGeneration(GenerationTimes& times) {
    HWND window = createHiddenWindow();
    if (!window) return false;
    Renderer bench;
    bench.init(reinterpret_cast<WindowHandle>(window));
    BitmapHandle gun = bench.loadBitmap("gun.bmp");
    if (!gun) {
        bench.shutdown();
        DestroyWindow(window);
        return false;
    }
    HDC windowDC = GetDC(window);
    for (int i = 0; i < repetitions; ++i) {
        times.roundTrips.push_back(timeRoundTrips(windowDC, reinterpret_cast<HBITMAP>(gun), false));
        times.keptRoundTrips.push_back(
            timeRoundTrips(windowDC, reinterpret_cast<HBITMAP>(gun), true));
        const double start = nowMs();
        generateWeaponSprites(bench);
        times.generation.push_back(nowMs() - start);
        releaseWeaponSprites();
    }
    ReleaseDC(window, windowDC);
    deleteBitmap(gun);
    bench.shutdown();
    DestroyWindow(window);
    return true;
}

struct LaunchTimes {
    std::vector<double> shown;
    int failures = 0;
};

HWND visibleGameWindow(DWORD processId) {
    HWND window = FindWindowA("Dorvo's Class", "Brawlex!");
    while (window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) return window;
        window = FindWindowExA(nullptr, window, "Dorvo's Class", "Brawlex!");
    }
    return nullptr;
}

void measureLaunches(LaunchTimes& times) {
    for (int i = 0; i < launchCount; ++i) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        char commandLine[] = "brawlex.exe";
        const double start = nowMs();
        if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            ++times.failures;
            continue;
        }
        HWND shown = nullptr;
        while (!shown && nowMs() - start < 30000.0) {
            shown = visibleGameWindow(process.dwProcessId);
            if (!shown) {
                if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
                Sleep(1);
            }
        }
        if (shown) {
            times.shown.push_back(nowMs() - start);
            PostMessageA(shown, WM_CLOSE, 0, 0);
        } else {
            ++times.failures;
        }
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    GenerationTimes generation;
    const bool generated = measureGeneration(generation);
    LaunchTimes launches;
    measureLaunches(launches);

    std::FILE* file = std::fopen("startup-stats.txt", "w");
    if (!file) return 1;
    const double generationMedian = median(generation.generation);
    const double roundTripMedian = median(generation.roundTrips);
    std::fprintf(file, "generation_ms_median %.1f\n", generationMedian);
    std::fprintf(file, "generation_ms_min %.1f\n", minimum(generation.generation));
    std::fprintf(file, "round_trips_ms_median %.1f\n", roundTripMedian);
    std::fprintf(file, "round_trips_ms_min %.1f\n", minimum(generation.roundTrips));
    std::fprintf(file, "generation_ratio %.2f\n",
                 roundTripMedian > 0.0 ? generationMedian / roundTripMedian : 0.0);
    const double roundTripMin = minimum(generation.roundTrips);
    std::fprintf(file, "generation_ratio_min %.2f\n",
                 roundTripMin > 0.0 ? minimum(generation.generation) / roundTripMin : 0.0);
    const double keptMedian = median(generation.keptRoundTrips);
    std::fprintf(file, "kept_round_trips_ms_median %.1f\n", keptMedian);
    std::fprintf(file, "generation_ratio_kept %.2f\n",
                 keptMedian > 0.0 ? generationMedian / keptMedian : 0.0);
    std::fprintf(file, "launches %zu\n", launches.shown.size());
    std::fprintf(file, "launch_ms_median %.1f\n", median(launches.shown));
    std::fprintf(file, "launch_ms_min %.1f\n", minimum(launches.shown));
    std::fprintf(file, "launch_ms_max %.1f\n", maximum(launches.shown));
    std::fprintf(file, "launch_failures %d\n", launches.failures);
    std::fclose(file);
    return generated && launches.failures == 0 ? 0 : 1;
}

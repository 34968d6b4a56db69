// Frame statistics of the desktop program, taken from outside it: a library preloaded
// into the unchanged program (LD_PRELOAD) that counts its presents. The desktop program
// presents the game window once a frame with SDL_UpdateWindowSurface, so its presents
// are frames while the console is closed; the window presented most often is taken to
// be the game's (the loading window presents too, before it). When the program exits
// the figures are written to the file named by BRAWLEX_PRESENT_STATS, one "name value"
// line each:
//
//   frames 1000               presents of the game window
//   wall_seconds 10.00        from the first present to the last
//   frames_per_second 99.9    (frames - 1) / wall_seconds
//   cpu_ms_per_frame 0.41     the process's CPU time (user + system) between the first
//                             and the last present, per frame
//
// Start-up (before the first present) counts in neither. Built and used by
// scripts/bench-web:  g++ -shared -fPIC -O2 bench/present_stats_sdl.cpp -o ... -ldl
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

struct SDL_Window;

namespace {

struct Presents {
    SDL_Window* window = nullptr;
    unsigned long count = 0;
    timespec firstWall{}, lastWall{}, firstCpu{}, lastCpu{};
};
// The first few windows presented; the game has two at most (loading, game).
Presents windows[4];

double seconds(const timespec& from, const timespec& to) {
    return static_cast<double>(to.tv_sec - from.tv_sec) +
           static_cast<double>(to.tv_nsec - from.tv_nsec) / 1e9;
}

struct Report {
    ~Report() {
        const char* path = std::getenv("BRAWLEX_PRESENT_STATS");
        if (path == nullptr) return;
        std::FILE* file = std::fopen(path, "w");
        if (file == nullptr) return;
        const Presents* game = &windows[0];
        for (const Presents& w : windows)
            if (w.count > game->count) game = &w;
        const unsigned long frames = game->count;
        const double wall = seconds(game->firstWall, game->lastWall);
        const double cpu = seconds(game->firstCpu, game->lastCpu);
        std::fprintf(file, "frames %lu\n", frames);
        std::fprintf(file, "wall_seconds %.3f\n", wall);
        std::fprintf(file, "frames_per_second %.2f\n",
                     wall > 0.0 ? static_cast<double>(frames - 1) / wall : 0.0);
        std::fprintf(file, "cpu_ms_per_frame %.3f\n",
                     frames > 1 ? cpu * 1000.0 / static_cast<double>(frames - 1) : 0.0);
        std::fclose(file);
    }
} report;

} // namespace

extern "C" int SDL_UpdateWindowSurface(SDL_Window* window) {
    using Real = int (*)(SDL_Window*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface"));
    timespec wall, cpu;
    clock_gettime(CLOCK_MONOTONIC, &wall);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    for (Presents& w : windows) {
        if (w.count != 0 && w.window != window) continue;
        if (w.count++ == 0) {
            w.window = window;
            w.firstWall = wall;
            w.firstCpu = cpu;
        }
        w.lastWall = wall;
        w.lastCpu = cpu;
        break;
    }
    return real != nullptr ? real(window) : -1;
}

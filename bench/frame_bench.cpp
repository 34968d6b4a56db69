// CPU time of one frame step (both players, the bullet walk with its drawing, and
// the present) with a given number of live bullets flying across the play area.
#include "app/frame.h"
#include "tests/support/headless_game.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

// Bullets at fixed pseudo-random places in the upper part of a 1920 x 1040 play
// area, flying in every direction; the players stand on the floor below, out of reach.
std::vector<Bullet> flyingBullets(int count) {
    std::vector<Bullet> out;
    out.reserve(static_cast<std::size_t>(count));
    std::uint32_t state = 7;
    auto next = [&state](std::uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    };
    for (int i = 0; i < count; ++i) {
        const float x = 20.0f + static_cast<float>(next(1880));
        const float y = 20.0f + static_cast<float>(next(860));
        out.emplace_back(x, y, static_cast<int>(next(360)), static_cast<int>(i & 1));
    }
    return out;
}

void BM_FrameStep(benchmark::State& state) {
    Arena arena({.width = 1920, .height = 1040});
    arena.game().frames(120); // both players land on the floor
    const std::vector<Bullet> start = flyingBullets(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        bullets = start;
        state.ResumeTiming();
        runFrame();
    }
    state.counters["bullets_left"] = static_cast<double>(bullets.size());
    bullets.clear();
}

} // namespace

BENCHMARK(BM_FrameStep)->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

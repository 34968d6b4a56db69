// CPU time of one frame simulated without drawing (both players and the bullet walk,
// no renderer, no sound, no boxes) with a given number of live bullets, and of
// saving, loading, encoding and checksumming the game state.
#include "app/frame.h"
#include "game/simulation.h"
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

// A game standing on the floor with `count` bullets in flight.
GameState gameWithBullets(Arena& arena, int count) {
    arena.game().frames(120); // both players land on the floor
    bullets = flyingBullets(count);
    return saveGame();
}

void BM_SimulateFrame(benchmark::State& state) {
    Arena arena({.width = 1920, .height = 1040});
    const GameState start = gameWithBullets(arena, static_cast<int>(state.range(0)));
    FrameEvents events;
    for (auto _ : state) {
        state.PauseTiming();
        loadGame(start);
        state.ResumeTiming();
        simulateFrame(FrameInput{}, events);
        benchmark::DoNotOptimize(events.bulletPixels.data());
    }
    state.counters["bullets_left"] = static_cast<double>(bullets.size());
    bullets.clear();
}

void BM_SaveGame(benchmark::State& state) {
    Arena arena({.width = 1920, .height = 1040});
    gameWithBullets(arena, static_cast<int>(state.range(0)));
    GameState saved;
    for (auto _ : state) {
        saveGame(saved);
        benchmark::DoNotOptimize(saved.bullets.data());
    }
    bullets.clear();
}

void BM_LoadGame(benchmark::State& state) {
    Arena arena({.width = 1920, .height = 1040});
    const GameState saved = gameWithBullets(arena, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        loadGame(saved);
        benchmark::DoNotOptimize(bullets.data());
    }
    bullets.clear();
}

void BM_EncodeAndChecksum(benchmark::State& state) {
    Arena arena({.width = 1920, .height = 1040});
    const GameState saved = gameWithBullets(arena, static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        bytes.clear();
        encodeState(saved, bytes);
        benchmark::DoNotOptimize(checksumBytes(bytes));
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
    bullets.clear();
}

} // namespace

BENCHMARK(BM_SimulateFrame)->Arg(0)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveGame)->Arg(0)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadGame)->Arg(0)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeAndChecksum)->Arg(0)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

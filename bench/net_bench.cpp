// Online play: the cost of rolling back the whole prediction window with 100 bullets
// in flight, and a minute of a match between two machines over a simulated network
// for each round trip and loss (10 ms of jitter, random keys): frames a second on
// each side, frames stalled a minute, rollbacks a second with their mean and
// greatest depth, and processor time per frame. scripts/bench-net runs them in the
// optimised tree.
#include "app/frame.h"
#include "game/simulation.h"
#include "net/rollback_session.h"
#include "tests/support/headless_game.h"
#include "tests/support/sim_network.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

std::vector<Bullet> flyingBullets(int count) {
    std::vector<Bullet> out;
    std::uint32_t state = 7;
    auto next = [&state](std::uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    };
    for (int i = 0; i < count; ++i)
        out.emplace_back(20.0f + static_cast<float>(next(1880)),
                         20.0f + static_cast<float>(next(860)), static_cast<int>(next(360)),
                         static_cast<int>(i & 1));
    return out;
}

void BM_FullWindowRollback(benchmark::State& state) {
    Arena arena({.width = 1920, .height = 1040});
    arena.game().frames(120);
    bullets = flyingBullets(static_cast<int>(state.range(0)));
    const int window = net::defaultPredictionWindow;
    std::vector<GameState> ring(static_cast<std::size_t>(window) + 1);
    saveGame(ring[0]);
    FrameEvents events;
    for (auto _ : state) {
        // Restore the oldest frame and simulate the window again, saving each frame.
        for (int f = 0; f < window; ++f) {
            loadGame(ring[static_cast<std::size_t>(f)]);
            simulateFrame(FrameInput{}, events);
            saveGame(ring[static_cast<std::size_t>(f) + 1]);
        }
    }
    state.counters["frames"] = window;
    bullets.clear();
}
BENCHMARK(BM_FullWindowRollback)->Arg(100)->Unit(benchmark::kMicrosecond);

struct Random {
    std::uint64_t s;
    std::uint32_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<std::uint32_t>(s >> 32);
    }
};

// A minute of a match (6000 frames on each side) at the given round trip and loss.
void BM_NetMatch(benchmark::State& state) {
    const auto rtt = static_cast<std::uint32_t>(state.range(0));
    const auto loss = static_cast<std::uint32_t>(state.range(1));
    constexpr std::uint32_t frames = 6000;
    double fps[2] = {}, stalls = 0, rollbacks = 0, depthSum = 0, deepest = 0, cpuPerFrame = 0;
    for (auto _ : state) {
        Arena arena({.width = 640, .height = 480, .heroWidth = 40, .heroHeight = 30});
        SimNetwork network(SimLink{rtt / 2, 10, loss, 0}, 42);
        net::RollbackSession peers[2];
        std::uint64_t next[2] = {0, 0};
        std::uint8_t held[2] = {0, 0};
        Random random{99};
        std::uint64_t now = 1'000'000;
        network.setTime(now);
        peers[0].host(network.socket(0), saveGame(), 1, now / 1000);
        peers[1].join(network.socket(1), SimNetwork::address(0), 2, now / 1000);
        const std::clock_t cpuStart = std::clock();
        std::uint64_t started[2] = {0, 0};
        std::uint32_t startFrame[2] = {0, 0};
        bool done[2] = {false, false};
        std::uint64_t doneAt[2] = {0, 0};
        for (int tick = 0; tick < 2'000'000 && !(done[0] && done[1]); ++tick) {
            now += 1000;
            network.setTime(now);
            for (int i = 0; i < 2; ++i) {
                net::RollbackSession& s = peers[i];
                if (now < next[i]) continue;
                s.poll(now / 1000);
                if (s.phase() == net::RollbackSession::Phase::Stopped) s.ready(false, now / 1000);
                if (random.next() % 12 == 0)
                    held[i] = static_cast<std::uint8_t>(random.next() & ~0x40u);
                const std::uint32_t frameBefore = s.frame();
                // The minute is counted from each side's first frame: both start at
                // the time they agreed on, the one who knew first waiting for it.
                if (s.advance(PlayerInput{held[i]}, now / 1000) && started[i] == 0) {
                    started[i] = now;
                    startFrame[i] = frameBefore;
                }
                if (!done[i] && started[i] && s.frame() - startFrame[i] >= frames) {
                    done[i] = true;
                    doneAt[i] = now;
                }
                next[i] = std::max(now, (next[i] ? next[i] : now) + 10'000 + s.pacingStretchUs());
            }
        }
        const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        double seconds[2];
        for (int i = 0; i < 2; ++i) {
            const net::SessionStats& st = peers[i].stats();
            seconds[i] = done[i] ? static_cast<double>(doneAt[i] - started[i]) / 1e6 : 1e9;
            fps[i] = frames / seconds[i];
            stalls += static_cast<double>(st.stalledFrames) / (seconds[i] / 60.0) / 2;
            rollbacks += static_cast<double>(st.rollbacks) / seconds[i] / 2;
            if (st.rollbacks)
                depthSum += static_cast<double>(st.framesRolledBack) /
                            static_cast<double>(st.rollbacks) / 2;
            deepest = std::max(deepest, static_cast<double>(st.deepestRollback));
        }
        cpuPerFrame = cpu / (2.0 * frames) * 1e6;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["fps_host"] = fps[0];
    state.counters["fps_joiner"] = fps[1];
    state.counters["stalls_per_min"] = stalls / n;
    state.counters["rollbacks_per_s"] = rollbacks / n;
    state.counters["mean_depth"] = depthSum / n;
    state.counters["max_depth"] = deepest;
    state.counters["cpu_us_per_frame"] = cpuPerFrame;
}
BENCHMARK(BM_NetMatch)
    ->ArgsProduct({{0, 60, 120, 200, 300}, {0, 2, 5}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

// A tournament of the computer players, headless: hundreds of matches for each
// pairing of levels (and against a fighter who presses nothing and one who presses
// random keys), sides swapped every match, each to the first death. Prints a table
// of wins, the median match length and the processor time per decision.
//
//   cpu_tournament [--matches N] [--width W] [--height H] [--limit SECONDS]
#include "ai/cpu_player.h"
#include "app/app_state.h"
#include "app/frame.h"
#include "game/game_state.h"
#include "game/player.h"
#include "game/simulation.h"
#include "tests/support/headless_game.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Who plays a side: a computer level, or one of the two yardsticks.
enum class Fighter { Still, Random, Easy, Normal, Hard };

const char* nameOf(Fighter f) {
    switch (f) {
    case Fighter::Still:
        return "NOTHING";
    case Fighter::Random:
        return "RANDOM";
    case Fighter::Easy:
        return "EASY";
    case Fighter::Normal:
        return "NORMAL";
    case Fighter::Hard:
        return "HARD";
    }
    return "?";
}

CpuLevel levelOf(Fighter f) {
    switch (f) {
    case Fighter::Easy:
        return CpuLevel::Easy;
    case Fighter::Normal:
        return CpuLevel::Normal;
    case Fighter::Hard:
        return CpuLevel::Hard;
    default:
        return CpuLevel::Off;
    }
}

struct Pairing {
    Fighter a, b;
    const char* target; // what a is to do against b
    double share;       // the share of matches a is to win
};

// The processor time of this thread, in nanoseconds.
std::int64_t threadNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct DecisionClock {
    std::int64_t nanoseconds = 0;
    std::int64_t decisions = 0;
};

// A fighter who presses random keys: every few frames a new random set of the eight.
struct RandomKeys {
    std::uint32_t state;
    std::uint8_t held = 0;

    PlayerInput next() {
        state = state * 1664525u + 1013904223u;
        if ((state >> 24) % 12 == 0) held = static_cast<std::uint8_t>(state >> 8);
        return PlayerInput{held};
    }
};

struct Result {
    int winner; // 0 for side a, 1 for side b, -1 for none within the limit
    int frames;
    bool bySword;
};

Result playMatch(const GameState& start, Fighter a, Fighter b, bool swapped, std::uint32_t seed,
                 int limitFrames, DecisionClock clocks[5], std::int64_t clockCost) {
    loadGame(start);
    const Fighter bySide[2] = {swapped ? b : a, swapped ? a : b};
    CpuState brains[2];
    RandomKeys randoms[2] = {{seed * 2 + 17}, {seed * 2 + 91}};
    for (int side = 0; side < 2; ++side)
        resetCpuState(brains[side], levelOf(bySide[side]), seed * 2 + static_cast<unsigned>(side));

    FrameEvents events;
    for (int frame = 1; frame <= limitFrames; ++frame) {
        FrameInput input;
        for (int side = 0; side < 2; ++side) {
            const Fighter f = bySide[side];
            if (f == Fighter::Random) {
                input.players[side] = randoms[side].next();
            } else if (f != Fighter::Still) {
                const CpuView view{players[side],  players[1 - side], bullets,
                                   playArea.right, playArea.bottom,   gravity};
                const std::int64_t t0 = threadNanoseconds();
                input.players[side] = decideCpuInput(brains[side], view);
                DecisionClock& c = clocks[static_cast<int>(f)];
                c.nanoseconds += threadNanoseconds() - t0 - clockCost;
                ++c.decisions;
            }
        }
        simulateFrame(input, events);
        if (!events.deaths.empty()) {
            const int loserSide = events.deaths.front().side;
            const int winnerSide = 1 - loserSide;
            // Side a is side 0 unless swapped.
            return {(winnerSide == 0) != swapped ? 0 : 1, frame,
                    events.deaths.front().message.caption == "Swordkill"};
        }
    }
    return {-1, limitFrames, false};
}

int argument(int argc, char** argv, const char* name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    return fallback;
}

} // namespace

int main(int argc, char** argv) {
    const int matches = std::max(2, argument(argc, argv, "--matches", 200));
    const int width = argument(argc, argv, "--width", 800);
    const int height = argument(argc, argv, "--height", 600);
    const int limitSeconds = std::max(1, argument(argc, argv, "--limit", 300));
    const int limitFrames = limitSeconds * 100;

    // The real start-up in a scratch folder; every match starts from its state, with
    // the death phrases from one seed and no computer player inside the game (the
    // tournament asks its own brains, to time them).
    Arena arena(Arena::Options{width, height, 60, 40});
    GameState start = saveGame();
    start.deathPhrases.value = 1;
    start.cpu[0] = start.cpu[1] = CpuState{};

    // What one reading of the clock costs, taken off every decision's time.
    std::int64_t clockCost = 0;
    {
        const int n = 20000;
        const std::int64_t t0 = threadNanoseconds();
        for (int i = 0; i < n; ++i) threadNanoseconds();
        clockCost = (threadNanoseconds() - t0) / n;
    }

    const Pairing pairings[] = {
        {Fighter::Hard, Fighter::Normal, "3 of 4", 0.75},
        {Fighter::Normal, Fighter::Easy, "3 of 4", 0.75},
        {Fighter::Hard, Fighter::Easy, "3 of 4", 0.75},
        {Fighter::Easy, Fighter::Still, "every one", 1.0},
        {Fighter::Easy, Fighter::Random, "95 %", 0.95},
    };

    std::printf("Computer players: %d matches a pairing, sides swapped every match, %d x %d,"
                " at most %d s of play a match\n\n",
                matches, width, height, limitSeconds);
    std::printf("%-18s %9s %9s %7s %15s   %s\n", "pairing (A v B)", "A wins", "B wins", "draws",
                "median length", "target for A");
    DecisionClock clocks[5];
    bool allMet = true;
    std::uint32_t seed = 1;
    for (const Pairing& p : pairings) {
        int wins[2] = {0, 0};
        int draws = 0;
        int swordKills = 0;
        std::vector<int> lengths;
        for (int m = 0; m < matches; ++m) {
            const Result r =
                playMatch(start, p.a, p.b, m % 2 == 1, seed++, limitFrames, clocks, clockCost);
            if (r.winner < 0)
                ++draws;
            else
                ++wins[r.winner];
            lengths.push_back(r.frames);
            if (r.bySword) ++swordKills;
        }
        std::sort(lengths.begin(), lengths.end());
        const double median =
            lengths.size() % 2 == 1
                ? lengths[lengths.size() / 2]
                : (lengths[lengths.size() / 2 - 1] + lengths[lengths.size() / 2]) / 2.0;
        // Between computers a match is also to end, in 15 to 120 seconds of play.
        const bool computers = p.b != Fighter::Still && p.b != Fighter::Random;
        const bool lengthOk = !computers || (median >= 1500 && median <= 12000);
        const bool met = wins[0] >= p.share * matches && lengthOk;
        allMet = allMet && met;
        const std::string name = std::string(nameOf(p.a)) + " v " + nameOf(p.b);
        std::printf("%-18s %4d %3.0f%% %4d %3.0f%% %7d %13.1f s %6.0f%%   %s: %s\n", name.c_str(),
                    wins[0], 100.0 * wins[0] / matches, wins[1], 100.0 * wins[1] / matches, draws,
                    median / 100.0, 100.0 * swordKills / matches, p.target,
                    met ? "met" : "NOT MET");
    }
    std::printf(
        "\nProcessor time per decision (thread CPU time, clock cost of %lld ns taken off):\n",
        static_cast<long long>(clockCost));
    for (Fighter f : {Fighter::Easy, Fighter::Normal, Fighter::Hard}) {
        const DecisionClock& c = clocks[static_cast<int>(f)];
        if (c.decisions == 0) continue;
        std::printf("  %-7s %8.2f us over %lld decisions\n", nameOf(f),
                    static_cast<double>(c.nanoseconds) / 1000.0 / static_cast<double>(c.decisions),
                    static_cast<long long>(c.decisions));
    }
    return allMet ? 0 : 1;
}

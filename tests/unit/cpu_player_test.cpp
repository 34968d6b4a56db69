// The computer player: SET CPU, the eight actions as its only way into the game,
// determinism, a person's pace, and that it fights.
#include "ai/cpu_player.h"
#include "ai/cpu_players.h"
#include "app/frame.h"
#include "command/interpreter.h"
#include "demo/demo_io.h"
#include "demo/demo_replay.h"
#include "game/simulation.h"
#include "tests/support/headless_game.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr CpuLevel levels[] = {CpuLevel::Easy, CpuLevel::Normal, CpuLevel::Hard};

// Every test leaves both fighters to their keys, whatever it set.
class CpuPlayerTest : public ::testing::Test {
  protected:
    void TearDown() override { cpuPlayers[0] = cpuPlayers[1] = CpuState{}; }
};

// A match to compare with another: no computer player yet, and the death phrases'
// generator (seeded from the clock at start-up) at one seed.
void startMatch() {
    cpuPlayers[0] = cpuPlayers[1] = CpuState{};
    GameState state = saveGame();
    state.deathPhrases.value = 1;
    loadGame(state);
}

// The game's state without the computer players' memory.
std::uint64_t gameChecksum() {
    GameState state = saveGame();
    state.cpu[0] = state.cpu[1] = CpuState{};
    return stateChecksum(state);
}

// Player 1's keys of a frame: a busy person walking, jumping, aiming and shooting.
PlayerInput humanKeys(int frame) {
    static constexpr std::uint8_t pattern[] = {
        InputRight | InputAttack,
        InputJump | InputRight,
        InputAimUp | InputAttack,
        InputLeft,
        InputSword,
        InputAimDown | InputAttack,
        0,
        InputGrapple,
    };
    return PlayerInput{pattern[(frame / 23) % std::size(pattern)]};
}

TEST_F(CpuPlayerTest, SetCpuGivesAFighterToTheComputerAndBadWordsChangeNothing) {
    Arena arena;
    ExecuteCommandLine("set cpu 2 hard");
    EXPECT_EQ(cpuPlayers[1].level, CpuLevel::Hard);
    EXPECT_EQ(cpuPlayers[0].level, CpuLevel::Off);

    // Refused whole, as other SET variables refuse bad players and values.
    for (const char* line :
         {"SET CPU 3 EASY", "SET CPU 0 EASY", "SET CPU -1 EASY", "SET CPU X EASY",
          "SET CPU 2 MEDIUM", "SET CPU 2", "SET CPU", "SET CPU 2 1", "SET CPU 2 OFFF"}) {
        ExecuteCommandLine(line);
        EXPECT_EQ(cpuPlayers[0].level, CpuLevel::Off) << line;
        EXPECT_EQ(cpuPlayers[1].level, CpuLevel::Hard) << line;
    }

    // RESTART and RESET leave it; both fighters may be the computer's; OFF gives
    // one back.
    ExecuteCommandLine("SET CPU 1 EASY;RESTART;RESET");
    EXPECT_EQ(cpuPlayers[0].level, CpuLevel::Easy);
    EXPECT_EQ(cpuPlayers[1].level, CpuLevel::Hard);
    ExecuteCommandLine("SET CPU 1 OFF");
    EXPECT_EQ(cpuPlayers[0].level, CpuLevel::Off);

    // The same level again keeps what the computer remembers.
    arena.game().frames(30);
    const CpuState before = cpuPlayers[1];
    ExecuteCommandLine("SET CPU 2 HARD");
    EXPECT_EQ(cpuPlayers[1], before);
}

// The shipped autoexec.cfg shows how to fight the computer: its commented line,
// with the // taken off, gives player 2 to it.
TEST_F(CpuPlayerTest, TheShippedAutoexecShowsHowToFightTheComputer) {
    Arena arena;
    arena.folder().copyGameFile("autoexec.cfg");
    std::istringstream lines(readFile("autoexec.cfg"));
    std::string shown;
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("// SET CPU ", 0) == 0) shown = line.substr(3);
    ASSERT_FALSE(shown.empty());
    while (!shown.empty() && (shown.back() == '\r' || shown.back() == ' ')) shown.pop_back();
    ExecuteCommandLine(shown);
    EXPECT_NE(cpuPlayers[1].level, CpuLevel::Off);
}

// The computer's fighter does in the game exactly what its eight actions make him
// do: the same match played again from the same start without the computer, with
// the inputs it chose, is the same game at every frame. Its own keys (all held
// here) do nothing, and player 1's keys reach player 1 unchanged.
TEST_F(CpuPlayerTest, EachLevelPlaysOnlyThroughTheEightActions) {
    for (CpuLevel level : levels) {
        SCOPED_TRACE(cpuLevelName(level));
        std::vector<std::uint8_t> chosen;
        std::vector<std::uint64_t> sums;
        FrameEvents events;
        {
            Arena arena;
            startMatch();
            setCpuLevel(1, level);
            for (int f = 0; f < 1500; ++f) {
                simulateFrame(FrameInput{{humanKeys(f), PlayerInput{0xFF}}}, events);
                chosen.push_back(cpuPlayers[1].held);
                sums.push_back(gameChecksum());
            }
            EXPECT_NE(std::count(chosen.begin(), chosen.end(), 0xFF), 1500);
        }
        Arena arena;
        startMatch();
        for (int f = 0; f < 1500; ++f) {
            simulateFrame(FrameInput{{humanKeys(f), PlayerInput{chosen[f]}}}, events);
            ASSERT_EQ(gameChecksum(), sums[f]) << "frame " << f;
        }
    }
}

TEST_F(CpuPlayerTest, TakesOnlyTheFightersItPlays) {
    Arena arena;
    FrameInput input{{PlayerInput{0x5A}, PlayerInput{0xA5}}};
    takeCpuControls(input);
    EXPECT_EQ(input, (FrameInput{{PlayerInput{0x5A}, PlayerInput{0xA5}}}));

    setCpuLevel(1, CpuLevel::Normal);
    input = FrameInput{{PlayerInput{0x5A}, PlayerInput{0xFF}}};
    takeCpuControls(input);
    EXPECT_EQ(input.players[0].held, 0x5A);
    EXPECT_EQ(input.players[1].held, cpuPlayers[1].held);
}

// The same match twice is the same match; and a state restored from its encoding
// (as a rollback or a demo's start does) goes on exactly as the first time.
TEST_F(CpuPlayerTest, IsDeterministicAndRestoresFromTheState) {
    auto play = [](int frames, std::vector<std::uint64_t>& sums) {
        FrameEvents events;
        for (int f = 0; f < frames; ++f) {
            simulateFrame(FrameInput{}, events);
            sums.push_back(stateChecksum(saveGame()));
        }
    };
    std::vector<std::uint64_t> first;
    std::vector<std::uint64_t> second;
    std::vector<std::uint8_t> middle;
    {
        Arena arena;
        startMatch();
        setCpuLevel(0, CpuLevel::Hard);
        setCpuLevel(1, CpuLevel::Normal);
        play(1500, first);
        middle = encodeState(saveGame());
        play(1500, first);
    }
    Arena arena;
    startMatch();
    setCpuLevel(0, CpuLevel::Hard);
    setCpuLevel(1, CpuLevel::Normal);
    play(3000, second);
    EXPECT_EQ(first, second);

    GameState restored;
    ASSERT_TRUE(decodeState(middle, restored));
    loadGame(restored);
    std::vector<std::uint64_t> again;
    play(1500, again);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), first.begin() + 1500));
}

// A match against the computer recorded with RECORD replays in step from its demo:
// the computer's choices come back from the recorded state, also after SET CPU
// changes it between frames.
TEST_F(CpuPlayerTest, AMatchAgainstTheComputerReplaysInStepFromItsDemo) {
    Arena arena;
    ExecuteCommandLine("SET CPU 2 HARD;RECORD CPUMATCH");
    arena.game().frames(600, {player1Keys.attack, player1Keys.right});
    ExecuteCommandLine("SET CPU 1 NORMAL;SET CPU 2 EASY");
    arena.game().frames(600);
    const std::uint64_t recorded = stateChecksum(saveGame());
    ExecuteCommandLine("STOP");

    Demo demo;
    std::string why;
    ASSERT_TRUE(readDemoFile("CPUMATCH.DEM", demo, why)) << why;
    arena.game().frames(50, {player2Keys.sword});
    const DemoReplay replay = replayDemo(demo);
    EXPECT_EQ(replay.outOfStep, 0u);
    EXPECT_EQ(replay.frames, 1200u);
    EXPECT_EQ(replay.finalChecksum, recorded);
}

// No action changes faster than a person's fingers: after a change it stays at
// least the level's minimum number of frames.
TEST_F(CpuPlayerTest, ChangesNoActionFasterThanAPerson) {
    for (CpuLevel level : levels) {
        SCOPED_TRACE(cpuLevelName(level));
        Arena arena;
        setCpuLevel(0, level);
        setCpuLevel(1, CpuLevel::Hard);
        std::uint8_t last = 0;
        int changedAt[8];
        std::fill(std::begin(changedAt), std::end(changedAt), -1000);
        int changes = 0;
        FrameEvents events;
        for (int f = 0; f < 4000; ++f) {
            simulateFrame(FrameInput{}, events);
            const std::uint8_t held = cpuPlayers[0].held;
            for (int bit = 0; bit < 8; ++bit) {
                if (((held ^ last) >> bit & 1) == 0) continue;
                ASSERT_GE(f - changedAt[bit], cpuMinimumHold(level)) << "bit " << bit;
                changedAt[bit] = f;
                ++changes;
            }
            last = held;
        }
        EXPECT_GT(changes, 50);
    }
}

// It sees the screen a reaction time late: a bullet fired at it from close by
// hits before it can even have seen it; one from across the screen it jumps.
TEST_F(CpuPlayerTest, ReactsToBulletsOnlyAfterItsReactionTime) {
    struct Case {
        CpuLevel level;
        float bulletX; // the bullet's start; the fighter stands at x 600
        bool dodges;
    };
    for (const Case c : {Case{CpuLevel::Easy, 570.0f, false}, Case{CpuLevel::Hard, 570.0f, false},
                         Case{CpuLevel::Hard, 250.0f, true}}) {
        SCOPED_TRACE(std::string(cpuLevelName(c.level)) + " from x " + std::to_string(c.bulletX));
        Arena arena;
        arena.game().standOnFloor(1, 20.0f);
        arena.game().standOnFloor(2, 600.0f);
        setCpuLevel(1, c.level);
        FrameEvents events;
        simulateFrame(FrameInput{}, events);
        // At the height of its body, flying right at it.
        const PointF centre = arena.player(2).centre();
        bullets.emplace_back(c.bulletX, centre.y, 0, 0);
        const int hpBefore = arena.player(2).hp;
        for (int f = 0; f < 80 && arena.player(2).hp == hpBefore; ++f)
            simulateFrame(FrameInput{}, events);
        EXPECT_EQ(arena.player(2).hp < hpBefore, !c.dodges);
    }
}

// Every level beats a fighter who does nothing, and the death box names him.
TEST_F(CpuPlayerTest, EachLevelKillsAStillOpponent) {
    for (CpuLevel level : levels) {
        SCOPED_TRACE(cpuLevelName(level));
        Arena arena;
        setCpuLevel(1, level);
        FrameEvents events;
        int frames = 0;
        while (events.deaths.empty() && frames < 12000) {
            simulateFrame(FrameInput{}, events);
            ++frames;
        }
        ASSERT_EQ(events.deaths.size(), 1u);
        EXPECT_GT(frames, 450) << "no quicker than 25 body shots";
        EXPECT_EQ(events.deaths[0].side, 0);
        EXPECT_EQ(events.deaths[0].message.text.rfind("Player 1 died", 0), 0u);
    }
}

TEST_F(CpuPlayerTest, EncodingRoundTripsAndRefusesWhatNoGameReaches) {
    Arena arena;
    setCpuLevel(0, CpuLevel::Normal);
    setCpuLevel(1, CpuLevel::Hard);
    arena.game().frames(300);
    std::vector<std::uint8_t> bytes;
    encodeCpuState(cpuPlayers[1], bytes);
    const std::size_t size = bytes.size();
    encodeCpuState(cpuPlayers[0], bytes);

    std::span<const std::uint8_t> in(bytes);
    CpuState a;
    CpuState b;
    ASSERT_TRUE(decodeCpuState(a, in));
    ASSERT_TRUE(decodeCpuState(b, in));
    EXPECT_TRUE(in.empty());
    EXPECT_EQ(a, cpuPlayers[1]);
    EXPECT_EQ(b, cpuPlayers[0]);

    struct Hostile {
        const char* what;
        std::size_t at; // byte to overwrite (size for "cut short")
        std::uint8_t value;
    };
    // Offsets: level 0, generator 1..4, ring 5 and 6, then the first sighting
    // (threat count at 34).
    for (const Hostile h : {Hostile{"unknown level", 0, 4}, Hostile{"threat count", 34, 200},
                            Hostile{"cut short", size - 1, 0}}) {
        SCOPED_TRACE(h.what);
        std::vector<std::uint8_t> bad(bytes.begin(), bytes.begin() + static_cast<long>(size));
        if (h.at == size - 1)
            bad.pop_back();
        else
            bad[h.at] = h.value;
        std::span<const std::uint8_t> badIn(bad);
        CpuState untouched = cpuPlayers[0];
        EXPECT_FALSE(decodeCpuState(untouched, badIn));
        EXPECT_EQ(untouched, cpuPlayers[0]);
    }
}

} // namespace

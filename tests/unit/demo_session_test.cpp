// RECORD, STOP, PLAYDEMO and TIMEDEMO in the headless game: a match with deaths and
// console changes recorded, replayed in step to the same death boxes, and every file
// the commands cannot use refused with one line and the game left as it was.
#include "app/key_state.h"
#include "app/platform_headless.h"
#include "command/console_text.h"
#include "command/interpreter.h"
#include "demo/demo_io.h"
#include "demo/demo_replay.h"
#include "demo/demo_session.h"
#include "game/simulation.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t escapeKey = 0x1B;

// Runs a console line between frames; the newest line it printed.
std::string run(const std::string& line) {
    consoleText.clear();
    ExecuteCommandLine(line);
    return consoleText.substr(0, consoleText.find("\r\n"));
}

std::uint64_t liveChecksum() {
    return stateChecksum(saveGame());
}

std::vector<std::string> boxTexts() {
    std::vector<std::string> texts;
    for (const RecordedMessageBox& box : headless_platform::messageBoxes) texts.push_back(box.text);
    return texts;
}

class DemoSessionTest : public ::testing::Test {
  protected:
    Arena arena;

    void SetUp() override { ExecuteCommandLine("ECHOOFF"); } // only what the commands print

    void TearDown() override {
        if (demoRecording()) stopRecording();
    }

    // 450 frames: a shoot-out in which player 2 dies twice (his hit points set low
    // from the console), gravity changed, a new game started; the live checksum at
    // the end and the death boxes seen.
    void recordMatch(const std::string& line = "RECORD MATCH") {
        arena.game().standOnFloor(1, 100);
        arena.game().standOnFloor(2, 300);
        ASSERT_EQ(run(line), "Recording MATCH.DEM");
        arena.game().frames(20, {player1Keys.attack});
        run("SET HP 2 2");
        arena.game().frames(80, {player1Keys.attack, player2Keys.jump});
        run("SET GRAV LOW;SET HP 2 1");
        arena.game().frames(150, {player1Keys.attack, player1Keys.aimUp, player2Keys.left});
        run("RESTART");
        arena.game().frames(200, {player1Keys.right, player2Keys.attack, player2Keys.left});
        recordedChecksum = liveChecksum();
        recordedBoxes = boxTexts();
        ASSERT_EQ(run("STOP"), "Recorded MATCH.DEM: 450 frames");
    }
    std::uint64_t recordedChecksum = 0;
    std::vector<std::string> recordedBoxes;
};

TEST_F(DemoSessionTest, ARecordedMatchReplaysInStep) {
    recordMatch();
    ASSERT_GE(recordedBoxes.size(), 1u) << "the match should hold a death";
    Demo demo;
    std::string why;
    ASSERT_TRUE(readDemoFile("MATCH.DEM", demo, why)) << why;
    EXPECT_EQ(demo.frames, 450u);
    EXPECT_GE(demo.changes.size(), 3u);

    // From a game that has moved on, the replay still reaches the recorded end.
    arena.game().frames(30, {player2Keys.attack});
    const DemoReplay replay = replayDemo(demo);
    EXPECT_TRUE(replay.started);
    EXPECT_EQ(replay.outOfStep, 0u);
    EXPECT_EQ(replay.frames, 450u);
    EXPECT_EQ(replay.finalChecksum, recordedChecksum);
}

TEST_F(DemoSessionTest, PlaydemoShowsTheSameDeathsThenGivesTheGameBack) {
    recordMatch();
    headless_platform::messageBoxes.clear();
    arena.game().frames(10, {player2Keys.right});
    const std::uint64_t before = liveChecksum();

    EXPECT_EQ(run("playdemo match"), "Playing MATCH.DEM");
    // The players' keys do nothing while it plays.
    int frames = 0;
    while (demoPlaying() && frames < 1000) {
        arena.game().frame({player1Keys.jump, player2Keys.sword, player2Keys.left});
        ++frames;
    }
    EXPECT_EQ(frames, 450);
    EXPECT_EQ(boxTexts(), recordedBoxes); // the same phrases, in the same order
    EXPECT_EQ(liveChecksum(), before);
}

TEST_F(DemoSessionTest, EscapePressedDuringTheDemoEndsIt) {
    recordMatch();
    const std::uint64_t before = liveChecksum();
    keyState[escapeKey] = 1; // still held from closing the console: not a new press
    run("PLAYDEMO MATCH.DEM");
    arena.game().step();
    arena.game().step();
    EXPECT_TRUE(demoPlaying());
    keyState[escapeKey] = 0;
    arena.game().step();
    keyState[escapeKey] = 1;
    arena.game().step();
    EXPECT_FALSE(demoPlaying());
    EXPECT_EQ(keyState[escapeKey], 0);
    EXPECT_EQ(liveChecksum(), before);
}

TEST_F(DemoSessionTest, TimedemoPrintsFramesTimeAndTheFinalChecksum) {
    recordMatch();
    headless_platform::messageBoxes.clear();
    const std::uint64_t before = liveChecksum();
    const std::string line = run("TIMEDEMO MATCH.DEM");
    const std::regex shape(
        R"(450 frames, [0-9]+\.[0-9]{3} s, [0-9]+\.[0-9] fps, checksum ([0-9a-f]{16}))");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
    EXPECT_EQ(match[1].str(), checksumText(recordedChecksum));
    EXPECT_TRUE(headless_platform::messageBoxes.empty()) << "deaths go by without a box";
    EXPECT_EQ(liveChecksum(), before);
}

TEST_F(DemoSessionTest, ADemoOutOfStepSaysWhichSecondAndStops) {
    recordMatch();
    Demo demo;
    std::string why;
    ASSERT_TRUE(readDemoFile("MATCH.DEM", demo, why));
    demo.checksums[1] ^= 1; // the second second no longer agrees
    ASSERT_TRUE(replaceFileWith("BAD.DEM", encodeDemo(demo)));
    EXPECT_EQ(replayDemo(demo).outOfStep, 2u);

    headless_platform::messageBoxes.clear();
    const std::uint64_t before = liveChecksum();
    EXPECT_EQ(run("TIMEDEMO BAD.DEM"), "TIMEDEMO: BAD.DEM is out of step at second 2");
    ASSERT_EQ(headless_platform::messageBoxes.size(), 1u);
    EXPECT_NE(headless_platform::messageBoxes[0].text.find("second 2"), std::string::npos);
    EXPECT_EQ(liveChecksum(), before);

    headless_platform::messageBoxes.clear();
    run("PLAYDEMO BAD.DEM");
    int frames = 0;
    while (demoPlaying() && frames < 1000) {
        arena.game().step();
        ++frames;
    }
    EXPECT_EQ(frames, 200);
    ASSERT_FALSE(headless_platform::messageBoxes.empty());
    EXPECT_NE(headless_platform::messageBoxes.back().text.find("out of step at second 2"),
              std::string::npos);
}

TEST_F(DemoSessionTest, AnExistingFileIsReplacedOnlyByStop) {
    arena.folder().write("match.dem", "kept until STOP");
    run("RECORD MATCH.DEM");
    arena.game().frames(5);
    EXPECT_EQ(readFile("match.dem"), "kept until STOP");
    EXPECT_EQ(run("STOP"), "Recorded match.dem: 5 frames");
    EXPECT_FALSE(std::filesystem::exists("MATCH.DEM"))
        << "the file of that name is the one replaced";
    Demo demo;
    std::string why;
    EXPECT_TRUE(readDemoFile("match.dem", demo, why)) << why;
}

TEST_F(DemoSessionTest, CommandsThatCannotRunSayOneLineAndChangeNothing) {
    arena.folder().write("NOTES.TXT", "BIND 1 JUMP W\r\n");
    recordMatch();
    Demo demo;
    std::string why;
    ASSERT_TRUE(readDemoFile("MATCH.DEM", demo, why));
    std::vector<std::uint8_t> bytes = encodeDemo(demo);
    bytes.resize(bytes.size() / 2);
    std::ofstream("HALF.DEM", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const std::uint64_t before = liveChecksum();
    const auto files = std::distance(std::filesystem::directory_iterator("."), {});

    struct Case {
        const char* line;
        const char* printed;
    };
    const Case cases[] = {
        {"PLAYDEMO NOTES.TXT", "PLAYDEMO: NOTES.TXT is not a demo"},
        {"TIMEDEMO HALF", "TIMEDEMO: HALF.DEM is cut short"},
        {"PLAYDEMO NOWHERE", "PLAYDEMO: NOWHERE was not found"},
        {"PLAYDEMO", "PLAYDEMO <file>"},
        {"RECORD", "RECORD <file>"},
        {"STOP", "STOP: not recording"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.line), c.printed);
        EXPECT_FALSE(demoPlaying()) << c.line;
        EXPECT_FALSE(demoRecording()) << c.line;
    }
    EXPECT_EQ(liveChecksum(), before);
    // Frames without a recording write nothing.
    arena.game().frames(3);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), files);
}

TEST_F(DemoSessionTest, ANormalQuitWritesTheRecordingWhole) {
    EXPECT_EXIT(
        {
            run("RECORD QUIT.DEM");
            arena.game().frames(150, {player1Keys.attack});
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    Demo demo;
    std::string why;
    ASSERT_TRUE(readDemoFile("QUIT.DEM", demo, why)) << why;
    EXPECT_EQ(demo.frames, 150u);
}

} // namespace

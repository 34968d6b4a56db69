// The console: history recall, the quit test, entered lines and closing, driven
// through the headless console exactly as the dialog's messages would drive it.
#include "app/key_state.h"
#include "app/platform_headless.h"
#include "command/aliases.h"
#include "command/console_text.h"
#include "command/interpreter.h"
#include "config/console.h"
#include "config/console_headless.h"
#include "config/console_session.h"
#include "tests/support/headless_game.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override { resetProgramState(); }
    void TearDown() override {
        headlessConsoleDriver = nullptr;
        resetProgramState();
    }

    // Opens the console through openConsole() and lets `drive` play the user.
    static void withConsole(const std::function<void(HeadlessConsole&)>& drive) {
        bool driven = false;
        headlessConsoleDriver = [&](HeadlessConsole& console) {
            driven = true;
            drive(console);
        };
        openConsole();
        headlessConsoleDriver = nullptr;
        ASSERT_TRUE(driven);
    }
};

enum class Key { Up, Down };

struct RecallStep {
    Key key;
    const char* input;
    int historyPos;
};

TEST_F(ConsoleTest, DownWalksBackAndUpWalksForwardToTheEmptyInput) {
    commandHistory = {"B", "A"}; // B is the newest
    const std::vector<RecallStep> steps = {
        {Key::Down, "B", 0}, {Key::Down, "A", 1}, {Key::Down, "A", 1}, // oldest: nothing
        {Key::Up, "B", 0},   {Key::Up, "", -1},   {Key::Up, "", -1},   // none recalled: nothing
        {Key::Down, "B", 0},
    };
    withConsole([&](HeadlessConsole& console) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            if (steps[i].key == Key::Up)
                console.pressUp();
            else
                console.pressDown();
            EXPECT_EQ(console.input, steps[i].input) << "step " << i;
            EXPECT_EQ(historyPos, steps[i].historyPos) << "step " << i;
        }
    });
}

TEST_F(ConsoleTest, RecallLeavesTypedTextAloneOnlyWhenItDoesNothing) {
    withConsole([](HeadlessConsole& console) {
        console.input = "typed";
        console.pressDown(); // empty history
        console.pressUp();
        EXPECT_EQ(console.input, "typed");
        EXPECT_EQ(historyPos, -1);
    });
    commandHistory = {"old line"};
    withConsole([](HeadlessConsole& console) {
        console.input = "typed";
        console.pressUp(); // nothing recalled yet
        EXPECT_EQ(console.input, "typed");
        console.pressDown(); // a recalled line replaces what was typed
        EXPECT_EQ(console.input, "old line");
    });
}

TEST_F(ConsoleTest, RecallNeverReadsOutsideTheHistory) {
    // A position left over from a longer history must not index past the list.
    commandHistory = {"only"};
    historyPos = 5;
    const ConsoleWindow window{[](const std::string& text) { EXPECT_EQ(text, ""); },
                               [](const std::string&) {}, [] {}};
    recallOlderLine(window);
    EXPECT_EQ(historyPos, 5);
    recallNewerLine(window);
    EXPECT_EQ(historyPos, 4);
}

TEST_F(ConsoleTest, OpeningShowsTheConsoleTextAndLetsGoOfEveryKey) {
    consoleText = "newest\r\nolder\r\n";
    keyState['D'] = 1;
    keyState[0xC0] = 1;
    keyState[255] = 1;
    withConsole([](HeadlessConsole& console) {
        EXPECT_EQ(console.output, "newest\r\nolder\r\n");
        EXPECT_EQ(console.input, "");
        for (int key = 0; key < 256; ++key) EXPECT_EQ(keyState[key], 0) << key;
    });

    // Without a driver the console still lets go of the keys.
    keyState['A'] = 1;
    openConsole();
    EXPECT_EQ(keyState['A'], 0);
    EXPECT_EQ(historyPos, -1);
}

TEST_F(ConsoleTest, HotkeysAreEscapeTheBacktickKeyUpAndDown) {
    const auto hotkeys = consoleHotkeys();
    ASSERT_EQ(hotkeys.size(), 4u);
    EXPECT_EQ(hotkeys[0].id, 1);
    EXPECT_EQ(hotkeys[0].virtualKey, 0x1B);
    EXPECT_EQ(hotkeys[1].id, 2);
    EXPECT_EQ(hotkeys[1].virtualKey, 0xC0); // the backtick key of the US layout
    EXPECT_EQ(hotkeys[2].id, 3);
    EXPECT_EQ(hotkeys[2].virtualKey, 0x26);
    EXPECT_EQ(hotkeys[3].id, 4);
    EXPECT_EQ(hotkeys[3].virtualKey, 0x28);
}

TEST_F(ConsoleTest, EscapeTheConsoleKeyAndTheCloseBoxEachCloseAndForgetTheRecall) {
    const std::vector<std::pair<const char*, void (HeadlessConsole::*)()>> ways = {
        {"Escape", &HeadlessConsole::pressEscape},
        {"console key", &HeadlessConsole::pressConsoleKey},
        {"close box", &HeadlessConsole::clickCloseBox},
    };
    commandHistory = {"B", "A"};
    for (const auto& [name, close] : ways) {
        withConsole([&, close = close](HeadlessConsole& console) {
            console.pressDown();
            ASSERT_EQ(historyPos, 0);
            (console.*close)();
            EXPECT_FALSE(console.open) << name;
            EXPECT_FALSE(console.hotkeysRegistered) << name;
            EXPECT_EQ(console.closeCount, 1) << name;
            EXPECT_EQ(historyPos, -1) << name;
        });
    }
    EXPECT_EQ(headless_platform::quitRequests, 0);
}

TEST_F(ConsoleTest, OtherHotkeyIdsDoNothing) {
    commandHistory = {"B"};
    withConsole([](HeadlessConsole& console) {
        for (int id : {0, 5, -1, 1000}) console.pressHotkey(id);
        EXPECT_TRUE(console.open);
        EXPECT_EQ(historyPos, -1);
        EXPECT_EQ(console.input, "");
    });
}

TEST_F(ConsoleTest, EnterRunsTheLineEmptiesTheInputAndShowsNewestFirst) {
    commandHistory = {"earlier"};
    withConsole([](HeadlessConsole& console) {
        console.pressDown();
        ASSERT_EQ(historyPos, 0);
        console.enter("first line");
        EXPECT_EQ(console.input, "");
        EXPECT_EQ(historyPos, -1);
        console.enter("Second Line");
        EXPECT_EQ(console.output, consoleText);
        EXPECT_EQ(console.output.rfind("Second Line\r\nfirst line\r\n", 0), 0u) << console.output;
        console.pressDown(); // the line just entered, as typed
        EXPECT_EQ(console.input, "Second Line");
        EXPECT_TRUE(console.open);
    });
    EXPECT_EQ(headless_platform::quitRequests, 0);
}

// The output box holds a text that ends at its first NUL; a NUL from a script line or
// a shown binary file must not hide everything printed before it.
TEST_F(ConsoleTest, NulBytesDoNotCutTheOutputShort) {
    ScratchFolder folder;
    folder.write("bin.dat", std::string("BM\0\0x\n", 6));
    folder.write("nul.cfg", std::string("ECHO A\0B\n", 9));
    consoleText = "earlier\r\n";
    withConsole([](HeadlessConsole& console) {
        console.enter("EXEC NUL.CFG");
        console.enter("SHOWFILE BIN.DAT");
        EXPECT_EQ(console.output, "SHOWFILE BIN.DAT\r\nBM  x\r\n\r\n\r\n"
                                  "EXEC NUL.CFG\r\n'A B\r\nearlier\r\n");
    });
    EXPECT_NE(consoleText.find(std::string("'A\0B", 4)), std::string::npos); // kept as printed
}

TEST_F(ConsoleTest, EnterShowsOutputOfTheLineAndRunsEmptyAndLongLines) {
    withConsole([](HeadlessConsole& console) {
        console.enter("echo hello");
        EXPECT_EQ(console.output, "'HELLO\r\n"); // ECHO lines are not echoed themselves
        console.enter("");                       // goes to the interpreter like any other line
        EXPECT_EQ(commandHistory.front(), "");
        const std::string longLine(100000, 'x');
        console.enter(longLine);
        EXPECT_EQ(commandHistory.front(), longLine);
        EXPECT_TRUE(console.open);
    });
}

struct QuitCase {
    const char* line;
    bool quits;
};

TEST_F(ConsoleTest, OnlyAWholeQuitInAnyCaseEndsTheGameFromTheConsole) {
    const std::vector<QuitCase> cases = {
        {"QUIT", true},   {"quit", true},   {"QuIt", true}, {" QUIT", false}, {"QUIT;", false},
        {"QUIT ", false}, {"QUITS", false}, {"", false},    {"QUI", false},   {"qu\tit", false},
    };
    for (const auto& c : cases) {
        resetProgramState();
        withConsole([&](HeadlessConsole& console) {
            console.enter(c.line);
            EXPECT_EQ(!console.open, c.quits) << '"' << c.line << '"';
            EXPECT_EQ(console.hotkeysRegistered, !c.quits) << '"' << c.line << '"';
            // The line still goes to the interpreter, closed or not.
            ASSERT_FALSE(commandHistory.empty()) << '"' << c.line << '"';
            EXPECT_EQ(commandHistory.front(), c.line);
            EXPECT_EQ(console.input, "");
            EXPECT_EQ(historyPos, -1);
        });
        if (c.quits) {
            EXPECT_GE(headless_platform::quitRequests, 1) << c.line;
            EXPECT_EQ(headless_platform::lastExitCode, 0);
        }
    }
}

TEST_F(ConsoleTest, QuitTestFailuresStillRunWhatTheInterpreterFinds) {
    // " QUIT" has an empty first word: nothing runs. "QUIT;" runs the QUIT command,
    // which asks for the quit from the interpreter while the console stays open.
    withConsole([](HeadlessConsole& console) {
        console.enter(" QUIT");
        EXPECT_EQ(headless_platform::quitRequests, 0);
        console.enter("QUIT;");
        EXPECT_TRUE(console.open);
        EXPECT_EQ(headless_platform::quitRequests, 1);
    });
}

TEST_F(ConsoleTest, AnAliasWhoseWholeBodyIsQuitEndsTheGame) {
    ExecuteCommandLine("alias bye quit");
    ExecuteCommandLine("alias later QUIT;ECHO");
    ExecuteCommandLine("alias spaced echo QUIT");
    ASSERT_TRUE(FindAlias("BYE"));
    EXPECT_TRUE(isQuitLine("bye"));
    EXPECT_TRUE(isQuitLine("BYE"));
    EXPECT_FALSE(isQuitLine("LATER"));
    EXPECT_FALSE(isQuitLine("SPACED"));
    EXPECT_FALSE(isQuitLine("NOSUCH"));
    EXPECT_FALSE(isQuitLine(" BYE"));

    withConsole([](HeadlessConsole& console) {
        console.enter("later");
        EXPECT_TRUE(console.open); // the body runs QUIT, but not by the console's test
        console.enter("Bye");
        EXPECT_FALSE(console.open);
        EXPECT_FALSE(console.hotkeysRegistered);
        EXPECT_EQ(console.closeCount, 1);
    });
    EXPECT_GE(headless_platform::quitRequests, 1);
    EXPECT_EQ(headless_platform::lastExitCode, 0);
}

TEST_F(ConsoleTest, TheConsoleClosesBeforeTheInterpreterRunsAQuitLine) {
    std::vector<std::string> events;
    const ConsoleWindow window{[&](const std::string&) { events.push_back("input"); },
                               [&](const std::string&) { events.push_back("output"); },
                               [&] {
                                   events.push_back("close");
                                   EXPECT_TRUE(commandHistory.empty());
                                   EXPECT_EQ(headless_platform::quitRequests, 0);
                               }};
    consoleLineEntered("quit", window);
    EXPECT_EQ(events, (std::vector<std::string>{"close", "output", "input"}));
    EXPECT_EQ(commandHistory.front(), "quit");
}

// Through the real frame step: the backtick key opens the console, which lets go of
// every key, so the player updates of that frame see none held.
TEST_F(ConsoleTest, OpeningThroughTheFrameStepLetsGoOfHeldKeys) {
    Arena arena;
    arena.game().standOnFloor(1, 300.0f);
    int openings = 0;
    bool keysUpInside = false;
    headlessConsoleDriver = [&](HeadlessConsole& console) {
        ++openings;
        keysUpInside = keyState[player1Keys.right] == 0 && keyState[0xC0] == 0;
        console.pressEscape();
    };
    arena.game().frame({player1Keys.right});
    EXPECT_EQ(openings, 0);
    EXPECT_GT(arena.player(1).vx, 0.0f); // the key walks him when no console opens

    arena.game().standOnFloor(1, 300.0f);
    arena.game().frame({0xC0, player1Keys.right});
    EXPECT_EQ(openings, 1);
    EXPECT_TRUE(keysUpInside);
    EXPECT_EQ(arena.player(1).vx, 0.0f);
    EXPECT_EQ(historyPos, -1);
}

TEST_F(ConsoleTest, StartUpEchoesWaitAtTheTopUntilTheConsoleFirstOpens) {
    ScratchFolder folder;
    folder.write("config.cfg", "");
    folder.write("autoexec.cfg", "echo first\necho welcome\n");
    HeadlessGame game;
    std::string shown;
    headlessConsoleDriver = [&](HeadlessConsole& console) { shown = console.output; };
    game.frame({0xC0});
    EXPECT_EQ(shown.rfind("'WELCOME\r\n'FIRST\r\n", 0), 0u) << shown;
}

} // namespace

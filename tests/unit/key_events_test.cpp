// The one rule for what a key event of the game window does to keyState, as every
// layer hands its events over.
#include "app/key_events.h"
#include "app/key_state.h"
#include "config/console_overlay.h"
#include "config/console_session.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::uint8_t keyAlt = 0x12;
constexpr std::uint8_t keyEscape = 0x1B;
constexpr std::uint8_t keyLeftWindows = 0x5B;
constexpr std::uint8_t keyF10 = 0x79;
constexpr std::uint8_t keyConsole = 0xC0; // the backtick key of the US layout

KeyEvent down(std::uint8_t key, unsigned modifiers = 0, bool repeat = false) {
    return {key, true, repeat, modifiers};
}
KeyEvent up(std::uint8_t key, unsigned modifiers = 0) {
    return {key, false, false, modifiers};
}

class KeyEventsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetProgramState();
        gameKeysLost();
        handleGameKey(up(0)); // no system key left held by an earlier test
    }
    void TearDown() override {
        gameKeysLost();
        handleGameKey(up(0));
        resetProgramState();
    }
};

TEST_F(KeyEventsTest, WhichKeyDownsCount) {
    struct Case {
        const char* what;
        KeyEvent event;
        bool counts;
    };
    const Case cases[] = {
        {"a plain key", down('D'), true},
        {"a repeat sets it again", down('D', 0, true), true},
        {"Shift and Ctrl held", down('D', keyModifierShift | keyModifierControl), true},
        {"Alt itself", down(keyAlt), false},
        {"F10", down(keyF10), false},
        {"a key with Alt held", down('D', keyModifierAlt), false},
        {"a key with Command held", down('S', keyModifierSystem), false},
        {"no code", down(0), false},
        // The Windows window procedure passes only what came as WM_KEYDOWN, where
        // Alt pressed while Ctrl is held arrives: it counts there, as it always has.
        {"Alt told apart by the platform", {keyAlt, true, false, 0, true}, true},
    };
    for (const Case& c : cases) {
        clearKeyState();
        const std::uint8_t key = c.event.virtualKey;
        EXPECT_EQ(handleGameKey(c.event), c.counts) << c.what;
        EXPECT_EQ(keyState[key] != 0, c.counts && key != 0) << c.what;
        handleGameKey(up(0)); // let go of Command for the next case
    }
}

TEST_F(KeyEventsTest, EveryReleaseLetsGoWhateverIsHeldWithIt) {
    for (const unsigned modifiers : {0u, unsigned{keyModifierAlt}, unsigned{keyModifierShift}}) {
        keyState['D'] = 1;
        EXPECT_FALSE(handleGameKey(up('D', modifiers)));
        EXPECT_EQ(keyState['D'], 0) << modifiers;
    }
}

// A macOS browser sends no release for a key let go while Command is held: Cmd+S
// would leave S (aim down) held, and a key held before Command and let go under it
// would stay held too. Command's release lets go of every key.
TEST_F(KeyEventsTest, KeysLetGoWhileCommandWasHeldDoNotStayHeld) {
    handleGameKey(down('D'));
    handleGameKey(down(keyLeftWindows, keyModifierSystem));
    EXPECT_FALSE(handleGameKey(down('S', keyModifierSystem))); // Cmd+S: no game key
    EXPECT_EQ(keyState['S'], 0);
    EXPECT_EQ(keyState['D'], 1); // D's own release is lost under Command
    handleGameKey(up(keyLeftWindows));
    EXPECT_EQ(keyState['D'], 0);
    EXPECT_EQ(keyState['S'], 0);
    // Afterwards keys count again.
    EXPECT_TRUE(handleGameKey(down('A')));
    EXPECT_EQ(keyState['A'], 1);
}

// The Windows program reports no modifiers: its Windows key lets nothing go.
TEST_F(KeyEventsTest, TheWindowsKeyOfTheWindowsProgramLetsNothingGo) {
    handleGameKey({'D', true, false, 0, true});
    handleGameKey({keyLeftWindows, true, false, 0, true});
    handleGameKey({keyLeftWindows, false, false, 0, true});
    EXPECT_EQ(keyState['D'], 1);
}

// The console key's presses go through the console session: after it opened the
// console and closed it again, its repeats do not count until it is released.
TEST_F(KeyEventsTest, TheConsoleKeyCountsOnlyPressedAnew) {
    EXPECT_TRUE(handleGameKey(down(keyConsole)));
    EXPECT_EQ(keyState[keyConsole], 1);
    ConsoleOverlay overlay;
    overlay.open(640, 480); // the frame step saw it held
    overlay.keyDown(keyEscape, false);
    ASSERT_FALSE(overlay.isOpen());
    EXPECT_TRUE(handleGameKey(down(keyConsole, 0, true))); // taken, but does not count
    EXPECT_EQ(keyState[keyConsole], 0);
    EXPECT_TRUE(consoleKeyAwaitingRelease());
    handleGameKey(up(keyConsole));
    EXPECT_FALSE(consoleKeyAwaitingRelease());
    handleGameKey(down(keyConsole));
    EXPECT_EQ(keyState[keyConsole], 1);
}

TEST_F(KeyEventsTest, LosingTheKeyboardLetsGoOfEveryKeyAndTheConsoleKey) {
    handleGameKey(down('D'));
    handleGameKey(down(keyConsole));
    ConsoleOverlay overlay;
    overlay.open(640, 480);
    overlay.keyDown(keyEscape, false);
    keyState['W'] = 1;
    gameKeysLost();
    for (int key = 0; key < 256; ++key) EXPECT_EQ(keyState[key], 0) << key;
    EXPECT_FALSE(consoleKeyAwaitingRelease());
}

} // namespace

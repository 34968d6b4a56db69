// The console drawn in the game, driven through its API as the desktop and web
// layers drive it: keys as virtual-key codes, typed text, wheel, clicks, drawing.
#include "app/key_state.h"
#include "app/platform_headless.h"
#include "app/us_keyboard_layout.h"
#include "command/console_text.h"
#include "command/interpreter.h"
#include "config/console.h"
#include "config/console_overlay.h"
#include "config/console_session.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t keyBack = 0x08;
constexpr std::uint8_t keyReturn = 0x0D;
constexpr std::uint8_t keyEscape = 0x1B;
constexpr std::uint8_t keyPageUp = 0x21;
constexpr std::uint8_t keyPageDown = 0x22;
constexpr std::uint8_t keyEnd = 0x23;
constexpr std::uint8_t keyHome = 0x24;
constexpr std::uint8_t keyLeft = 0x25;
constexpr std::uint8_t keyUp = 0x26;
constexpr std::uint8_t keyDown = 0x28;
constexpr std::uint8_t keyDelete = 0x2E;
constexpr std::uint8_t keyConsole = 0xC0; // the backtick key of the US layout

class ConsoleOverlayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetProgramState();
        consoleKeyUp(); // no console key held from an earlier test
    }
    void TearDown() override {
        consoleKeyUp();
        resetProgramState();
    }

    // Types `text` as a keyboard does: each character's key, then its text.
    void type(const std::string& text) {
        for (char c : text) {
            overlay.keyDown(usLayoutKeyForCharacter(c), false);
            overlay.typeText(std::string(1, c));
        }
    }
    void press(std::uint8_t key, unsigned modifiers = 0) {
        overlay.keyDown(key, false, modifiers);
        overlay.keyUp(key);
    }
    void enter(const std::string& text) {
        type(text);
        press(keyReturn);
    }
    // Opens the overlay as the frame step does: with the console key down.
    void openWithConsoleKeyHeld(int width = 800, int height = 600) {
        ASSERT_TRUE(consoleKeyDown(false));
        overlay.open(width, height);
    }

    ConsoleOverlay overlay;
};

TEST_F(ConsoleOverlayTest, OpeningShowsTheConsoleTextAndLetsGoOfEveryKey) {
    consoleText = "newest\r\nolder\r\n";
    keyState['D'] = 1;
    keyState[keyConsole] = 1;
    overlay.open(800, 600);
    EXPECT_TRUE(overlay.isOpen());
    EXPECT_EQ(overlay.output(), consoleText);
    EXPECT_EQ(overlay.outputRows(), (std::vector<std::string>{"newest", "older"}));
    EXPECT_EQ(overlay.input(), "");
    for (int key = 0; key < 256; ++key) EXPECT_EQ(keyState[key], 0) << key;
}

TEST_F(ConsoleOverlayTest, TypingEditsTheInputAtTheCaret) {
    overlay.open(800, 600);
    type("ehco");
    EXPECT_EQ(overlay.caret(), 4u);
    press(keyLeft);
    press(keyLeft);
    press(keyBack); // "eco"
    overlay.typeText("hc");
    EXPECT_EQ(overlay.input(), "ehcco");
    press(keyDelete);
    EXPECT_EQ(overlay.input(), "ehco");
    press(keyHome);
    press(keyDelete);
    overlay.typeText("E");
    press(keyEnd);
    overlay.typeText(" x");
    EXPECT_EQ(overlay.input(), "Ehco x");
    EXPECT_EQ(overlay.caret(), 6u);
    // Control characters type nothing; 8-bit characters go in as they are.
    overlay.typeText(std::string("\t\r\n\x7f\x01", 5));
    overlay.typeText("\xe9");
    EXPECT_EQ(overlay.input(), "Ehco x\xe9");
    // Editing at the ends does nothing rather than leave the text.
    press(keyEnd);
    press(keyDelete);
    press(keyHome);
    press(keyBack);
    press(keyLeft);
    EXPECT_EQ(overlay.input(), "Ehco x\xe9");
    EXPECT_EQ(overlay.caret(), 0u);
}

TEST_F(ConsoleOverlayTest, EnterRunsTheLineAndShowsTheEchoesNewestFirst) {
    commandHistory = {"earlier"};
    overlay.open(800, 600);
    press(keyDown);
    ASSERT_EQ(overlay.input(), "earlier");
    press(keyReturn); // the recalled line, entered again
    enter("First line");
    EXPECT_EQ(overlay.input(), "");
    EXPECT_EQ(overlay.caret(), 0u);
    EXPECT_EQ(historyPos, -1);
    enter("second");
    EXPECT_EQ(overlay.output(), consoleText);
    ASSERT_GE(overlay.outputRows().size(), 3u);
    EXPECT_EQ(overlay.outputRows()[0], "second");
    EXPECT_EQ(overlay.outputRows()[1], "First line");
    EXPECT_EQ(overlay.outputRows()[2], "earlier");
    EXPECT_EQ(commandHistory.front(), "second");
    EXPECT_TRUE(overlay.isOpen());

    // The Enter button does what Return does.
    type("echo hi");
    const auto button = overlay.enterButton();
    overlay.click(button.left + 1, button.top + 1);
    EXPECT_EQ(overlay.outputRows()[0], "'HI");
    EXPECT_EQ(overlay.input(), "");
}

enum class Walk { Up, Down };
struct WalkStep {
    Walk key;
    const char* input;
};

TEST_F(ConsoleOverlayTest, DownAndUpWalkTheHistoryOverWhatWasTyped) {
    commandHistory = {"B", "A"};
    overlay.open(800, 600);
    type("typed");
    press(keyUp); // nothing recalled yet: nothing happens
    EXPECT_EQ(overlay.input(), "typed");
    const std::vector<WalkStep> steps = {
        {Walk::Down, "B"}, {Walk::Down, "A"}, {Walk::Down, "A"},
        {Walk::Up, "B"},   {Walk::Up, ""},    {Walk::Up, ""},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        press(steps[i].key == Walk::Up ? keyUp : keyDown);
        EXPECT_EQ(overlay.input(), steps[i].input) << "step " << i;
        EXPECT_EQ(overlay.caret(), overlay.input().size()) << "step " << i;
    }
    // With a modifier held the arrows are no hotkeys: no recall.
    press(keyDown, ConsoleOverlay::modifierShift);
    EXPECT_EQ(overlay.input(), "");
}

TEST_F(ConsoleOverlayTest, EscapeTheConsoleKeyAndBothCloseBoxesCloseAndForgetTheRecall) {
    commandHistory = {"B", "A"};
    const std::vector<std::pair<const char*, std::function<void(ConsoleOverlay&)>>> ways = {
        {"Escape", [](ConsoleOverlay& o) { o.keyDown(keyEscape, false); }},
        {"console key",
         [](ConsoleOverlay& o) {
             o.keyUp(keyConsole); // the key that opened it, let go
             o.keyDown(keyConsole, false);
         }},
        {"panel close box",
         [](ConsoleOverlay& o) { o.click(o.closeBox().left + 1, o.closeBox().top + 1); }},
        {"window close box", [](ConsoleOverlay& o) { o.closeBoxClicked(); }},
    };
    for (const auto& [name, close] : ways) {
        openWithConsoleKeyHeld();
        press(keyDown);
        ASSERT_EQ(historyPos, 0) << name;
        close(overlay);
        EXPECT_FALSE(overlay.isOpen()) << name;
        EXPECT_EQ(historyPos, -1) << name;
        consoleKeyUp();
    }
    EXPECT_EQ(headless_platform::quitRequests, 0);

    // Clicks elsewhere, and events once closed, do nothing.
    overlay.open(800, 600);
    overlay.click(400, 590);
    overlay.click(-5, -5);
    EXPECT_TRUE(overlay.isOpen());
    overlay.closeBoxClicked();
    overlay.typeText("x");
    overlay.keyDown(keyReturn, false);
    EXPECT_EQ(overlay.input(), "");
    EXPECT_TRUE(commandHistory.size() == 2u);
}

TEST_F(ConsoleOverlayTest, AHotkeyTypesNothingButItsShiftedCharacterIsTyped) {
    openWithConsoleKeyHeld();
    // Repeats of the key that opened the console neither close it nor type.
    overlay.keyDown(keyConsole, true);
    overlay.typeText("`");
    overlay.keyDown(keyConsole, true);
    overlay.typeText("`");
    EXPECT_TRUE(overlay.isOpen());
    EXPECT_EQ(overlay.input(), "");
    // Shift+backtick types a tilde and closes nothing.
    overlay.keyDown(keyConsole, false, ConsoleOverlay::modifierShift);
    overlay.typeText("~");
    EXPECT_EQ(overlay.input(), "~");
    EXPECT_TRUE(overlay.isOpen());
}

// The key that opened the console is held on: its repeats do not close it. Released
// and pressed anew it closes it, and the repeats of that press, back in the game, do
// not open it again until the key is let go.
TEST_F(ConsoleOverlayTest, TheHeldConsoleKeyNeitherClosesNorReopensTheConsole) {
    openWithConsoleKeyHeld();
    for (int i = 0; i < 5; ++i) overlay.keyDown(keyConsole, true);
    EXPECT_TRUE(overlay.isOpen());
    overlay.keyUp(keyConsole);
    overlay.keyDown(keyConsole, false);
    EXPECT_FALSE(overlay.isOpen());
    // Back in the game the layer asks the session before setting keyState.
    EXPECT_FALSE(consoleKeyDown(true));
    EXPECT_FALSE(consoleKeyDown(true));
    consoleKeyUp();
    EXPECT_TRUE(consoleKeyDown(false));
}

TEST_F(ConsoleOverlayTest, QuitClosesTheConsoleAndAsksForTheQuitOthersDoNot) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"quit", true}, {"QuIt", true}, {" QUIT", false}, {"QUIT ", false}, {"bye", true},
    };
    for (const auto& [line, quits] : cases) {
        resetProgramState();
        ExecuteCommandLine("alias bye quit");
        headless_platform::reset();
        overlay.open(800, 600);
        enter(line);
        EXPECT_EQ(!overlay.isOpen(), quits) << line;
        // "QUIT " fails the console's test but runs the QUIT command, which asks for
        // the quit from the interpreter while the console stays open.
        if (quits) {
            EXPECT_GE(headless_platform::quitRequests, 1) << line;
        }
        EXPECT_EQ(commandHistory.front(), line); // run by the interpreter either way
    }
}

TEST_F(ConsoleOverlayTest, LongOutputScrollsByPageWheelAndEndsAndNewOutputShowsTheTop) {
    for (int i = 99; i >= 0; --i) consoleText += "line " + std::to_string(i) + "\r\n";
    overlay.open(800, 600);
    const int rows = overlay.visibleRows();
    ASSERT_GT(rows, 3);
    ASSERT_LT(rows, 100);
    EXPECT_EQ(overlay.scrollTop(), 0);
    press(keyPageDown);
    EXPECT_EQ(overlay.scrollTop(), rows - 1);
    press(keyPageUp);
    EXPECT_EQ(overlay.scrollTop(), 0);
    press(keyPageUp); // already at the top
    EXPECT_EQ(overlay.scrollTop(), 0);
    overlay.wheel(-2); // toward the user: down, three rows a notch
    EXPECT_EQ(overlay.scrollTop(), 6);
    overlay.wheel(1);
    EXPECT_EQ(overlay.scrollTop(), 3);
    press(keyEnd, ConsoleOverlay::modifierControl);
    EXPECT_EQ(overlay.scrollTop(), 100 - rows);
    overlay.wheel(-1000000);
    press(keyPageDown);
    EXPECT_EQ(overlay.scrollTop(), 100 - rows); // the last row stays at the bottom
    overlay.wheel(2147483647);
    EXPECT_EQ(overlay.scrollTop(), 0);
    press(keyPageDown);
    enter("echo new");
    EXPECT_EQ(overlay.scrollTop(), 0);
    EXPECT_EQ(overlay.outputRows()[0], "'NEW");
}

TEST_F(ConsoleOverlayTest, LongLinesWrapAndOddBreaksAndNulsShowSafely) {
    consoleText =
        std::string(250, 'x') + "\r\n" + "a\nb\rc\r\n" + "\r\n" + std::string("n\0l", 3) + "\r\n";
    overlay.open(800, 600);
    const auto& rows = overlay.outputRows();
    ASSERT_GE(rows.size(), 4u);
    std::size_t wrapped = 0;
    std::size_t i = 0;
    for (; i < rows.size() && rows[i].find_first_not_of('x') == std::string::npos; ++i)
        wrapped += rows[i].size();
    EXPECT_EQ(wrapped, 250u);
    EXPECT_GT(i, 1u); // more than one row
    ASSERT_EQ(rows.size(), i + 4);
    EXPECT_EQ(rows[i], "a");
    EXPECT_EQ(rows[i + 1], "bc");
    EXPECT_EQ(rows[i + 2], "");
    EXPECT_EQ(rows[i + 3], "n l");
}

// Pixels: the panel covers the top of the picture and leaves the rest of the game as
// it was; the caret moves with the text; nothing is drawn outside a small picture.
TEST_F(ConsoleOverlayTest, DrawsAPanelOverTheTopAndLeavesTheGameBelow) {
    const int width = 800, height = 600;
    consoleText = "'HELLO\r\n";
    overlay.open(width, height);
    std::vector<std::uint32_t> picture(width * height, 0x00FF00);
    overlay.draw(picture.data(), width, height);
    const int panel = overlay.panelHeight();
    ASSERT_GT(panel, 0);
    ASSERT_LT(panel, height);
    for (int y : {panel, panel + 10, height - 1})
        for (int x : {0, width / 2, width - 1})
            EXPECT_EQ(picture[y * width + x], 0x00FF00u) << x << "," << y;
    EXPECT_NE(picture[(panel - 2) * width + width / 2], 0x00FF00u);

    // Text is drawn at the font's scale: more ink once a line is typed.
    auto inkIn = [&](const std::vector<std::uint32_t>& p) {
        int ink = 0;
        for (int y = 0; y < panel; ++y)
            for (int x = 0; x < width; ++x) ink += p[y * width + x] == 0xFFFFFFu;
        return ink;
    };
    const int before = inkIn(picture);
    type("hello world");
    std::vector<std::uint32_t> typed(width * height, 0x00FF00);
    overlay.draw(typed.data(), width, height);
    EXPECT_GT(inkIn(typed), before);

    // A huge input line and a tiny picture draw within their bounds (the sanitizers
    // watch the writes).
    overlay.typeText(std::string(100000, 'w'));
    overlay.draw(typed.data(), width, height);
    std::vector<std::uint32_t> tiny(7 * 3, 0);
    overlay.draw(tiny.data(), 7, 3);
    overlay.draw(nullptr, 0, 0);
    ConsoleOverlay small;
    small.open(10, 10);
    small.draw(tiny.data(), 7, 3);
    EXPECT_LE(small.panelHeight(), 10);
    small.closeBoxClicked();
}

} // namespace

// The console's modal loop of the desktop and web programs, driven through its hooks
// with a scripted queue of input; and pasting into the input line.
#include "app/app_state.h"
#include "app/key_events.h"
#include "app/platform_headless.h"
#include "command/console_text.h"
#include "config/console_loop.h"
#include "config/console_overlay.h"
#include "config/console_session.h"
#include "graphics/software_surfaces.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t keyReturn = 0x0D;
constexpr std::uint8_t keyEscape = 0x1B;
constexpr std::uint8_t keyInsert = 0x2D;
constexpr int width = 320;
constexpr int height = 200;

ConsoleInput key(std::uint8_t virtualKey, unsigned modifiers = 0, char character = 0) {
    ConsoleInput input;
    input.kind = ConsoleInput::keyDown;
    input.virtualKey = virtualKey;
    input.modifiers = modifiers;
    input.character = character;
    return input;
}
ConsoleInput release(std::uint8_t virtualKey) {
    ConsoleInput input;
    input.kind = ConsoleInput::keyUp;
    input.virtualKey = virtualKey;
    return input;
}
ConsoleInput of(ConsoleInput::Kind kind, const std::string& text = {}) {
    ConsoleInput input;
    input.kind = kind;
    input.text = text;
    return input;
}

// The fake platform: a queue of input, delivered one piece per wait, and what was
// shown.
struct FakeConsolePlatform {
    std::deque<ConsoleInput> queue;
    bool delivered = false;
    std::string clipboard;
    int clipboardReads = 0;
    std::string log; // b (begin), w (wait), S (shown with the console), s (without), e (end)
    std::vector<std::string> inputsShown; // the input line at each showing
    std::vector<std::uint32_t> lastShown;
};

FakeConsolePlatform fake;

void begin() {
    fake.log += 'b';
}
void end() {
    fake.log += 'e';
}
bool waitForInput() {
    fake.log += 'w';
    fake.delivered = false;
    return !fake.queue.empty();
}
bool takeInput(ConsoleInput& input) {
    if (fake.queue.empty() || fake.delivered) return false;
    fake.delivered = true;
    input = fake.queue.front();
    fake.queue.pop_front();
    return true;
}
void show(const std::uint32_t* pixels, int w, int h, const ConsoleOverlay* overlay) {
    fake.log += overlay != nullptr ? 'S' : 's';
    if (overlay != nullptr) fake.inputsShown.push_back(overlay->input());
    fake.lastShown.assign(pixels, pixels + static_cast<std::size_t>(w) * h);
}
std::string clipboard() {
    ++fake.clipboardReads;
    return fake.clipboard;
}

ConsoleLoopHooks hooks(bool withClipboard) {
    ConsoleLoopHooks h;
    h.begin = begin;
    h.end = end;
    h.waitForInput = waitForInput;
    h.takeInput = takeInput;
    h.show = show;
    if (withClipboard) h.clipboardText = clipboard;
    return h;
}

class ConsoleLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetProgramState();
        consoleKeyUp();
        fake = FakeConsolePlatform{};
        window.width = width;
        window.height = height;
        window.frontBuffer.assign(static_cast<std::size_t>(width) * height, 0x123456u);
        mainWindow = &window;
    }
    void TearDown() override {
        mainWindow = nullptr;
        consoleKeyUp();
        resetProgramState();
    }
    // The input line as last shown before the console closed.
    std::string lastInput() const {
        return fake.inputsShown.empty() ? std::string() : fake.inputsShown.back();
    }

    WindowObject window;
};

TEST_F(ConsoleLoopTest, ShowsTheConsoleUntilItClosesThenTheLastFrameAlone) {
    fake.queue = {key('A', 0, 'a'), key(keyEscape)};
    runConsole(hooks(false));
    EXPECT_EQ(fake.log, "bSwSwes");
    // The picture left is the game's last frame, untouched by the panel.
    EXPECT_EQ(fake.lastShown, window.frontBuffer);
}

// What comes after the console has closed is not the console's: the platform keeps
// it (the web page hands it to the game, SDL's queue to the main loop).
TEST_F(ConsoleLoopTest, InputAfterTheConsoleClosedStaysWithThePlatform) {
    fake.queue = {key(keyEscape), key('D'), release('D')};
    runConsole(hooks(false));
    ASSERT_EQ(fake.queue.size(), 2u);
    EXPECT_EQ(fake.queue[0].kind, ConsoleInput::keyDown);
    EXPECT_EQ(fake.queue[1].kind, ConsoleInput::keyUp);
}

TEST_F(ConsoleLoopTest, TheQueueFailingClosesTheConsole) {
    runConsole(hooks(false));
    EXPECT_EQ(fake.log, "bSwes");
    EXPECT_EQ(headless_platform::quitRequests, 0);
}

// The program's quit arriving in the console closes it and is asked for again, for
// the main loop to take.
TEST_F(ConsoleLoopTest, TheQuitClosesTheConsoleAndIsLeftForTheMainLoop) {
    fake.queue = {of(ConsoleInput::quit), key('A', 0, 'a')};
    runConsole(hooks(false));
    EXPECT_EQ(headless_platform::quitRequests, 1);
    EXPECT_EQ(fake.queue.size(), 1u);
}

// Key-downs that carry their character (the page's) type it unless Ctrl or Command
// make them a shortcut; Ctrl with Alt is AltGr, which types. Text given apart (SDL's)
// is typed as it comes.
TEST_F(ConsoleLoopTest, KeysTypeTheirCharacterUnlessTheyAreShortcuts) {
    fake.queue = {key('A', 0, 'a'),
                  key('B', keyModifierShift, 'B'),
                  key('C', keyModifierControl, 'c'),
                  key('D', keyModifierSystem, 'd'),
                  key('Q', keyModifierControl | keyModifierAlt, '@'),
                  of(ConsoleInput::typed, "xy"),
                  key(keyEscape)};
    runConsole(hooks(false));
    EXPECT_EQ(lastInput(), "aB@xy");
}

TEST_F(ConsoleLoopTest, CtrlVAndShiftInsertPasteTheClipboard) {
    fake.clipboard = "ECHO pasted";
    fake.queue = {key('V', keyModifierControl, 'v'), key(keyInsert, keyModifierShift),
                  key('V', keyModifierControl | keyModifierAlt, 0), // AltGr+V: not a paste
                  key(keyEscape)};
    runConsole(hooks(true));
    EXPECT_EQ(fake.clipboardReads, 2);
    EXPECT_EQ(lastInput(), "ECHO pastedECHO pasted");
}

// Where the platform's paste comes as an event (the page), the keys read nothing and
// the pasted text goes in at the caret; Return then runs it.
TEST_F(ConsoleLoopTest, APasteEventGoesInAtTheCaretAndRunsWithReturn) {
    fake.queue = {key('V', keyModifierControl, 'v'),
                  of(ConsoleInput::typed, "ECHO  b"),
                  key(0x25), // Left, twice
                  key(0x25),
                  of(ConsoleInput::paste, "pasted\r\n"),
                  key(keyReturn),
                  key(keyEscape)};
    runConsole(hooks(false));
    EXPECT_EQ(fake.clipboardReads, 0);
    const std::vector<std::string> expected = {
        "", "", "ECHO  b", "ECHO  b", "ECHO  b", "ECHO pasted b", ""};
    EXPECT_EQ(fake.inputsShown, expected);
    EXPECT_NE(consoleText.find("PASTED B"), std::string::npos) << consoleText; // ECHO ran it
}

TEST(ConsoleOverlayPaste, TakesTheFirstLineFilteredAsTypedText) {
    struct Case {
        const char* clipboard;
        const char* input;
    };
    const Case cases[] = {
        {"BIND 1 JUMP W\r\n", "BIND 1 JUMP W"},
        {"ECHO a\nECHO b", "ECHO a"},               // one line: never two commands glued
        {"\r\n\nSET GRAVITY 2\n", "SET GRAVITY 2"}, // breaks before the text are skipped
        {"a\tb\x01"
         "c\x7F",
         "abc"},                // what typing drops
        {"caf\xE9", "caf\xE9"}, // 8-bit characters are kept
        {"\r\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        ConsoleOverlay overlay;
        overlay.open(640, 480);
        overlay.paste(c.clipboard);
        EXPECT_EQ(overlay.input(), c.input) << c.clipboard;
        EXPECT_EQ(overlay.caret(), overlay.input().size());
        overlay.closeBoxClicked();
    }
    ConsoleOverlay closed;
    closed.paste("ignored");
    EXPECT_EQ(closed.input(), "");
}

TEST(ConsoleOverlayPaste, TheInputLineHoldsNoMoreThanItsLimit) {
    ConsoleOverlay overlay;
    overlay.open(640, 480);
    overlay.paste(std::string(ConsoleOverlay::inputLimit - 3, 'x'));
    overlay.keyDown(0x24, false); // Home
    overlay.paste("abcdef");
    EXPECT_EQ(overlay.input().size(), ConsoleOverlay::inputLimit);
    EXPECT_EQ(overlay.input().substr(0, 4), "abcx");
    overlay.typeText("z"); // typing stops at the limit too
    EXPECT_EQ(overlay.input().size(), ConsoleOverlay::inputLimit);
    overlay.keyDown(0x08, false); // Backspace makes room again
    overlay.typeText("z");
    EXPECT_EQ(overlay.input().substr(0, 3), "abz");
    overlay.closeBoxClicked();
}

TEST(ConsoleOverlayPaste, OnlyCtrlVAndShiftInsertPaste) {
    struct Case {
        std::uint8_t key;
        unsigned modifiers;
        bool pastes;
    };
    const Case cases[] = {
        {'V', keyModifierControl, true},
        {'V', keyModifierControl | keyModifierShift, true},
        {keyInsert, keyModifierShift, true},
        {'V', 0, false},
        {'V', keyModifierControl | keyModifierAlt, false}, // AltGr+V types
        {'V', keyModifierSystem, false},
        {keyInsert, 0, false},
        {keyInsert, keyModifierShift | keyModifierControl, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConsoleOverlay::isPasteKey(c.key, c.modifiers), c.pastes)
            << int(c.key) << " " << c.modifiers;
}

} // namespace

// The frame step: the console key, the bullet walk and its drawing, and the
// clearing of the bullets after a new game.
#include "app/app_state.h"
#include "app/frame.h"
#include "app/key_state.h"
#include "config/console_headless.h"
#include "config/console_session.h"
#include "graphics/software_surfaces.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr std::uint32_t white = 0x00FFFFFF;
constexpr std::uint8_t consoleKey = 0xC0; // the backtick key of the US layout

Bullet still(float x, float y, float dx, float dy) {
    Bullet b(x, y, 0, 0);
    b.dx = dx;
    b.dy = dy;
    return b;
}

TEST(BulletWalk, ARemovedBulletIsDrawnOnceLessThanItsSubStepAndTheRestKeepTheirOrder) {
    Arena arena;
    // Dies at its second sub-step (x 0.5 is drawn at column 0, then -0.5 leaves).
    bullets.push_back(still(1.5f, 50.0f, -1.0f, 0.0f));
    bullets.push_back(still(200.0f, 50.0f, 1.0f, 0.0f));
    bullets.push_back(still(200.0f, 80.0f, 1.0f, 0.0f));
    // Dies at its first sub-step: never drawn.
    bullets.push_back(still(0.5f, 120.0f, -1.0f, 0.0f));
    bullets.push_back(still(300.0f, 90.0f, 0.0f, 1.0f));
    arena.game().frame();

    ASSERT_EQ(bullets.size(), 3u);
    EXPECT_EQ(bullets[0].y, 50.0f);
    EXPECT_EQ(bullets[1].y, 80.0f);
    EXPECT_EQ(bullets[2].x, 300.0f);
    EXPECT_EQ(bullets[0].x, 206.0f); // all six sub-steps, though it moved up a place

    const WindowObject& window = arena.game().window();
    EXPECT_EQ(window.pixel(0, 50), white);
    EXPECT_NE(window.pixel(1, 50), white);
    EXPECT_NE(window.pixel(0, 120), white);
    for (int x = 201; x <= 206; ++x) EXPECT_EQ(window.pixel(x, 50), white) << x;
    EXPECT_NE(window.pixel(200, 50), white);
    EXPECT_NE(window.pixel(207, 50), white);
    for (int y = 91; y <= 96; ++y) EXPECT_EQ(window.pixel(300, y), white) << y;
}

TEST(BulletWalk, AnEmptyListDoesNothingAndTheBufferStartsBlackEachFrame) {
    Arena arena;
    bullets.push_back(still(200.0f, 50.0f, 1.0f, 0.0f));
    arena.game().frame();
    bullets.clear();
    arena.game().frame();
    EXPECT_NE(arena.game().window().pixel(203, 50), white);
}

TEST(BulletWalk, AClearRequestStillStepsAndDrawsThisFramesBullets) {
    Arena arena;
    bullets.push_back(still(200.0f, 50.0f, 1.0f, 0.0f));
    clearBulletsRequested = 1;
    arena.game().frame();
    EXPECT_TRUE(bullets.empty());
    EXPECT_EQ(clearBulletsRequested, 0);
    EXPECT_EQ(arena.game().window().pixel(206, 50), white);
}

TEST(ConsoleKey, OpensTheConsoleAndTheUpdatesThenSeeNoKeyHeld) {
    Arena arena;
    arena.game().standOnFloor(1, 100.0f);
    int opened = 0;
    headlessConsoleDriver = [&](HeadlessConsole&) { ++opened; };
    arena.game().frame({consoleKey, player1Keys.right});
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(arena.player(1).vx, 0.0f); // RIGHT was wiped by the opening
    // The same frame goes on and the frames after it run as usual.
    arena.game().frame({player1Keys.right});
    EXPECT_EQ(opened, 1);
    EXPECT_NEAR(arena.player(1).vx, 0.2f, 1e-6f);
}

TEST(ConsoleKey, OnlyTheKeyThatTypesTheBacktickOpensIt) {
    Arena arena;
    int opened = 0;
    headlessConsoleDriver = [&](HeadlessConsole&) { ++opened; };
    arena.game().frame({255});
    arena.game().frame({'C'});
    EXPECT_EQ(opened, 0);
}

// The console key is held to open the console, and the keyboard repeats it. Each
// opening is played by the next entry of `users`; a frame with no entry left fails.
class HeldConsoleKey : public ::testing::Test {
  protected:
    HeldConsoleKey() {
        headlessConsoleDriver = [this](HeadlessConsole& console) {
            ASSERT_LT(opened, users.size()) << "the console opened once too often";
            users[opened++](console);
        };
    }

    // A frame after each of `count` repeats of the held console key.
    void repeatsInTheGame(int count) {
        for (int i = 0; i < count; ++i) {
            game().keyDown(consoleKey, true);
            game().step();
        }
    }

    HeadlessGame& game() { return arena.game(); }

    Arena arena;
    std::vector<std::function<void(HeadlessConsole&)>> users;
    std::size_t opened = 0;
};

TEST_F(HeldConsoleKey, StaysOpenWhileHeldClosesOnANewPressAndOpensOnlyAfterARelease) {
    users = {
        [](HeadlessConsole& console) {
            for (int i = 0; i < 5; ++i) console.repeatConsoleKey(); // held past the delay
            EXPECT_TRUE(console.open);
            console.pressConsoleKey(); // let go and pressed anew: closes
            EXPECT_FALSE(console.open);
            EXPECT_EQ(console.closeCount, 1);
        },
        [](HeadlessConsole& console) { console.pressEscape(); },
    };
    game().keyDown(consoleKey);
    game().step();
    ASSERT_EQ(opened, 1u);
    // Still held after that close: its repeats do not open it again.
    repeatsInTheGame(20);
    EXPECT_EQ(opened, 1u);
    // Released, the frames go on without it; pressed again, it opens.
    game().keyUp(consoleKey);
    game().step();
    EXPECT_EQ(opened, 1u);
    game().keyDown(consoleKey);
    game().step();
    EXPECT_EQ(opened, 2u);
}

TEST_F(HeldConsoleKey, ClosedOtherwiseWhileHeldItDoesNotReopenUntilReleased) {
    const std::vector<std::pair<const char*, void (HeadlessConsole::*)()>> ways = {
        {"Escape", &HeadlessConsole::pressEscape},
        {"close box", &HeadlessConsole::clickCloseBox},
    };
    for (const auto& [name, close] : ways) {
        users.assign(2, [close = close](HeadlessConsole& console) {
            console.repeatConsoleKey();
            (console.*close)();
        });
        opened = 0;
        game().keyDown(consoleKey);
        game().step();
        repeatsInTheGame(10);
        EXPECT_EQ(opened, 1u) << name;
        game().keyUp(consoleKey);
        game().keyDown(consoleKey);
        game().step();
        EXPECT_EQ(opened, 2u) << name;
        game().keyUp(consoleKey);
    }
}

TEST_F(HeldConsoleKey, ReleasedInsideTheConsoleItsNextPressCloses) {
    users = {[](HeadlessConsole& console) {
        consoleKeyUp();             // the release, as the layer sees it while the console is open
        console.repeatConsoleKey(); // the hotkey of the next press carries no repeat flag
        EXPECT_FALSE(console.open);
    }};
    game().keyDown(consoleKey);
    game().step();
    EXPECT_EQ(opened, 1u);
}

TEST_F(HeldConsoleKey, ANewPressOpensItEvenWhenTheReleaseWasMissed) {
    users.assign(2, [](HeadlessConsole& console) { console.pressConsoleKey(); });
    game().keyDown(consoleKey);
    game().step();
    repeatsInTheGame(3);
    ASSERT_EQ(opened, 1u);
    game().keyDown(consoleKey, false); // no key-up came (focus was elsewhere)
    game().step();
    EXPECT_EQ(opened, 2u);
}

TEST_F(HeldConsoleKey, OtherKeysAndTheirRepeatsAreLevelsAsBefore) {
    game().standOnFloor(1, 100.0f);
    game().keyDown(player1Keys.right);
    game().keyDown(player1Keys.right, true);
    game().step();
    EXPECT_NEAR(arena.player(1).vx, 0.2f, 1e-6f);
    game().keyUp(player1Keys.right);
    EXPECT_EQ(keyState[player1Keys.right], 0);
    EXPECT_EQ(opened, 0u);
}

} // namespace

// The main loop of every program, driven through its hooks: a fake clock that only
// sleeps and frames advance, and a fake event queue.
#include "app/app_state.h"
#include "app/main_loop.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t ms = 1000; // microseconds

// What the fake platform holds and records; the hooks are plain functions.
struct FakePlatform {
    std::uint64_t now = 1000 * ms;
    std::deque<MainLoopHooks::Event> events; // taken one per takeEvent; none when empty
    std::uint64_t frameCost = 3 * ms;
    int framesBeforeQuit = 5; // the quit comes once this many frames have run
    std::vector<std::uint64_t> frameStarts;
    std::vector<std::uint32_t> sleeps;
    int waits = 0;
    std::string log; // e (event), q (quit), w (wait), s (sleep), F (frame), p (put off)
    // What a wait while paused brings: the window is activated.
    bool waitActivates = true;
    int putOff = 0; // frameDue says "not yet" this many times
};

FakePlatform fake;

MainLoopHooks::Event takeEvent() {
    if (!fake.events.empty()) {
        const MainLoopHooks::Event event = fake.events.front();
        fake.events.pop_front();
        if (event == MainLoopHooks::Event::handled) fake.log += 'e';
        if (event == MainLoopHooks::Event::quit) fake.log += 'q';
        return event;
    }
    if (static_cast<int>(fake.frameStarts.size()) >= fake.framesBeforeQuit)
        return MainLoopHooks::Event::quit;
    return MainLoopHooks::Event::none;
}
void waitForEvent() {
    ++fake.waits;
    fake.log += 'w';
    fake.now += 50 * ms;
    if (fake.waitActivates) isActive = 1;
}
void sleepFor(std::uint32_t milliseconds) {
    fake.sleeps.push_back(milliseconds);
    fake.log += 's';
    fake.now += milliseconds * ms;
}
std::uint64_t clock() {
    return fake.now;
}
void frame() {
    fake.frameStarts.push_back(fake.now);
    fake.log += 'F';
    fake.now += fake.frameCost;
}
bool frameDue() {
    if (fake.putOff == 0) return true;
    --fake.putOff;
    fake.log += 'p';
    return false;
}

MainLoopHooks hooks() {
    MainLoopHooks h;
    h.takeEvent = takeEvent;
    h.waitForEvent = waitForEvent;
    h.sleep = sleepFor;
    h.clock = clock;
    h.runFrame = frame;
    return h;
}

class MainLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake = FakePlatform{};
        isActive = 1;
    }
    void TearDown() override { isActive = 1; }
};

TEST_F(MainLoopTest, FramesRunOncePerSliceAndSleepOutTheRest) {
    runMainLoop(hooks());
    ASSERT_EQ(fake.frameStarts.size(), 5u);
    for (std::size_t i = 1; i < fake.frameStarts.size(); ++i)
        EXPECT_EQ(fake.frameStarts[i] - fake.frameStarts[i - 1], 10 * ms) << i;
    // A 3 ms frame sleeps 7 ms before the next one.
    EXPECT_EQ(fake.sleeps, (std::vector<std::uint32_t>{7, 7, 7, 7}));
    EXPECT_EQ(fake.log, "FsFsFsFsF");
}

TEST_F(MainLoopTest, AFrameThatOverrunsItsSliceIsFollowedAtOnce) {
    fake.frameCost = 12 * ms;
    fake.framesBeforeQuit = 3;
    runMainLoop(hooks());
    EXPECT_TRUE(fake.sleeps.empty());
    EXPECT_EQ(fake.log, "FFF");
}

// Every waiting event is handled before the next frame, and the quit ends the loop
// at once: no frame runs after it, even when its slice has begun.
TEST_F(MainLoopTest, EventsComeFirstAndTheQuitEndsTheLoop) {
    using Event = MainLoopHooks::Event;
    fake.events = {Event::handled, Event::handled, Event::none, Event::handled, Event::quit};
    runMainLoop(hooks());
    EXPECT_EQ(fake.log, "eeFeq");
    EXPECT_EQ(fake.frameStarts.size(), 1u);
}

TEST_F(MainLoopTest, WhileInactiveNoFrameRunsAndTheLoopWaitsInsteadOfSleeping) {
    isActive = 0;
    fake.framesBeforeQuit = 2;
    runMainLoop(hooks());
    // One wait, then frames resume on the next idle pass, on a fresh cadence.
    EXPECT_EQ(fake.log, "wFsF");
    EXPECT_EQ(fake.waits, 1);
    EXPECT_EQ(fake.frameStarts[0], 1050 * ms);
}

TEST_F(MainLoopTest, AFramePutOffTakesTheEventsAgainFirst) {
    auto h = hooks();
    h.frameDue = frameDue;
    fake.putOff = 1;
    fake.framesBeforeQuit = 2;
    fake.events = {MainLoopHooks::Event::none, MainLoopHooks::Event::handled};
    runMainLoop(h);
    // Put off at the first due slice; the event that came meanwhile is handled, and
    // the frame runs at the next slice.
    EXPECT_EQ(fake.log, "pesFsF");
    EXPECT_EQ(fake.frameStarts[0], 1010 * ms);
}

TEST_F(MainLoopTest, TheMeasuringHooksBracketEachFrame) {
    static std::string order;
    order.clear();
    auto h = hooks();
    h.runFrame = [] {
        order += 'F';
        frame();
    };
    h.frameStarting = [] { order += '('; };
    h.frameEnded = [] { order += ')'; };
    fake.framesBeforeQuit = 2;
    runMainLoop(h);
    EXPECT_EQ(order, "(F)(F)");
}

} // namespace

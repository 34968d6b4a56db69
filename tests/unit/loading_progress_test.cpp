#include "graphics/loading_progress.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

TEST(LoadingProgress, BarsStayWithinTheirRangesAsAProgressControlKeepsThem) {
    LoadingProgress progress;
    progress.open(1440, 0);
    progress.setStageRange(360);
    struct Case {
        const char* what;
        void (*step)(LoadingProgress&);
        int stage;
        int overall;
    };
    const Case cases[] = {
        {"a step", [](LoadingProgress& p) { p.advance(2); }, 2, 2},
        {"past the stage's end", [](LoadingProgress& p) { p.advance(400); }, 360, 402},
        {"a smaller range pulls the position in", [](LoadingProgress& p) { p.setStageRange(100); },
         100, 402},
        {"a position below 0", [](LoadingProgress& p) { p.setStagePosition(-5); }, 0, 402},
        {"backwards below 0", [](LoadingProgress& p) { p.advance(-1000); }, 0, 0},
        {"a negative range holds only 0",
         [](LoadingProgress& p) {
             p.setStageRange(-3);
             p.advance(7);
         },
         0, 7},
        {"no overflow", [](LoadingProgress& p) { p.advance(INT_MAX); }, 0, 1440},
    };
    for (const Case& c : cases) {
        c.step(progress);
        EXPECT_EQ(progress.stagePosition(), c.stage) << c.what;
        EXPECT_EQ(progress.overallPosition(), c.overall) << c.what;
    }
    // A fresh opening starts from nothing.
    progress.open(720, 0);
    EXPECT_EQ(progress.overallRange(), 720);
    EXPECT_EQ(progress.overallPosition(), 0);
    EXPECT_EQ(progress.stageRange(), 0);
    EXPECT_EQ(progress.pendingSteps(), 0);
}

TEST(LoadingProgress, StepsAreShownAtMostOnceAnUpdatePeriodAcrossTheClocksWrap) {
    constexpr std::uint32_t period = LoadingProgress::updateMilliseconds;
    // Opened just before the tick count wraps around.
    const std::uint32_t start = UINT32_MAX - 10;
    LoadingProgress progress;
    progress.open(1440, start);
    progress.setStageRange(360);
    for (int i = 0; i < 5; ++i) progress.advance(2);
    EXPECT_EQ(progress.pendingSteps(), 10);
    EXPECT_FALSE(progress.barsDue(start + period - 1));
    EXPECT_TRUE(progress.barsDue(start + period)); // past the wrap
    progress.barsShown(start + period);
    EXPECT_EQ(progress.pendingSteps(), 0);
    EXPECT_EQ(progress.stagePosition(), 10); // where the bar stands is kept
    EXPECT_FALSE(progress.barsDue(start + 2 * period - 1));
    // Steps past a bar's end are still passed on: the control clamps them itself.
    progress.advance(1000);
    EXPECT_EQ(progress.pendingSteps(), 1000);
}

TEST(LoadingProgress, TheDialogIsServedAtOnceThenOnceAnUpdatePeriod) {
    constexpr std::uint32_t period = LoadingProgress::updateMilliseconds;
    LoadingProgress progress;
    progress.open(1440, 5); // early in the clock: the first serve must not wait for it
    EXPECT_TRUE(progress.serveDue(5));
    EXPECT_FALSE(progress.serveDue(5));
    EXPECT_FALSE(progress.serveDue(5 + period - 1));
    EXPECT_TRUE(progress.serveDue(5 + period));
    EXPECT_FALSE(progress.serveDue(5 + period + 1));
}

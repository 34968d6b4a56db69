#include "app/frame_pacing.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(SleepAfterFrame, SleepsOutTheRestOfTheSlice) {
    struct Case {
        std::uint32_t t0, t1, sleep;
    };
    const Case cases[] = {
        {1000, 1000, 10},                     // nothing elapsed: the whole slice
        {1000, 1003, 7},                      // 3 ms frame
        {1000, 1009, 1},     {1000, 1010, 0}, // exactly one slice: no sleep
        {1000, 1012, 0},                      // 12 ms frame: next one follows at once
        {0, 0xFFFFFFFFu, 0},                  // ~49 days: never a huge sleep
    };
    for (const Case& c : cases)
        EXPECT_EQ(sleepAfterFrame(c.t0, c.t1), c.sleep) << c.t0 << " -> " << c.t1;
}

TEST(SleepAfterFrame, TickCounterWrapAroundIsHarmless) {
    // The 32-bit millisecond counter wraps between the two readings.
    EXPECT_EQ(sleepAfterFrame(0xFFFFFFFEu, 1u), 7u); // 3 ms across the wrap
    EXPECT_EQ(sleepAfterFrame(0xFFFFFFFAu, 6u), 0u); // 12 ms across the wrap
    EXPECT_EQ(sleepAfterFrame(0xFFFFFFFFu, 0u), 9u); // 1 ms across the wrap
}

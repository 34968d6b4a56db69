#include "app/frame_pacing.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::uint64_t ms = 1000; // microseconds

} // namespace

TEST(FramePacer, SleepsOutTheRestOfTheSlice) {
    FramePacer pacer;
    EXPECT_EQ(pacer.millisecondsUntilFrame(1000 * ms), 0u); // the first frame runs at once
    struct Case {
        std::uint64_t now;
        std::uint32_t sleep;
    };
    const Case cases[] = {
        {1003 * ms, 7},     // a 3 ms frame sleeps 7 ms
        {1003 * ms + 1, 7}, // part of a millisecond rounds up: never a busy wait
        {1009 * ms + 999, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(pacer.millisecondsUntilFrame(c.now), c.sleep) << c.now;
    EXPECT_EQ(pacer.millisecondsUntilFrame(1010 * ms), 0u); // the next slice has begun
}

TEST(FramePacer, OvershootingSleepsDoNotSlowTheGame) {
    // Every sleep overshoots by 0.3 ms and every frame takes 0.7 ms: a hundred frames
    // still take one second, because each slice starts where the last one ended.
    FramePacer pacer;
    std::uint64_t now = 0;
    int frames = 0;
    std::uint64_t firstFrame = 0;
    std::uint64_t lastFrame = 0;
    while (frames < 101) {
        const std::uint32_t sleep = pacer.millisecondsUntilFrame(now);
        if (sleep == 0) {
            if (frames == 0) firstFrame = now;
            lastFrame = now;
            ++frames;
            now += 700; // the frame's work
        } else {
            now += sleep * ms + 300;
        }
    }
    const std::uint64_t hundredFrames = lastFrame - firstFrame;
    EXPECT_GE(hundredFrames, 1000 * ms - 1 * ms);
    EXPECT_LE(hundredFrames, 1000 * ms + 1 * ms);
}

TEST(FramePacer, AnOverrunningFrameIsFollowedAtOnceWithoutABurst) {
    FramePacer pacer;
    EXPECT_EQ(pacer.millisecondsUntilFrame(0), 0u);
    // A 12 ms frame: the next slice (10..20 ms) has begun, so the next frame runs now,
    // and the one after keeps to the cadence.
    EXPECT_EQ(pacer.millisecondsUntilFrame(12 * ms), 0u);
    EXPECT_EQ(pacer.millisecondsUntilFrame(13 * ms), 7u);
    EXPECT_EQ(pacer.millisecondsUntilFrame(20 * ms), 0u);
    // Half a second lost in a modal box: one frame now, then a fresh cadence from
    // here, not fifty frames in a row.
    EXPECT_EQ(pacer.millisecondsUntilFrame(520 * ms), 0u);
    EXPECT_EQ(pacer.millisecondsUntilFrame(521 * ms), 9u);
    EXPECT_EQ(pacer.millisecondsUntilFrame(530 * ms), 0u);
}

TEST(FramePacer, AtMostOneFramePerSlice) {
    FramePacer pacer;
    EXPECT_EQ(pacer.millisecondsUntilFrame(0), 0u);
    EXPECT_GT(pacer.millisecondsUntilFrame(0), 0u); // asked again in the same slice
    EXPECT_GT(pacer.millisecondsUntilFrame(9 * ms + 999), 0u);
}

// Frame pacing of the main loop: at most one frame per 10 ms slice, 100 a second.
#pragma once

#include <cstdint>

// Length of one frame slice.
constexpr std::uint32_t frameSlice = 10;                            // milliseconds
constexpr std::uint64_t frameSliceMicroseconds = frameSlice * 1000; // the same in microseconds

// Decides when the next frame may start. Slices are laid end to end on a fixed
// cadence: each begins where the previous one ended, not where the previous frame
// happened to begin. Sleeping in whole milliseconds always overshoots a little;
// measured from each frame's own start, those overshoots would add up and slow the
// game to about 99 frames a second. On the cadence they cancel out and the game runs
// at 100 frames a second on average.
//
// A frame still only starts once per slice, and a frame that overruns its slice is
// followed by the next one at once. When the loop falls a whole slice or more behind
// (a long frame, a modal box, a paused window) the cadence starts again from now
// instead of running the missed frames in a burst.
class FramePacer {
  public:
    // Called by the loop when the queue is empty, with a monotonic clock in
    // microseconds. Returns 0 when a frame is to run now (its slice has begun), or the
    // whole milliseconds to sleep before asking again (rounded up, so the loop never
    // spins in a tight loop before a slice begins).
    std::uint32_t millisecondsUntilFrame(std::uint64_t nowMicroseconds);
    // Starts the next slice later: an online match slows the machine that runs ahead
    // by a fraction of a slice instead of letting it stall.
    void delayNextSlice(std::uint64_t microseconds) { nextSlice += microseconds; }

  private:
    bool started = false;
    std::uint64_t nextSlice = 0; // start of the next slice, microseconds
};

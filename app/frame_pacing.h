// Frame pacing of the main loop: at most one frame per 10 ms slice.
#pragma once

#include <cstdint>

// Length of one frame slice in milliseconds.
constexpr std::uint32_t frameSlice = 10;

// Milliseconds to sleep after a frame: t0 is the tick count taken just before the
// message queue was found empty, t1 the tick count after the frame. The difference
// is taken as an unsigned 32-bit value, so the counter wrapping between t0 and t1
// does no harm. A frame that took a whole slice or more is followed at once (0).
std::uint32_t sleepAfterFrame(std::uint32_t t0, std::uint32_t t1);

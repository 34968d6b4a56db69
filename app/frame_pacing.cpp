#include "app/frame_pacing.h"

std::uint32_t sleepAfterFrame(std::uint32_t t0, std::uint32_t t1) {
    const std::uint32_t elapsed = t1 - t0; // unsigned: wrap-around is harmless
    return elapsed < frameSlice ? frameSlice - elapsed : 0;
}

#include "app/frame_pacing.h"

std::uint32_t FramePacer::millisecondsUntilFrame(std::uint64_t now) {
    if (started && now < nextSlice) {
        const std::uint64_t wait = nextSlice - now;
        return static_cast<std::uint32_t>((wait + 999) / 1000);
    }
    // A new slice begins: on the cadence, unless the loop is a whole slice behind.
    const bool onCadence = started && now - nextSlice < frameSliceMicroseconds;
    const std::uint64_t sliceStart = onCadence ? nextSlice : now;
    nextSlice = sliceStart + frameSliceMicroseconds;
    started = true;
    return 0;
}

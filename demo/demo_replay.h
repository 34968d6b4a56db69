// Replaying a demo: which inputs and states each frame takes, and whether the game
// is still in step with the recording.
#pragma once

#include "demo/demo_file.h"

#include <cstdint>
#include <string>

// Walks a demo frame by frame. The demo must outlive it.
class DemoCursor {
  public:
    explicit DemoCursor(const Demo& demo) : demo_(demo) {}

    bool finished() const { return frame_ >= demo_.frames; }
    std::uint32_t frame() const { return frame_; }
    // The states to put in place before the current frame, in order (usually none).
    const DemoStateChange* nextChange();
    FrameInput input() const;
    // Whether the checksum after the current frame is compared (every whole second
    // and the last frame); only then need advance be given the real one.
    bool checkAfterFrame() const;
    // Past the current frame, given the state's checksum after it. Returns the second
    // (1 for frames 1 to 100) whose checksum disagrees, or 0 while in step.
    std::uint32_t advance(std::uint64_t checksumAfter);

  private:
    const Demo& demo_;
    std::uint32_t frame_ = 0;
    std::size_t run_ = 0;
    std::uint32_t runUsed_ = 0;
    std::size_t change_ = 0;
};

// The second that the frame `frames` (1-based) belongs to.
inline std::uint32_t demoSecondOf(std::uint32_t frames) {
    return (frames + demoFramesPerCheck - 1) / demoFramesPerCheck;
}

struct DemoReplay {
    bool started = false;        // false: the starting state would not load
    std::uint32_t frames = 0;    // frames replayed
    std::uint32_t outOfStep = 0; // the first second out of step, 0 if none
    std::uint64_t finalChecksum = 0;
};

// Replays a demo on the live game without drawing, sound or boxes, to its end or its
// first second out of step, and leaves the live game in the state it reached.
DemoReplay replayDemo(const Demo& demo);

// The checksum as TIMEDEMO and brawlex-demo print it: 16 lower-case hex digits.
std::string checksumText(std::uint64_t checksum);

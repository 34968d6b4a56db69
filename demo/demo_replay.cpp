#include "demo/demo_replay.h"

#include "game/simulation.h"

#include <cstdio>

const DemoStateChange* DemoCursor::nextChange() {
    if (change_ < demo_.changes.size() && demo_.changes[change_].frame == frame_)
        return &demo_.changes[change_++];
    return nullptr;
}

FrameInput DemoCursor::input() const {
    return run_ < demo_.runs.size() ? demo_.runs[run_].input : FrameInput{};
}

bool DemoCursor::checkAfterFrame() const {
    return (frame_ + 1) % demoFramesPerCheck == 0 || frame_ + 1 == demo_.frames;
}

std::uint32_t DemoCursor::advance(std::uint64_t checksumAfter) {
    ++frame_;
    if (run_ < demo_.runs.size() && ++runUsed_ >= demo_.runs[run_].frames) {
        ++run_;
        runUsed_ = 0;
    }
    bool inStep = true;
    if (frame_ % demoFramesPerCheck == 0) {
        const std::size_t second = frame_ / demoFramesPerCheck;
        inStep = second <= demo_.checksums.size() && demo_.checksums[second - 1] == checksumAfter;
    }
    if (frame_ == demo_.frames) inStep = inStep && demo_.finalChecksum == checksumAfter;
    return inStep ? 0 : demoSecondOf(frame_);
}

DemoReplay replayDemo(const Demo& demo) {
    DemoReplay result;
    GameState state;
    if (!decodeState(demo.start, state)) return result;
    loadGame(state);
    result.started = true;
    result.finalChecksum = stateChecksum(state);

    DemoCursor cursor(demo);
    FrameEvents events;
    while (!cursor.finished()) {
        while (const DemoStateChange* change = cursor.nextChange()) {
            if (decodeState(change->state, state)) loadGame(state);
        }
        simulateFrame(cursor.input(), events);
        std::uint64_t checksum = 0;
        if (cursor.checkAfterFrame()) checksum = stateChecksum(saveGame());
        result.outOfStep = cursor.advance(checksum);
        result.frames = cursor.frame();
        result.finalChecksum = checksum;
        if (result.outOfStep != 0) break;
    }
    return result;
}

std::string checksumText(std::uint64_t checksum) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(checksum));
    return text;
}

// The main loop of every program: takes the waiting events, waits while the game is
// inactive, paces the frames at one per 10 ms slice and runs them. What only the
// platform can do (take an event, wait for one, sleep, read its clock) comes as hooks.
#pragma once

#include <cstdint>

struct MainLoopHooks {
    enum class Event { handled, none, quit };
    // Takes the oldest waiting event and handles it: handled; none when nothing
    // waits; quit when the program's quit has come (the loop ends).
    Event (*takeEvent)();
    // Blocks until something happens that may make the game active again (an event
    // arrives). Uses no processor time meanwhile.
    void (*waitForEvent)();
    // Sleeps about `milliseconds`; waking early does no harm.
    void (*sleep)(std::uint32_t milliseconds);
    // A monotonic clock in microseconds.
    std::uint64_t (*clock)();
    // The frame itself.
    void (*runFrame)();
    // Optional. Called when a frame's slice has begun, just before the frame; false
    // puts the frame off to the next pass (which takes the events first again).
    bool (*frameDue)() = nullptr;
    // Optional: just before and just after each frame (measurements).
    void (*frameStarting)() = nullptr;
    void (*frameEnded)() = nullptr;
};

// Runs until takeEvent reports the quit:
//   1. every waiting event is handled before the next frame;
//   2. while isActive is clear, no frame runs and the loop waits for an event;
//   3. otherwise a frame runs once its 10 ms slice has begun (FramePacer), and the
//      loop sleeps until then.
void runMainLoop(const MainLoopHooks& hooks);

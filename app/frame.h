// One tick of the game, and the live bullets it steps.
#pragma once

#include "game/bullet.h"
#include "game/player_input.h"

#include <cstdint>
#include <vector>

struct FrameEvents;

// Live bullets in the order they were fired.
extern std::vector<Bullet> bullets;
// Set by a new game; the next frame discards every bullet.
extern std::uint8_t clearBulletsRequested;

// Sub-steps a bullet moves each frame.
constexpr int bulletStepsPerFrame = 6;

// Where a demo (or any other source of inputs) joins the frame. Null members do
// nothing; with every member null a frame is exactly the keyboard game.
struct FrameHooks {
    // Between frames: after the console (when its key opened it) closed, before the
    // inputs are read. Commands change the game only here and before the first frame.
    void (*betweenFrames)() = nullptr;
    // The inputs read from the keys, which the hook may record or replace.
    void (*input)(FrameInput& input) = nullptr;
    // After the frame was simulated, its sounds played, its boxes shown and it was
    // drawn and presented.
    void (*afterFrame)(const FrameEvents& events) = nullptr;
    // False: death boxes are not shown (their sounds still play) and the keys are
    // not cleared, for playing a demo as fast as possible.
    bool showDeathBoxes = true;
};
extern FrameHooks frameHooks;

// Console key, inputs, simulation, its sounds and death boxes, drawing, present.
void runFrame();

// The steps of runFrame, for drivers of their own.
// Plays a simulated frame's sounds in order and, when `showBoxes`, shows its death
// boxes after the sounds heard before them (each followed by every key up). runFrame
// itself shows a box in the middle of the frame, where it opens.
void playFrameEvents(const FrameEvents& events, bool showBoxes);
// Draws the live game after a simulated frame: bullets at each of their sub-steps,
// then both players. Changes no game state.
void drawFrame(const FrameEvents& events);

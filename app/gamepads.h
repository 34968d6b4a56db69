// Gamepads read into keyState like keys: each control of pad 1 and pad 2 has a key
// code of its own (padKeyCodes in config/key_bindings.h), so bindings, the players'
// updates and the clearing of keyState treat pads and keys alike.
#pragma once

#include "config/key_bindings.h"

#include <cstdint>

// One pad as a layer reads it. A pad that is not connected counts as all released,
// whatever the other fields hold.
struct PadState {
    bool connected = false;
    // Bit (1 << PadControl) for each button and d-pad direction held; the trigger and
    // stick bits are not read (those come from the analog values below).
    std::uint32_t buttons = 0;
    // The left stick, -1 to 1 on each axis: x positive to the right, y positive up.
    float stickX = 0.0f;
    float stickY = 0.0f;
    // The triggers, 0 released to 1 pressed all the way.
    float leftTrigger = 0.0f;
    float rightTrigger = 0.0f;
};

constexpr std::uint32_t padButton(PadControl control) {
    return std::uint32_t{1} << control;
}

// A stick direction is held past a quarter of its travel on its own axis, so the
// slack of a stick at rest never walks a fighter and a diagonal holds both directions.
constexpr float padStickDeadZone = 0.25f;
// A trigger is held past half its travel.
constexpr float padTriggerThreshold = 0.5f;

// Fills both pads: pad 1 is pads[0]. Each layer defines it (gamepads_<layer>.cpp):
// XInput on Windows, SDL's game controllers on the desktop, the browser's gamepads on
// the web, a fake source for the tests. Called once a frame.
void readGamepads(PadState pads[padCount]);

// Writes the levels of every pad control into keys (1 held, 0 released), touching no
// other entry. An analog value that is not a number reads as released.
void writePadLevels(const PadState pads[padCount], std::uint8_t keys[256]);

// Reads the pads and writes their levels into keyState; the frame step calls it before
// anything reads keyState.
void pollGamepads();

// An axis of 16-bit signed steps (-32768 to 32767) as -1 to 1.
float padAxisFromSteps(int value);

// A pad as XInput reports it: its button bits (XINPUT_GAMEPAD_*), triggers of 0 to 255
// and left stick of 16-bit steps, y positive up. Every XInput pad is connected.
PadState padFromXInput(std::uint16_t buttons, std::uint8_t leftTrigger, std::uint8_t rightTrigger,
                       std::int16_t stickX, std::int16_t stickY);

// A pad in the browser's "standard" layout: buttons 0 to 3 A, B, X, Y; 4 and 5 the
// shoulders; 6 and 7 the triggers (values 0 to 1); 8 back, 9 start; 12 to 15 the d-pad
// up, down, left, right; axes 0 and 1 the left stick, y positive down. Short lists
// leave the missing controls released.
PadState padFromStandardGamepad(const double* axes, int axisCount, const double* buttonValues,
                                const bool* buttonsPressed, int buttonCount);

// Which device is pad 1 and which pad 2, by a device id of the layer's own (SDL's
// instance id, the browser's gamepad index). A device keeps its pad until it is
// removed, so pulling out pad 1 leaves pad 2 where it is; a device plugged in takes
// the lowest free pad, and a third one none.
class PadSlots {
  public:
    // The pad (0 or 1) of a device, giving it the lowest free one if it has none;
    // -1 when both are taken by others.
    int claim(long long device);
    // The pad of a device, or -1.
    int find(long long device) const;
    // Frees the pad of a device (nothing when it has none).
    void release(long long device);
    // Frees a pad, whichever device held it.
    void releasePad(int pad);
    bool taken(int pad) const { return pad >= 0 && pad < padCount && used[pad]; }
    long long device(int pad) const { return taken(pad) ? devices[pad] : -1; }

  private:
    long long devices[padCount] = {};
    bool used[padCount] = {};
};

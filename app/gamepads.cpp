// The pads' controls as key levels.
#include "app/gamepads.h"

#include "app/key_state.h"

#include <cmath>

namespace {

// Past the threshold, toward the positive end. NaN is never past it.
bool past(float value, float threshold) {
    return value > threshold;
}

// A browser's value clamped to [low, 1]; not a number reads as 0 (released).
float clamped(double value, double low) {
    if (std::isnan(value)) return 0.0f;
    if (value < low) return static_cast<float>(low);
    if (value > 1.0) return 1.0f;
    return static_cast<float>(value);
}

} // namespace

void writePadLevels(const PadState pads[padCount], std::uint8_t keys[256]) {
    for (int p = 0; p < padCount; ++p) {
        const PadState& pad = pads[p];
        bool held[padControlCount] = {};
        if (pad.connected) {
            for (int c = 0; c < padControlCount; ++c)
                held[c] = (pad.buttons & padButton(static_cast<PadControl>(c))) != 0;
            held[PadLT] = past(pad.leftTrigger, padTriggerThreshold);
            held[PadRT] = past(pad.rightTrigger, padTriggerThreshold);
            held[PadStickUp] = past(pad.stickY, padStickDeadZone);
            held[PadStickDown] = past(-pad.stickY, padStickDeadZone);
            held[PadStickLeft] = past(-pad.stickX, padStickDeadZone);
            held[PadStickRight] = past(pad.stickX, padStickDeadZone);
        }
        for (int c = 0; c < padControlCount; ++c) keys[padKeyCodes[p][c]] = held[c] ? 1 : 0;
    }
}

void pollGamepads() {
    PadState pads[padCount] = {};
    readGamepads(pads);
    writePadLevels(pads, keyState);
}

float padAxisFromSteps(int value) {
    if (value >= 32767) return 1.0f;
    if (value <= -32767) return -1.0f;
    return static_cast<float>(value) / 32767.0f;
}

PadState padFromXInput(std::uint16_t buttons, std::uint8_t leftTrigger, std::uint8_t rightTrigger,
                       std::int16_t stickX, std::int16_t stickY) {
    // XINPUT_GAMEPAD_* bits.
    struct Bit {
        std::uint16_t xinput;
        PadControl control;
    };
    static constexpr Bit bits[] = {
        {0x1000, PadA},  {0x2000, PadB},    {0x4000, PadX},    {0x8000, PadY},
        {0x0100, PadLB}, {0x0200, PadRB},   {0x0020, PadBack}, {0x0010, PadStart},
        {0x0001, PadUp}, {0x0002, PadDown}, {0x0004, PadLeft}, {0x0008, PadRight},
    };
    PadState pad;
    pad.connected = true;
    for (const Bit& bit : bits)
        if (buttons & bit.xinput) pad.buttons |= padButton(bit.control);
    pad.leftTrigger = static_cast<float>(leftTrigger) / 255.0f;
    pad.rightTrigger = static_cast<float>(rightTrigger) / 255.0f;
    pad.stickX = padAxisFromSteps(stickX);
    pad.stickY = padAxisFromSteps(stickY);
    return pad;
}

PadState padFromStandardGamepad(const double* axes, int axisCount, const double* buttonValues,
                                const bool* buttonsPressed, int buttonCount) {
    struct Button {
        int index;
        PadControl control;
    };
    static constexpr Button buttons[] = {
        {0, PadA},    {1, PadB},     {2, PadX},   {3, PadY},     {4, PadLB},    {5, PadRB},
        {8, PadBack}, {9, PadStart}, {12, PadUp}, {13, PadDown}, {14, PadLeft}, {15, PadRight},
    };
    PadState pad;
    pad.connected = true;
    for (const Button& button : buttons)
        if (button.index < buttonCount && buttonsPressed[button.index])
            pad.buttons |= padButton(button.control);
    if (buttonCount > 6) pad.leftTrigger = clamped(buttonValues[6], 0.0);
    if (buttonCount > 7) pad.rightTrigger = clamped(buttonValues[7], 0.0);
    if (axisCount > 0) pad.stickX = clamped(axes[0], -1.0);
    if (axisCount > 1) pad.stickY = -clamped(axes[1], -1.0);
    return pad;
}

int PadSlots::find(long long device) const {
    for (int p = 0; p < padCount; ++p)
        if (used[p] && devices[p] == device) return p;
    return -1;
}

int PadSlots::claim(long long device) {
    if (const int pad = find(device); pad >= 0) return pad;
    for (int p = 0; p < padCount; ++p) {
        if (!used[p]) {
            used[p] = true;
            devices[p] = device;
            return p;
        }
    }
    return -1;
}

void PadSlots::release(long long device) {
    releasePad(find(device));
}

void PadSlots::releasePad(int pad) {
    if (pad >= 0 && pad < padCount) used[pad] = false;
}

#include "game/key_input.h"

#include "config/key_bindings.h"

namespace {

struct Binding {
    Action action;
    InputBit bit;
};

constexpr Binding bindings[] = {
    {ActionJump, InputJump},       {ActionLeft, InputLeft},   {ActionRight, InputRight},
    {ActionGrapple, InputGrapple}, {ActionAimUp, InputAimUp}, {ActionAimDown, InputAimDown},
    {ActionAttack, InputAttack},   {ActionSword, InputSword},
};

} // namespace

PlayerInput inputFromKeys(const std::uint8_t* keys, int side) {
    PlayerInput input;
    // A side outside 0..1 has no row of bindings: nothing counts as held.
    if (side < 0 || side > 1) return input;
    for (const Binding& b : bindings) {
        const std::uint16_t code = KeyBindings[side][b.action];
        // Unbound slots (0) and codes beyond the 256-entry key table are never held.
        if (code == 0 || code > 255) continue;
        if (keys[code] != 0) input.held |= b.bit;
    }
    return input;
}

FrameInput frameInputFromKeys(const std::uint8_t* keys) {
    return FrameInput{{inputFromKeys(keys, 0), inputFromKeys(keys, 1)}};
}

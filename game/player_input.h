// One player's input for one frame: the levels of his eight actions. Keys through
// the bindings, pads, a demo, the network and the computer player all produce it;
// the simulation reads nothing else from outside.
#pragma once

#include <cstdint>

// Bits of PlayerInput::held, one per action.
enum InputBit : std::uint8_t {
    InputJump = 1u << 0,
    InputLeft = 1u << 1,
    InputRight = 1u << 2,
    InputGrapple = 1u << 3,
    InputAimUp = 1u << 4,
    InputAimDown = 1u << 5,
    InputAttack = 1u << 6,
    InputSword = 1u << 7,
};

struct PlayerInput {
    std::uint8_t held = 0; // InputBit flags of the actions held this frame

    bool has(InputBit bit) const { return (held & bit) != 0; }
    friend bool operator==(PlayerInput, PlayerInput) = default;
};

// Both players' inputs of one frame, indexed by side (0 for player 1).
struct FrameInput {
    PlayerInput players[2];
    friend bool operator==(const FrameInput&, const FrameInput&) = default;
};

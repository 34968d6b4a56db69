// A demo: a match as its starting state, each frame's inputs, the states that
// console lines and scripts put in place between frames, and a checksum of the
// state every second of play. The bytes on disk are described in
// docs/demo-format.md; they are the same on every program.
#pragma once

#include "game/player_input.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Frames per checksum: one second of play at 100 frames a second.
constexpr std::uint32_t demoFramesPerCheck = 100;
// The only version this program reads and writes.
constexpr std::uint16_t demoFormatVersion = 1;
// Nothing bigger is read: an hour of play with a change every second takes far less.
constexpr std::size_t demoMaxFileBytes = 64u << 20;

// Consecutive frames with the same inputs.
struct DemoInputRun {
    std::uint32_t frames;
    FrameInput input;
};

// A state put in place before the frame `frame` (0 is the first frame) was run.
struct DemoStateChange {
    std::uint32_t frame;
    std::vector<std::uint8_t> state; // the state's canonical encoding
};

struct Demo {
    std::vector<std::uint8_t> start;      // the starting state's canonical encoding
    std::vector<DemoInputRun> runs;       // the inputs of every frame, in order
    std::vector<DemoStateChange> changes; // by frame, in order
    // The state's checksum after frames 100, 200, ... (one per whole second).
    std::vector<std::uint64_t> checksums;
    std::uint32_t frames = 0;        // frames in the demo
    std::uint64_t finalChecksum = 0; // the state's checksum after the last frame
};

// Builds a demo frame by frame, as a recording goes.
class DemoWriter {
  public:
    explicit DemoWriter(std::vector<std::uint8_t> startState);
    // A state that replaced the game's before the next frame.
    void stateChange(std::vector<std::uint8_t> state);
    // One frame: its inputs and the state's checksum after it.
    void frame(FrameInput input, std::uint64_t checksumAfter);
    const Demo& demo() const { return demo_; }

  private:
    Demo demo_;
};

// The file's bytes.
std::vector<std::uint8_t> encodeDemo(const Demo& demo);

enum class DemoError {
    None,
    NotADemo,       // no demo's signature at the start
    UnknownVersion, // a format this program does not know
    Truncated,      // ends before its end record
    Damaged,        // counts, lengths or states that no recording writes
    TooLarge,       // larger than demoMaxFileBytes
};

// Reads a demo's bytes. On any error `demo` is left unchanged; every length and
// count is checked against the bytes that are there before anything is kept.
DemoError decodeDemo(std::span<const std::uint8_t> bytes, Demo& demo);

// Why a file could not be used, in a few words for a console line.
const char* describeDemoError(DemoError error);

// Demo files: written and read back, and every kind of bad file refused whole.
#include "demo/demo_file.h"
#include "game/simulation.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

FrameInput inputs(std::uint8_t p1, std::uint8_t p2) {
    FrameInput in;
    in.players[0].held = p1;
    in.players[1].held = p2;
    return in;
}

// A demo of 250 frames with two state changes, one of them on a second's boundary,
// made from the real game's state.
class DemoFileTest : public ::testing::Test {
  protected:
    Arena arena;
    Bytes state = encodeState(saveGame());
    Demo demo = makeDemo();

    Demo makeDemo() {
        DemoWriter writer(state);
        for (std::uint32_t f = 0; f < 250; ++f) {
            if (f == 40 || f == 100) writer.stateChange(state);
            writer.frame(inputs(f < 120 ? InputAttack : InputLeft | InputJump, f % 7 == 0),
                         0x1000 + f);
        }
        return writer.demo();
    }

    // The file's header and starting state, to which a test appends its records.
    Bytes header(std::uint16_t version = demoFormatVersion) const {
        Bytes out = {'B', 'R', 'A', 'W', 'L', 'D', 'E', 'M'};
        out.push_back(static_cast<std::uint8_t>(version));
        out.push_back(static_cast<std::uint8_t>(version >> 8));
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(state.size() >> (8 * i)));
        out.insert(out.end(), state.begin(), state.end());
        return out;
    }
};

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes varint(std::size_t v) {
    Bytes out;
    for (; v >= 0x80; v >>= 7) out.push_back(static_cast<std::uint8_t>(v | 0x80));
    out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

const Bytes end0 = {0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}; // no frames, checksum 0

TEST_F(DemoFileTest, ReadsBackWhatWasWritten) {
    const Bytes bytes = encodeDemo(demo);
    Demo read;
    ASSERT_EQ(decodeDemo(bytes, read), DemoError::None);
    EXPECT_EQ(read.start, demo.start);
    EXPECT_EQ(read.frames, 250u);
    EXPECT_EQ(read.finalChecksum, 0x1000u + 249);
    EXPECT_EQ(read.checksums, (std::vector<std::uint64_t>{0x1000 + 99, 0x1000 + 199}));
    ASSERT_EQ(read.changes.size(), 2u);
    EXPECT_EQ(read.changes[0].frame, 40u);
    EXPECT_EQ(read.changes[1].frame, 100u);
    EXPECT_EQ(read.changes[1].state, state);
    // The runs come back merged as they were recorded, whatever the records split.
    ASSERT_EQ(read.runs.size(), demo.runs.size());
    for (std::size_t i = 0; i < read.runs.size(); ++i) {
        EXPECT_EQ(read.runs[i].frames, demo.runs[i].frames) << i;
        EXPECT_EQ(read.runs[i].input, demo.runs[i].input) << i;
    }
    EXPECT_EQ(encodeDemo(read), bytes);
}

TEST_F(DemoFileTest, AMinuteOfSteadyPlayIsSmall) {
    DemoWriter writer(state);
    for (std::uint32_t f = 0; f < 6000; ++f)
        writer.frame(inputs((f / 25) % 2 ? InputAttack : InputRight, (f / 40) % 3), f);
    const Bytes bytes = encodeDemo(writer.demo());
    // 240 input changes and 60 checksums: a few kilobytes beside the starting state.
    EXPECT_LT(bytes.size(), state.size() + 4000) << bytes.size();
}

TEST_F(DemoFileTest, EveryCutShortFileIsRefused) {
    const Bytes bytes = encodeDemo(demo);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        Demo read;
        read.frames = 77;
        const DemoError error = decodeDemo(Bytes(bytes.begin(), bytes.begin() + n), read);
        EXPECT_EQ(error, n < 8 ? DemoError::NotADemo : DemoError::Truncated) << n;
        EXPECT_EQ(read.frames, 77u) << "changed by a refused file, length " << n;
    }
}

TEST_F(DemoFileTest, HostileFilesAreRefused) {
    Bytes badState = header();
    badState[14] ^= 0xff; // the state's own version byte
    Bytes hugeStart = header();
    hugeStart[10] = hugeStart[11] = hugeStart[12] = hugeStart[13] = 0xff;
    const Bytes tooLarge(demoMaxFileBytes + 1, 0);

    struct Case {
        const char* what;
        Bytes bytes;
        DemoError error;
    };
    const Case cases[] = {
        {"empty", {}, DemoError::NotADemo},
        {"a text file", Bytes{'B', 'I', 'N', 'D', ' ', '1', ' ', 'J', 'U', 'M', 'P'},
         DemoError::NotADemo},
        {"a later version", header(2) + end0, DemoError::UnknownVersion},
        {"a starting state longer than the file", hugeStart, DemoError::Truncated},
        {"a starting state that is no state", badState + end0, DemoError::Damaged},
        {"no end record", header(), DemoError::Truncated},
        {"an unknown record", header() + Bytes{0x7f} + end0, DemoError::Damaged},
        {"bytes after the end", header() + end0 + Bytes{0}, DemoError::Damaged},
        {"an end with the wrong frame count", header() + Bytes{0x01, 5, 0, 0} + end0,
         DemoError::Damaged},
        {"a run of no frames", header() + Bytes{0x01, 0, 0, 0} + end0, DemoError::Damaged},
        {"a run past a second's checksum", header() + Bytes{0x01, 101, 0, 0}, DemoError::Damaged},
        {"a run of four billion frames", header() + Bytes{0x01, 0xff, 0xff, 0xff, 0xff, 0x0f, 0, 0},
         DemoError::Damaged},
        {"a count longer than five bytes",
         header() + Bytes{0x01, 0x81, 0x80, 0x80, 0x80, 0x80, 0x00, 0, 0}, DemoError::Damaged},
        {"a second without its checksum", header() + Bytes{0x01, 100, 0, 0, 0x01, 1, 0, 0},
         DemoError::Damaged},
        {"a checksum in mid-second", header() + Bytes{0x01, 50, 0, 0, 0x03, 0, 0, 0, 0, 0, 0, 0, 0},
         DemoError::Damaged},
        {"a state change longer than the file",
         header() + Bytes{0x02, 0xff, 0xff, 0xff, 0xff, 0x0f}, DemoError::Truncated},
        {"a state change that is no state", header() + Bytes{0x02, 3, 1, 2, 3} + end0,
         DemoError::Damaged},
        {"a state change after the last frame",
         header() + Bytes{0x02} + varint(state.size()) + state + end0, DemoError::Damaged},
        {"too large", tooLarge, DemoError::TooLarge},
    };
    for (const Case& c : cases) {
        Demo read;
        read.frames = 77;
        EXPECT_EQ(decodeDemo(c.bytes, read), c.error) << c.what;
        EXPECT_EQ(read.frames, 77u) << c.what;
    }
}

} // namespace

#include "demo/demo_file.h"

#include "game/simulation.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr char signature[8] = {'B', 'R', 'A', 'W', 'L', 'D', 'E', 'M'};

// Record tags of the body.
enum : std::uint8_t {
    TagEnd = 0x00,    // frames (varint), final checksum (8 bytes)
    TagInputs = 0x01, // frames (varint, at least 1), player 1's byte, player 2's byte
    TagState = 0x02,  // length (varint), the state's encoding
    TagCheck = 0x03,  // checksum (8 bytes) after the frame that ends a second
};

void putU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putU64(std::vector<std::uint8_t>& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Seven bits a byte, least significant first, the top bit set on every byte but
// the last.
void putVarint(std::vector<std::uint8_t>& out, std::uint32_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

std::uint32_t nextCheckFrame(std::uint32_t frame) {
    return (frame / demoFramesPerCheck + 1) * demoFramesPerCheck;
}

// Reads from the front of a byte span; any read past the end marks it short.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool shortRead() const { return short_; }
    std::size_t left() const { return bytes_.size() - at_; }

    std::uint8_t u8() {
        if (left() < 1) return fail();
        return bytes_[at_++];
    }
    std::uint16_t u16() {
        if (left() < 2) return fail();
        const std::uint16_t v = static_cast<std::uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
        at_ += 2;
        return v;
    }
    std::uint32_t u32() {
        if (left() < 4) return fail();
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(bytes_[at_ + i]) << (8 * i);
        at_ += 4;
        return v;
    }
    std::uint64_t u64() {
        if (left() < 8) return fail();
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(bytes_[at_ + i]) << (8 * i);
        at_ += 8;
        return v;
    }
    // False for an encoding longer than five bytes or beyond 32 bits.
    bool varint(std::uint32_t& v) {
        v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            const std::uint8_t b = u8();
            if (short_) return true; // reported as short by the caller
            if (shift == 28 && (b & 0x70) != 0) return false;
            v |= static_cast<std::uint32_t>(b & 0x7f) << shift;
            if ((b & 0x80) == 0) return true;
        }
        return false;
    }
    std::span<const std::uint8_t> take(std::size_t n) {
        if (left() < n) {
            fail();
            return {};
        }
        const auto part = bytes_.subspan(at_, n);
        at_ += n;
        return part;
    }

  private:
    std::uint8_t fail() {
        short_ = true;
        at_ = bytes_.size();
        return 0;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool short_ = false;
};

bool validState(std::span<const std::uint8_t> encoding) {
    GameState scratch;
    return decodeState(encoding, scratch);
}

} // namespace

DemoWriter::DemoWriter(std::vector<std::uint8_t> startState) {
    demo_.start = std::move(startState);
}

void DemoWriter::stateChange(std::vector<std::uint8_t> state) {
    // Two changes before one frame: only the later one counts.
    if (!demo_.changes.empty() && demo_.changes.back().frame == demo_.frames)
        demo_.changes.back().state = std::move(state);
    else
        demo_.changes.push_back({demo_.frames, std::move(state)});
}

void DemoWriter::frame(FrameInput input, std::uint64_t checksumAfter) {
    if (!demo_.runs.empty() && demo_.runs.back().input == input)
        ++demo_.runs.back().frames;
    else
        demo_.runs.push_back({1, input});
    ++demo_.frames;
    if (demo_.frames % demoFramesPerCheck == 0) demo_.checksums.push_back(checksumAfter);
    demo_.finalChecksum = checksumAfter;
}

std::vector<std::uint8_t> encodeDemo(const Demo& demo) {
    std::vector<std::uint8_t> out(std::begin(signature), std::end(signature));
    putU16(out, demoFormatVersion);
    putU32(out, static_cast<std::uint32_t>(demo.start.size()));
    out.insert(out.end(), demo.start.begin(), demo.start.end());

    std::uint32_t frame = 0;
    std::size_t run = 0;
    std::uint32_t runUsed = 0;
    std::size_t change = 0;
    while (frame < demo.frames) {
        for (; change < demo.changes.size() && demo.changes[change].frame <= frame; ++change) {
            const auto& state = demo.changes[change].state;
            out.push_back(TagState);
            putVarint(out, static_cast<std::uint32_t>(state.size()));
            out.insert(out.end(), state.begin(), state.end());
        }
        // A run of records up to the next checksum, change or the end.
        std::uint32_t stop = std::min(nextCheckFrame(frame), demo.frames);
        if (change < demo.changes.size()) stop = std::min(stop, demo.changes[change].frame);
        while (frame < stop && run < demo.runs.size()) {
            const DemoInputRun& r = demo.runs[run];
            const std::uint32_t n = std::min(r.frames - runUsed, stop - frame);
            out.push_back(TagInputs);
            putVarint(out, n);
            out.push_back(r.input.players[0].held);
            out.push_back(r.input.players[1].held);
            frame += n;
            runUsed += n;
            if (runUsed == r.frames) {
                ++run;
                runUsed = 0;
            }
        }
        if (frame < stop) break; // fewer inputs than frames: nothing more to write
        if (frame % demoFramesPerCheck == 0) {
            out.push_back(TagCheck);
            const std::size_t second = frame / demoFramesPerCheck;
            putU64(out, second <= demo.checksums.size() ? demo.checksums[second - 1] : 0);
        }
    }
    out.push_back(TagEnd);
    putVarint(out, frame);
    putU64(out, demo.finalChecksum);
    return out;
}

DemoError decodeDemo(std::span<const std::uint8_t> bytes, Demo& demo) {
    if (bytes.size() > demoMaxFileBytes) return DemoError::TooLarge;
    if (bytes.size() < sizeof signature ||
        std::memcmp(bytes.data(), signature, sizeof signature) != 0)
        return DemoError::NotADemo;
    Reader in(bytes.subspan(sizeof signature));
    const std::uint16_t version = in.u16();
    if (in.shortRead()) return DemoError::Truncated;
    if (version != demoFormatVersion) return DemoError::UnknownVersion;

    Demo read;
    const std::uint32_t startLength = in.u32();
    const auto start = in.take(startLength);
    if (in.shortRead()) return DemoError::Truncated;
    if (!validState(start)) return DemoError::Damaged;
    read.start.assign(start.begin(), start.end());

    std::uint32_t frame = 0;
    for (;;) {
        const std::uint8_t tag = in.u8();
        if (in.shortRead()) return DemoError::Truncated;
        // Every whole second's checksum comes before anything that follows it.
        const bool checkDue = read.checksums.size() != frame / demoFramesPerCheck;
        if (checkDue && tag != TagCheck) return DemoError::Damaged;
        if (tag == TagInputs) {
            std::uint32_t n = 0;
            if (!in.varint(n)) return DemoError::Damaged;
            FrameInput input;
            input.players[0].held = in.u8();
            input.players[1].held = in.u8();
            if (in.shortRead()) return DemoError::Truncated;
            // A run never crosses a checksum, so the frames are bounded by the bytes.
            if (n == 0 || n > nextCheckFrame(frame) - frame) return DemoError::Damaged;
            if (!read.runs.empty() && read.runs.back().input == input)
                read.runs.back().frames += n;
            else
                read.runs.push_back({n, input});
            frame += n;
        } else if (tag == TagState) {
            std::uint32_t length = 0;
            if (!in.varint(length)) return DemoError::Damaged;
            const auto state = in.take(length);
            if (in.shortRead()) return DemoError::Truncated;
            if (!validState(state)) return DemoError::Damaged;
            if (!read.changes.empty() && read.changes.back().frame == frame)
                read.changes.back().state.assign(state.begin(), state.end());
            else
                read.changes.push_back({frame, {state.begin(), state.end()}});
        } else if (tag == TagCheck) {
            const std::uint64_t checksum = in.u64();
            if (in.shortRead()) return DemoError::Truncated;
            if (!checkDue) return DemoError::Damaged;
            read.checksums.push_back(checksum);
        } else if (tag == TagEnd) {
            std::uint32_t frames = 0;
            if (!in.varint(frames)) return DemoError::Damaged;
            read.finalChecksum = in.u64();
            if (in.shortRead()) return DemoError::Truncated;
            if (frames != frame || in.left() != 0) return DemoError::Damaged;
            // A state change after the last frame has nothing to apply to.
            if (!read.changes.empty() && read.changes.back().frame >= frame)
                return DemoError::Damaged;
            read.frames = frame;
            demo = std::move(read);
            return DemoError::None;
        } else {
            return DemoError::Damaged;
        }
    }
}

const char* describeDemoError(DemoError error) {
    switch (error) {
    case DemoError::None:
        return "is a demo";
    case DemoError::NotADemo:
        return "is not a demo";
    case DemoError::UnknownVersion:
        return "is a demo of a version this program does not know";
    case DemoError::Truncated:
        return "is cut short";
    case DemoError::Damaged:
        return "is damaged";
    case DemoError::TooLarge:
        return "is too large for a demo";
    }
    return "is not a demo";
}

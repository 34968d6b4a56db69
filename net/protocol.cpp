#include "net/protocol.h"

#include <algorithm>
#include <cstring>

namespace net {

namespace {

class Writer {
  public:
    explicit Writer(std::vector<std::uint8_t>& out) : out_(out) { out_.clear(); }
    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void bytes(std::span<const std::uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }

  private:
    void put(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t>& out_;
};

// Reads fields in order; any read past the end marks the whole read failed.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
    std::uint8_t u8() { return static_cast<std::uint8_t>(get(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(get(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(get(4)); }
    std::uint64_t u64() { return get(8); }
    std::span<const std::uint8_t> bytes(std::size_t n) {
        if (!ok_ || in_.size() - at_ < n) {
            ok_ = false;
            return {};
        }
        auto s = in_.subspan(at_, n);
        at_ += n;
        return s;
    }
    void fail() { ok_ = false; }
    // True when every read succeeded and the packet is used up exactly.
    bool done() const { return ok_ && at_ == in_.size(); }

  private:
    std::uint64_t get(std::size_t n) {
        if (!ok_ || in_.size() - at_ < n) {
            ok_ = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v |= std::uint64_t{in_[at_ + i]} << (8 * i);
        at_ += n;
        return v;
    }
    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

void header(Writer& w, const PacketHeader& h, PacketKind kind) {
    w.u8(protocolMagic[0]);
    w.u8(protocolMagic[1]);
    w.u8(protocolVersion);
    w.u8(static_cast<std::uint8_t>(kind));
    w.u64(h.token);
    w.u32(h.sequence);
}

// Skips the header of a packet of `kind`; fails the reader for any other.
void skipHeader(Reader& r, PacketKind kind) {
    const std::uint8_t m0 = r.u8(), m1 = r.u8(), version = r.u8(), k = r.u8();
    r.u64();
    r.u32();
    if (m0 != protocolMagic[0] || m1 != protocolMagic[1] || version != protocolVersion ||
        k != static_cast<std::uint8_t>(kind))
        r.fail();
}

void resumeFields(Writer& w, const ResumeBody& b) {
    w.u16(b.epoch);
    w.u32(b.frame);
    w.u8(b.ok);
    w.u8(b.changed);
    w.u32(b.size);
    w.u64(b.checksum);
}

void resumeFields(Reader& r, ResumeBody& b) {
    b.epoch = r.u16();
    b.frame = r.u32();
    b.ok = r.u8();
    b.changed = r.u8();
    b.size = r.u32();
    b.checksum = r.u64();
    if (b.ok > 1 || b.changed > 1) r.fail();
}

} // namespace

void writeHello(std::vector<std::uint8_t>& out, const PacketHeader& h, std::uint64_t nonce) {
    Writer w(out);
    header(w, h, PacketKind::Hello);
    w.u64(nonce);
}

void writeWelcome(std::vector<std::uint8_t>& out, const PacketHeader& h, const WelcomeBody& b) {
    Writer w(out);
    header(w, h, PacketKind::Welcome);
    w.u64(b.nonce);
    resumeFields(w, b.start);
}

void writeInputs(std::vector<std::uint8_t>& out, const PacketHeader& h, const InputsBody& b) {
    Writer w(out);
    header(w, h, PacketKind::Inputs);
    w.u16(b.epoch);
    w.u32(b.frame);
    w.u32(b.ack);
    w.u32(b.first);
    // Runs of equal inputs: a held key costs two bytes however long it is held.
    const std::size_t runsAt = out.size();
    w.u8(0);
    std::uint8_t runs = 0;
    for (std::size_t i = 0; i < b.inputCount;) {
        std::size_t j = i + 1;
        while (j < b.inputCount && b.inputs[j] == b.inputs[i]) ++j;
        w.u8(static_cast<std::uint8_t>(j - i));
        w.u8(b.inputs[i]);
        ++runs;
        i = j;
    }
    out[runsAt] = runs;
    w.u32(b.stop);
    w.u8(static_cast<std::uint8_t>(b.stopReason));
    w.u32(b.ping);
    w.u32(b.echo);
    w.u16(b.echoAge);
    w.u32(b.checkFrame);
    w.u64(b.checksum);
}

void writeResume(std::vector<std::uint8_t>& out, const PacketHeader& h, const ResumeBody& b) {
    Writer w(out);
    header(w, h, PacketKind::Resume);
    resumeFields(w, b);
}

void writeChunk(std::vector<std::uint8_t>& out, const PacketHeader& h, const ChunkBody& b) {
    Writer w(out);
    header(w, h, PacketKind::Chunk);
    w.u16(b.epoch);
    w.u32(b.offset);
    w.u32(b.total);
    w.bytes(b.bytes.first(std::min(b.bytes.size(), maxChunkBytes)));
}

void writeChunkAck(std::vector<std::uint8_t>& out, const PacketHeader& h, const ChunkAckBody& b) {
    Writer w(out);
    header(w, h, PacketKind::ChunkAck);
    w.u16(b.epoch);
    w.u32(b.received);
}

void writeBye(std::vector<std::uint8_t>& out, const PacketHeader& h, ByeReason reason) {
    Writer w(out);
    header(w, h, PacketKind::Bye);
    w.u8(static_cast<std::uint8_t>(reason));
}

bool readHeader(std::span<const std::uint8_t> packet, PacketHeader& h) {
    if (packet.size() < headerSize || packet.size() > 65536) return false;
    Reader r(packet);
    const std::uint8_t m0 = r.u8(), m1 = r.u8(), version = r.u8(), kind = r.u8();
    if (m0 != protocolMagic[0] || m1 != protocolMagic[1] || version != protocolVersion)
        return false;
    if (kind < static_cast<std::uint8_t>(PacketKind::Hello) ||
        kind > static_cast<std::uint8_t>(PacketKind::Bye))
        return false;
    h.kind = static_cast<PacketKind>(kind);
    h.token = r.u64();
    h.sequence = r.u32();
    return true;
}

bool readHello(std::span<const std::uint8_t> packet, std::uint64_t& nonce) {
    Reader r(packet);
    skipHeader(r, PacketKind::Hello);
    const std::uint64_t n = r.u64();
    if (!r.done()) return false;
    nonce = n;
    return true;
}

bool readWelcome(std::span<const std::uint8_t> packet, WelcomeBody& body) {
    Reader r(packet);
    skipHeader(r, PacketKind::Welcome);
    WelcomeBody b;
    b.nonce = r.u64();
    resumeFields(r, b.start);
    if (!r.done()) return false;
    body = b;
    return true;
}

bool readInputs(std::span<const std::uint8_t> packet, InputsBody& body) {
    Reader r(packet);
    skipHeader(r, PacketKind::Inputs);
    InputsBody b;
    b.epoch = r.u16();
    b.frame = r.u32();
    b.ack = r.u32();
    b.first = r.u32();
    const std::uint8_t runs = r.u8();
    std::size_t count = 0;
    for (std::uint8_t i = 0; i < runs; ++i) {
        const std::uint8_t length = r.u8(), held = r.u8();
        if (length == 0 || count + length > maxInputsPerPacket) {
            r.fail();
            break;
        }
        std::memset(b.inputs + count, held, length);
        count += length;
    }
    b.inputCount = static_cast<std::uint8_t>(count);
    b.stop = r.u32();
    const std::uint8_t reason = r.u8();
    if (reason > static_cast<std::uint8_t>(StopReason::Console)) r.fail();
    b.stopReason = static_cast<StopReason>(reason);
    b.ping = r.u32();
    b.echo = r.u32();
    b.echoAge = r.u16();
    b.checkFrame = r.u32();
    b.checksum = r.u64();
    // Frames past the end of the counter are nobody's.
    if (b.inputCount > 0 && b.first > noFrame - 1 - b.inputCount) r.fail();
    if (!r.done()) return false;
    body = b;
    return true;
}

bool readResume(std::span<const std::uint8_t> packet, ResumeBody& body) {
    Reader r(packet);
    skipHeader(r, PacketKind::Resume);
    ResumeBody b;
    resumeFields(r, b);
    if (!r.done()) return false;
    body = b;
    return true;
}

bool readChunk(std::span<const std::uint8_t> packet, ChunkBody& body) {
    Reader r(packet);
    skipHeader(r, PacketKind::Chunk);
    ChunkBody b;
    b.epoch = r.u16();
    b.offset = r.u32();
    b.total = r.u32();
    if (!r.done() && packet.size() >= headerSize + 10) {
        const std::size_t n = packet.size() - headerSize - 10;
        if (n > maxChunkBytes) return false;
        b.bytes = r.bytes(n);
    }
    if (!r.done()) return false;
    // The piece lies inside the game it belongs to.
    if (b.offset > b.total || b.bytes.size() > b.total - b.offset) return false;
    body = b;
    return true;
}

bool readChunkAck(std::span<const std::uint8_t> packet, ChunkAckBody& body) {
    Reader r(packet);
    skipHeader(r, PacketKind::ChunkAck);
    ChunkAckBody b;
    b.epoch = r.u16();
    b.received = r.u32();
    if (!r.done()) return false;
    body = b;
    return true;
}

bool readBye(std::span<const std::uint8_t> packet, ByeReason& reason) {
    Reader r(packet);
    skipHeader(r, PacketKind::Bye);
    const std::uint8_t v = r.u8();
    if (!r.done() || v > static_cast<std::uint8_t>(ByeReason::Refused)) return false;
    reason = static_cast<ByeReason>(v);
    return true;
}

} // namespace net

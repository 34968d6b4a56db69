// The packets of an online match, their layout and their readers and writers.
//
// Every packet is one datagram (net/datagram.h): a 16-byte header, then the body of
// its kind. All integers little-endian, no padding, nothing implied by the
// datagram's length other than where a field says so.
//
//   header  magic 'B' 'X' | version u8 | kind u8 | token u64 | sequence u32
//
// - magic and version: anything else is not ours (a relay's own control packets
//   begin with other bytes and never reach the game).
// - token: chosen at random by the host, sent in Welcome, carried by every later
//   packet of both players; a packet with another token (or from another address
//   than the match's peer) is dropped unread. Hello carries 0.
// - sequence: the sender's count of packets sent, for loss figures; never trusted
//   for anything else. Replays are harmless: every body is idempotent.
//
// Frames are numbered as GameState::frame; an epoch counts the match's pauses (a
// death box or a console session ends one, and the game resumes in the next from a
// state both players hold). Bodies of another epoch than the receiver's are dropped.
//
//   Hello    (joiner -> host)  nonce u64
//   Welcome  (host -> joiner)  nonce u64 (the Hello's, echoed) | a Resume body for
//                              epoch 0: the host's game the match starts from
//   Inputs   (both ways, every frame)
//            epoch u16 | frame u32 (the next frame the sender will simulate)
//            | ack u32 (the receiver's inputs held: every frame before it)
//            | first u32 (frame of the first input carried)
//            | runs u8, then runs x { length u8 (1..255), held u8 }: the sender's
//              inputs from `first` on, each `held` value repeated `length` frames.
//              Every packet carries all inputs not yet acknowledged.
//            | stop u32 (none: 0xffffffff): the frame at which the sender stops
//              (it sends no input from there), stopReason u8
//            | ping u32 (sender's clock, ms) | echo u32 (the last ping received)
//              | echoAge u16 (ms since that ping arrived): the round trip
//            | checkFrame u32 (none: 0xffffffff) | checksum u64: the sender's
//              checksum of the state at the start of checkFrame, a confirmed frame
//   Resume   (both ways, while stopped) epoch u16 (the epoch that stopped)
//            | frame u32 (where it stopped) | ok u8 (the sender is ready to go on)
//            | changed u8 (the sender brings a new game: console changes)
//            | size u32 | checksum u64 (of that game's encoding; with changed 0 the
//              checksum of the state both hold at `frame`)
//   Chunk    epoch u16 (the epoch that stopped) | offset u32 | total u32 | bytes:
//            a piece of the sender's new game's encoding
//   ChunkAck epoch u16 | received u32 (bytes held from the start)
//   Bye      reason u8: the sender leaves the match (DISCONNECT or QUIT); a host
//            already in a match answers a Hello with Refused, its token the
//            Hello's nonce
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace net {

constexpr std::uint8_t protocolMagic[2] = {'B', 'X'};
constexpr std::uint8_t protocolVersion = 1;
constexpr std::size_t headerSize = 16;
constexpr std::uint32_t noFrame = 0xffffffffu;

enum class PacketKind : std::uint8_t {
    Hello = 1,
    Welcome = 2,
    Inputs = 3,
    Resume = 4,
    Chunk = 5,
    ChunkAck = 6,
    Bye = 7,
};

// Why a player stops the game.
enum class StopReason : std::uint8_t {
    None = 0,
    Console = 1, // his console is open
};

enum class ByeReason : std::uint8_t {
    Disconnect = 0, // DISCONNECT
    Quit = 1,       // the program is closing
    Desync = 2,     // his checksums disagreed with ours
    Refused = 3,    // the host is already in a match
};

struct PacketHeader {
    PacketKind kind{};
    std::uint64_t token = 0;
    std::uint32_t sequence = 0;
};

// Inputs carried by one packet: at most this many frames.
constexpr std::size_t maxInputsPerPacket = 255;

struct InputsBody {
    std::uint16_t epoch = 0;
    std::uint32_t frame = 0;
    std::uint32_t ack = 0;
    std::uint32_t first = 0;
    std::uint8_t inputCount = 0; // inputs held in `inputs`
    std::uint8_t inputs[maxInputsPerPacket] = {};
    std::uint32_t stop = noFrame;
    StopReason stopReason = StopReason::None;
    std::uint32_t ping = 0;
    std::uint32_t echo = 0;
    std::uint16_t echoAge = 0;
    std::uint32_t checkFrame = noFrame;
    std::uint64_t checksum = 0;
};

struct ResumeBody {
    std::uint16_t epoch = 0;
    std::uint32_t frame = 0;
    std::uint8_t ok = 0;
    std::uint8_t changed = 0;
    std::uint32_t size = 0;
    std::uint64_t checksum = 0;
};

// Bytes of a game's encoding in one Chunk.
constexpr std::size_t maxChunkBytes = 1024;

struct ChunkBody {
    std::uint16_t epoch = 0;
    std::uint32_t offset = 0;
    std::uint32_t total = 0;
    std::span<const std::uint8_t> bytes; // points into the datagram read
};

struct ChunkAckBody {
    std::uint16_t epoch = 0;
    std::uint32_t received = 0;
};

struct WelcomeBody {
    std::uint64_t nonce = 0;
    ResumeBody start; // epoch 0, frame, changed 1, size and checksum of the game
};

// Writers: append one whole packet to `out` (cleared first; its storage reused).
void writeHello(std::vector<std::uint8_t>& out, const PacketHeader& header, std::uint64_t nonce);
void writeWelcome(std::vector<std::uint8_t>& out, const PacketHeader& header,
                  const WelcomeBody& body);
void writeInputs(std::vector<std::uint8_t>& out, const PacketHeader& header,
                 const InputsBody& body);
void writeResume(std::vector<std::uint8_t>& out, const PacketHeader& header,
                 const ResumeBody& body);
void writeChunk(std::vector<std::uint8_t>& out, const PacketHeader& header, const ChunkBody& body);
void writeChunkAck(std::vector<std::uint8_t>& out, const PacketHeader& header,
                   const ChunkAckBody& body);
void writeBye(std::vector<std::uint8_t>& out, const PacketHeader& header, ByeReason reason);

// Readers. Each is false, and writes nothing it promised, for a packet that is not
// exactly one well-formed packet of its kind: another magic or version, cut short,
// bytes left over, a count out of range, runs longer than a packet may carry.
bool readHeader(std::span<const std::uint8_t> packet, PacketHeader& header);
bool readHello(std::span<const std::uint8_t> packet, std::uint64_t& nonce);
bool readWelcome(std::span<const std::uint8_t> packet, WelcomeBody& body);
bool readInputs(std::span<const std::uint8_t> packet, InputsBody& body);
bool readResume(std::span<const std::uint8_t> packet, ResumeBody& body);
bool readChunk(std::span<const std::uint8_t> packet, ChunkBody& body);
bool readChunkAck(std::span<const std::uint8_t> packet, ChunkAckBody& body);
bool readBye(std::span<const std::uint8_t> packet, ByeReason& reason);

} // namespace net

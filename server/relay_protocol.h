// The relay's own packets: the small handshake that puts two players in a room.
// Shared by the relay server and the game's relay client, header only, so that both
// read exactly the same bytes.
//
// Every control packet is exactly 32 bytes, the same each way, so an answer is never
// larger than the question that caused it:
//
//   magic 'R' 'L' | version u8 | kind u8 | cookie 16 bytes | code 8 bytes (ASCII,
//   zeros when none) | detail u8 | 3 bytes reserved (zero when sent, ignored)
//
// Over UDP a client first proves it receives at its address: Hello -> Cookie (a
// value only the server can make for that address, valid about two minutes), then
// Create or Join carrying that cookie. Over WebSocket the connection has proved it
// already; Create and Join are sent at once with a zero cookie.
//
//   Create            -> Created(code)            the host waits in the room
//   Join(code)        -> Joined(code) to the joiner, PeerJoined(code) to the host
//   Leave             the sender leaves its room; the other member gets PeerLeft
//   KeepAlive         keeps a waiting room (and a router's mapping) alive
//   Error(detail)     the request failed (RelayError)
//
// Once both are in a room, every datagram a member sends that is not a control
// packet is passed unchanged to the other member. Datagrams of the game never begin
// with this magic.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace relay {

constexpr std::uint8_t magic[2] = {'R', 'L'};
constexpr std::uint8_t version = 1;
constexpr std::size_t controlSize = 32;
constexpr std::size_t cookieSize = 16;
constexpr std::size_t codeLength = 8;
// The port the relay listens on, for UDP and (as HTTP/WebSocket) for TCP, when none
// is given.
constexpr std::uint16_t defaultPort = 27916;
// The largest datagram passed between players (the game's own limit).
constexpr std::size_t maxForwardSize = 1200;

// Room codes use 31 characters that cannot be mistaken for one another (no 0/O,
// 1/I/L): 8 of them are about 40 bits, drawn from the system's random source.
constexpr std::string_view codeAlphabet = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";

enum class Kind : std::uint8_t {
    Hello = 1,
    Create = 2,
    Join = 3,
    Leave = 4,
    KeepAlive = 5,
    Cookie = 16,
    Created = 17,
    Joined = 18,
    PeerJoined = 19,
    PeerLeft = 20,
    Error = 21,
};

enum class RelayError : std::uint8_t {
    None = 0,
    NoSuchRoom = 1,   // no room has that code (or it expired)
    RoomFull = 2,     // the room has its two players
    TooManyRooms = 3, // this address holds as many rooms as it may
    ServerFull = 4,   // the server holds as many rooms or players as it may
    BadCookie = 5,    // the cookie is stale or not this address's: say Hello again
    InRoom = 6,       // the sender is already in another room
};

using Code = std::array<char, codeLength>;
using CookieBytes = std::array<std::uint8_t, cookieSize>;

struct Control {
    Kind kind{};
    CookieBytes cookie{};
    Code code{};
    std::uint8_t detail = 0;
};

inline bool isKnownKind(std::uint8_t k) {
    return (k >= 1 && k <= 5) || (k >= 16 && k <= 21);
}

// True when `bytes` begin as a relay packet does (whether well formed or not): such
// a datagram is never forwarded to the other player nor handed to the game.
inline bool looksLikeControl(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == magic[0] && bytes[1] == magic[1];
}

inline std::array<std::uint8_t, controlSize> writeControl(const Control& c) {
    std::array<std::uint8_t, controlSize> out{};
    out[0] = magic[0];
    out[1] = magic[1];
    out[2] = version;
    out[3] = static_cast<std::uint8_t>(c.kind);
    std::memcpy(out.data() + 4, c.cookie.data(), cookieSize);
    std::memcpy(out.data() + 20, c.code.data(), codeLength);
    out[28] = c.detail;
    return out;
}

// False for anything that is not exactly one control packet of this version and a
// known kind.
inline bool readControl(std::span<const std::uint8_t> bytes, Control& out) {
    if (bytes.size() != controlSize || !looksLikeControl(bytes) || bytes[2] != version ||
        !isKnownKind(bytes[3]))
        return false;
    out.kind = static_cast<Kind>(bytes[3]);
    std::memcpy(out.cookie.data(), bytes.data() + 4, cookieSize);
    std::memcpy(out.code.data(), bytes.data() + 20, codeLength);
    out.detail = bytes[28];
    return true;
}

// Reads a code as a player types it: blanks around it and letter case do not
// matter. False unless it is exactly codeLength characters of the alphabet.
inline bool parseCode(std::string_view text, Code& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.size() != codeLength) return false;
    for (std::size_t i = 0; i < codeLength; ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (codeAlphabet.find(c) == std::string_view::npos) return false;
        out[i] = c;
    }
    return true;
}

inline bool isValidCode(const Code& code) {
    for (char c : code)
        if (codeAlphabet.find(c) == std::string_view::npos) return false;
    return true;
}

inline std::string_view codeText(const Code& code) {
    return std::string_view(code.data(), code.size());
}

inline const char* errorText(RelayError e) {
    switch (e) {
    case RelayError::NoSuchRoom:
        return "no room has that code";
    case RelayError::RoomFull:
        return "that room already has two players";
    case RelayError::TooManyRooms:
        return "too many rooms from this address";
    case RelayError::ServerFull:
        return "the relay is full";
    case RelayError::BadCookie:
        return "the relay did not recognise this address";
    case RelayError::InRoom:
        return "already in another room";
    case RelayError::None:
        break;
    }
    return "the relay refused";
}

} // namespace relay

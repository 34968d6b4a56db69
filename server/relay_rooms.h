// The relay's rooms, apart from any socket: the transports hand every datagram (or
// WebSocket message) to Rooms::receive with its sender, and Rooms answers through a
// Sink. Time comes in as `nowMs`, so the tests drive it in one process.
//
// Safe on the open internet:
// - a sender that has not finished its handshake is only ever answered with one
//   32-byte packet per 32-byte packet it sent (no amplification), and over UDP it
//   must echo a cookie before anything is kept for it (no spoofed rooms);
// - memory is bounded: rooms (and so members) are capped, in total and per address,
//   and the only other table (requests per address) is capped and cleared often;
// - members are rate-limited per sender; a packet that is too large, malformed or
//   from a stranger is dropped without an answer.
#pragma once

#include "server/relay_protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <unordered_map>

namespace relay {

// Who sent a datagram: a UDP address, or one WebSocket connection (its peer's
// address kept for the per-address limits).
struct Endpoint {
    enum class Transport : std::uint8_t { Udp, WebSocket };
    Transport transport = Transport::Udp;
    std::array<std::uint8_t, 16> ip{}; // IPv4 as ::ffff:a.b.c.d
    std::uint16_t port = 0;
    std::uint64_t connection = 0; // WebSocket connection id; 0 for UDP
    bool operator==(const Endpoint&) const = default;
};

struct EndpointHash {
    std::size_t operator()(const Endpoint& e) const;
};

struct Limits {
    std::size_t maxRooms = 50000;
    std::size_t maxRoomsPerAddress = 8;
    // A room with no packet from either member for this long is closed.
    std::uint64_t idleRoomMs = 60000;
    // Every member's packets: a bucket of `burst` refilled at this rate. The game
    // sends about 100 a second.
    std::uint32_t packetsPerSecond = 300;
    std::uint32_t burst = 600;
    // Create and Join requests of one address in a window (guessing codes is slow).
    std::uint32_t requestsPerWindow = 40;
    std::uint64_t requestWindowMs = 10000;
    std::size_t maxTrackedAddresses = 65536;
    // Cookies handed out a second, in all (each the size of its Hello).
    std::uint32_t cookiesPerSecond = 20000;
};

class Sink {
  public:
    virtual ~Sink() = default;
    virtual void send(const Endpoint& to, std::span<const std::uint8_t> bytes) = 0;
};

struct RoomStats {
    std::uint64_t forwarded = 0;
    std::uint64_t dropped = 0; // strangers, malformed, rate-limited, no peer yet
    std::uint64_t roomsCreated = 0;
    std::uint64_t roomsExpired = 0;
};

class Rooms {
  public:
    // `random` fills its span with unpredictable bytes (the system's CSPRNG).
    Rooms(const Limits& limits, Sink& sink, std::function<void(std::span<std::uint8_t>)> random);

    void receive(const Endpoint& from, std::span<const std::uint8_t> bytes, std::uint64_t nowMs);
    // A WebSocket closed: as if it had sent Leave.
    void closed(const Endpoint& endpoint, std::uint64_t nowMs);
    // Closes idle rooms; call about once a second.
    void expire(std::uint64_t nowMs);

    // The cookie `endpoint` must echo now (what a Cookie packet carries).
    CookieBytes cookieFor(const Endpoint& endpoint, std::uint64_t nowMs) const;

    bool isMember(const Endpoint& endpoint) const { return members_.contains(endpoint); }
    std::size_t roomCount() const { return rooms_.size(); }
    std::size_t memberCount() const { return members_.size(); }
    std::size_t trackedAddresses() const { return requests_.size(); }
    const RoomStats& stats() const { return stats_; }

  private:
    struct Room {
        Code code{};
        Endpoint members[2]; // host, joiner
        bool full = false;
        std::uint64_t lastActiveMs = 0;
    };
    struct Member {
        std::uint64_t roomKey = 0;
        int side = 0;
        double tokens = 0;
        std::uint64_t refilledMs = 0;
    };
    struct Requests {
        std::uint32_t count = 0;
    };
    using Ip = std::array<std::uint8_t, 16>;
    struct IpHash {
        std::size_t operator()(const Ip& ip) const;
    };

    void handleControl(const Endpoint& from, const Control& c, std::uint64_t nowMs);
    void reply(const Endpoint& to, Kind kind, const Code& code,
               RelayError error = RelayError::None);
    bool allowRequest(const Ip& ip, std::uint64_t nowMs);
    bool cookieValid(const Endpoint& from, const CookieBytes& cookie, std::uint64_t nowMs) const;
    CookieBytes cookieAt(const Endpoint& endpoint, std::uint64_t bucket) const;
    bool takeToken(Member& m, std::uint64_t nowMs);
    void closeRoom(std::uint64_t key, const Endpoint* leaver);
    Code newCode(std::uint64_t& key);

    Limits limits_;
    Sink& sink_;
    std::function<void(std::span<std::uint8_t>)> random_;
    std::array<std::uint64_t, 4> secret_{}; // two SipHash keys for the cookies
    std::unordered_map<std::uint64_t, Room> rooms_;
    std::unordered_map<Endpoint, Member, EndpointHash> members_;
    std::unordered_map<Ip, std::size_t, IpHash> roomsPerIp_;
    std::unordered_map<Ip, Requests, IpHash> requests_;
    std::uint64_t requestWindowStart_ = 0;
    std::uint64_t cookieSecond_ = 0;
    std::uint32_t cookiesThisSecond_ = 0;
    RoomStats stats_;
};

// Keys a room by its code (the code's 8 bytes as one number).
std::uint64_t roomKey(const Code& code);

} // namespace relay

// The datagrams the online match travels in. The rollback session speaks only to a
// DatagramSocket: a small struct of hooks that each transport fills in (UDP for the
// Windows and desktop programs, a WebSocket to the relay for the web page, a
// simulated network in the tests). Delivery is unreliable: a datagram may be lost,
// repeated, late or out of order, and the session copes with all of these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The largest datagram the game sends or accepts. Small enough for any path (IPv6's
// 1280-byte minimum less its headers) so that nothing is ever fragmented.
constexpr std::size_t maxDatagramSize = 1200;

enum class NetAddressKind : std::uint8_t {
    None,  // no address (a socket that has not heard from anybody)
    Ipv4,  // ip[0..3], port
    Ipv6,  // ip[0..15], port, scope
    Relay, // the other player of the transport's relay room; ip, port, scope unused
};

// Where a datagram comes from or goes to. A value: compare with ==.
struct NetAddress {
    NetAddressKind kind = NetAddressKind::None;
    std::uint16_t port = 0;   // in host order
    std::uint8_t ip[16] = {}; // network order; zeros past the kind's length
    std::uint32_t scope = 0;  // IPv6 scope (interface) id, 0 otherwise
    friend bool operator==(const NetAddress&, const NetAddress&) = default;
};

// "1.2.3.4:27960", "[::1]:27960", "relay room"; "none" for no address.
std::string formatNetAddress(const NetAddress& address);

// A non-blocking datagram endpoint. Every hook takes `context` first. A transport
// that is open has send, receive and close set; a default one is closed.
struct DatagramSocket {
    void* context = nullptr;
    // Sends one datagram of at most maxDatagramSize bytes. False when it could not
    // be handed to the system now (the session resends what matters).
    bool (*send)(void* context, const NetAddress& to,
                 std::span<const std::uint8_t> bytes) = nullptr;
    // Takes the oldest waiting datagram into `buffer`, its sender into `from` and its
    // length into `size`. False when none waits; never blocks. A datagram longer
    // than the buffer is dropped whole, never cut short.
    bool (*receive)(void* context, NetAddress& from, std::span<std::uint8_t> buffer,
                    std::size_t& size) = nullptr;
    // Releases the endpoint; the struct must not be used afterwards.
    void (*close)(void* context) = nullptr;
    // Optional: true once the transport itself knows that the other end is gone for
    // good (a relay room the other player left, or that the relay closed). Asked
    // after receive() has taken what waits, so a word the other end sent before
    // going is read first. Null where the transport cannot tell (plain UDP).
    bool (*peerGone)(void* context) = nullptr;

    bool open() const { return send != nullptr; }
};

// Closes `socket` when open and leaves it closed.
void closeDatagramSocket(DatagramSocket& socket);

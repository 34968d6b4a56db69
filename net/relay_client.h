// The game's side of the relay: the handshake that creates or joins a room, and then
// a DatagramSocket whose only peer is the other player of the room
// (NetAddressKind::Relay). Beneath it is any DatagramSocket that reaches the relay: UDP
// on the Windows and desktop programs, a WebSocket on the web page.
#pragma once

#include "net/datagram.h"
#include "server/relay_protocol.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace net {

// A room link over `inner`, to the relay at `server`. The handshake runs in poll()
// (and in every receive through socket()), so it never blocks.
class RelayLink {
  public:
    enum class State { Asking, InRoom, Failed };

    // Takes `inner` (open); it is closed with the link. `cookieNeeded`: false over a
    // WebSocket, whose connection proves the address already.
    RelayLink(const DatagramSocket& inner, const NetAddress& server, bool cookieNeeded);
    ~RelayLink();
    RelayLink(const RelayLink&) = delete;
    RelayLink& operator=(const RelayLink&) = delete;

    void create(std::uint64_t nowMs);
    void join(const relay::Code& code, std::uint64_t nowMs);
    // Resends what is unanswered, keeps the room alive, gives up after a while.
    void poll(std::uint64_t nowMs);

    State state() const { return state_; }
    const relay::Code& code() const { return code_; }
    const std::string& error() const { return error_; }
    bool peerJoined() const { return peerJoined_; }
    bool peerLeft() const { return peerLeft_; }

    // Takes one datagram from the relay (the socket's receive does this): control
    // packets are handled here; true with the bytes for the game otherwise.
    bool receiveOne(NetAddress& from, std::span<std::uint8_t> buffer, std::size_t& size);

    // Called when the link gets into a room or fails (for a caller that does not
    // wait for the handshake, as the web page cannot).
    void (*onStateChange)(const RelayLink& link) = nullptr;

    // Sends to the other player of the room.
    bool sendToPeer(std::span<const std::uint8_t> bytes);
    // Tells the relay we leave (a few times: datagrams get lost).
    void leave();

  private:
    void sendControl(relay::Kind kind);

    DatagramSocket inner_;
    NetAddress server_;
    bool cookieNeeded_;
    bool joining_ = false;
    bool haveCookie_ = false;
    relay::CookieBytes cookie_{};
    relay::Code code_{};
    State state_ = State::Failed;
    std::string error_;
    bool peerJoined_ = false;
    bool peerLeft_ = false;
    std::uint64_t startedMs_ = 0;
    std::uint64_t lastSentMs_ = 0;
    std::uint64_t nowMs_ = 0;
};

// Milliseconds, any origin.
using RelayClock = std::uint64_t (*)();

// Creates a room (joinCode null) or joins one on the relay at `serverText`
// ("host[:port]", the relay's default port when none is given) over a new UDP
// socket, waiting a few seconds at most for the answer (the commands run between
// frames). True with `out` the room's socket (it owns the link; closing it leaves
// the room) and `code` the room's code; false with the reason in `error`.
bool openRelayRoomUdp(const std::string& serverText, const relay::Code* joinCode, RelayClock clock,
                      DatagramSocket& out, relay::Code& code, std::string& error);
// The room's socket over a link already in a room; closing it deletes the link. Its
// peerGone hook is the relay's word that the other player left the room.
DatagramSocket relayRoomSocket(std::unique_ptr<RelayLink> link, RelayClock clock);

} // namespace net

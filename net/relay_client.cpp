#include "net/relay_client.h"

#include "net/udp_socket.h"

#include <chrono>
#include <thread>

namespace net {
namespace {

// An unanswered request is sent again this often, and given up after the longer
// time; a room is kept alive well within the relay's idle limit.
constexpr std::uint64_t resendMs = 250;
constexpr std::uint64_t giveUpMs = 5000;
constexpr std::uint64_t keepAliveMs = 5000;

} // namespace

RelayLink::RelayLink(const DatagramSocket& inner, const NetAddress& server, bool cookieNeeded)
    : inner_(inner), server_(server), cookieNeeded_(cookieNeeded) {}

RelayLink::~RelayLink() {
    closeDatagramSocket(inner_);
}

void RelayLink::create(std::uint64_t nowMs) {
    joining_ = false;
    state_ = State::Asking;
    startedMs_ = nowMs;
    nowMs_ = nowMs;
    sendControl(cookieNeeded_ && !haveCookie_ ? relay::Kind::Hello : relay::Kind::Create);
}

void RelayLink::join(const relay::Code& code, std::uint64_t nowMs) {
    joining_ = true;
    code_ = code;
    state_ = State::Asking;
    startedMs_ = nowMs;
    nowMs_ = nowMs;
    sendControl(cookieNeeded_ && !haveCookie_ ? relay::Kind::Hello : relay::Kind::Join);
}

void RelayLink::sendControl(relay::Kind kind) {
    relay::Control c;
    c.kind = kind;
    c.cookie = cookie_;
    if (kind == relay::Kind::Join) c.code = code_;
    const auto bytes = relay::writeControl(c);
    if (inner_.open()) inner_.send(inner_.context, server_, bytes);
    lastSentMs_ = nowMs_;
}

void RelayLink::poll(std::uint64_t nowMs) {
    nowMs_ = nowMs;
    NetAddress from;
    std::uint8_t buffer[maxDatagramSize];
    std::size_t size = 0;
    // Control packets only while asking; the game's datagrams wait for the game.
    while (state_ == State::Asking && receiveOne(from, buffer, size)) {
    }
    if (state_ == State::Asking) {
        if (nowMs - startedMs_ >= giveUpMs) {
            state_ = State::Failed;
            error_ = "the relay does not answer";
            if (onStateChange) onStateChange(*this);
        } else if (nowMs - lastSentMs_ >= resendMs) {
            sendControl(cookieNeeded_ && !haveCookie_
                            ? relay::Kind::Hello
                            : (joining_ ? relay::Kind::Join : relay::Kind::Create));
        }
    } else if (state_ == State::InRoom && !peerLeft_ && nowMs - lastSentMs_ >= keepAliveMs) {
        sendControl(relay::Kind::KeepAlive);
    }
}

bool RelayLink::receiveOne(NetAddress& from, std::span<std::uint8_t> buffer, std::size_t& size) {
    while (inner_.open() && inner_.receive(inner_.context, from, buffer, size)) {
        if (!(from == server_)) continue; // only the relay speaks to us on this socket
        const std::span<const std::uint8_t> bytes(buffer.data(), size);
        if (!relay::looksLikeControl(bytes)) {
            if (state_ != State::InRoom) continue;
            from = NetAddress{};
            from.kind = NetAddressKind::Relay;
            return true;
        }
        relay::Control c;
        if (!relay::readControl(bytes, c)) continue;
        switch (c.kind) {
        case relay::Kind::Cookie:
            if (state_ == State::Asking && cookieNeeded_) {
                cookie_ = c.cookie;
                haveCookie_ = true;
                sendControl(joining_ ? relay::Kind::Join : relay::Kind::Create);
            }
            break;
        case relay::Kind::Created:
            if (state_ == State::Asking && !joining_ && relay::isValidCode(c.code)) {
                code_ = c.code;
                state_ = State::InRoom;
                if (onStateChange) onStateChange(*this);
            }
            break;
        case relay::Kind::Joined:
            if (state_ == State::Asking && joining_ && c.code == code_) {
                state_ = State::InRoom;
                peerJoined_ = true;
                if (onStateChange) onStateChange(*this);
            }
            break;
        case relay::Kind::PeerJoined:
            if (state_ == State::InRoom && c.code == code_) peerJoined_ = true;
            break;
        case relay::Kind::PeerLeft:
            if (state_ == State::InRoom && c.code == code_) peerLeft_ = true;
            break;
        case relay::Kind::Error:
            if (state_ != State::Asking) break;
            if (static_cast<relay::RelayError>(c.detail) == relay::RelayError::BadCookie &&
                haveCookie_) {
                // The cookie went stale between the two steps: ask for a new one.
                haveCookie_ = false;
                sendControl(relay::Kind::Hello);
                break;
            }
            state_ = State::Failed;
            error_ = relay::errorText(static_cast<relay::RelayError>(c.detail));
            if (onStateChange) onStateChange(*this);
            break;
        default:
            break;
        }
    }
    return false;
}

bool RelayLink::sendToPeer(std::span<const std::uint8_t> bytes) {
    if (state_ != State::InRoom || !inner_.open()) return false;
    return inner_.send(inner_.context, server_, bytes);
}

void RelayLink::leave() {
    if (state_ != State::InRoom) return;
    // A room the relay closed (it said the other player left) has nobody to leave.
    if (!peerLeft_)
        for (int i = 0; i < 3; ++i) sendControl(relay::Kind::Leave);
    state_ = State::Failed;
    error_ = "left the room";
}

namespace {

struct RoomSocket {
    std::unique_ptr<RelayLink> link;
    RelayClock clock;
};

bool roomSend(void* context, const NetAddress& to, std::span<const std::uint8_t> bytes) {
    auto* room = static_cast<RoomSocket*>(context);
    if (to.kind != NetAddressKind::Relay) return false;
    return room->link->sendToPeer(bytes);
}

bool roomReceive(void* context, NetAddress& from, std::span<std::uint8_t> buffer,
                 std::size_t& size) {
    auto* room = static_cast<RoomSocket*>(context);
    room->link->poll(room->clock());
    return room->link->receiveOne(from, buffer, size);
}

// The relay said the other player left the room (or it closed the room): nothing
// more will come through it.
bool roomPeerGone(void* context) {
    return static_cast<RoomSocket*>(context)->link->peerLeft();
}

void roomClose(void* context) {
    auto* room = static_cast<RoomSocket*>(context);
    room->link->leave();
    delete room;
}

} // namespace

DatagramSocket relayRoomSocket(std::unique_ptr<RelayLink> link, RelayClock clock) {
    DatagramSocket out;
    out.context = new RoomSocket{std::move(link), clock};
    out.send = roomSend;
    out.receive = roomReceive;
    out.close = roomClose;
    out.peerGone = roomPeerGone;
    return out;
}

bool openRelayRoomUdp(const std::string& serverText, const relay::Code* joinCode, RelayClock clock,
                      DatagramSocket& out, relay::Code& code, std::string& error) {
    NetAddress server;
    if (!resolveNetAddress(serverText, relay::defaultPort, server, error)) return false;
    DatagramSocket udp;
    if (!openUdpSocket(udp, 0, error)) return false;
    auto link = std::make_unique<RelayLink>(udp, server, true);
    if (joinCode)
        link->join(*joinCode, clock());
    else
        link->create(clock());
    // Bounded: the link gives up after giveUpMs of its own clock.
    for (int i = 0; i < 1000 && link->state() == RelayLink::State::Asking; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        link->poll(clock());
    }
    if (link->state() != RelayLink::State::InRoom) {
        error = link->error().empty() ? "the relay does not answer" : link->error();
        return false;
    }
    code = link->code();
    out = relayRoomSocket(std::move(link), clock);
    return true;
}

} // namespace net

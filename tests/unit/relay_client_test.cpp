// The game's relay link against the relay's own rooms in one process: the inner
// sockets are queues that the rooms read from and answer into, so loss and stale
// cookies can be arranged exactly.
#include "net/relay_client.h"
#include "net/rollback_session.h"
#include "server/relay_rooms.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>
#include <vector>

namespace {

std::uint64_t fakeNow = 5'000'000;
std::uint64_t fakeClock() {
    return fakeNow;
}

struct Network;

// One player's UDP socket, whose only correspondent is the relay.
struct Inner {
    Inner(Network* n, const relay::Endpoint& e) : net(n), endpoint(e) {}
    Network* net;
    relay::Endpoint endpoint;
    std::deque<std::vector<std::uint8_t>> inbox;
    bool closed = false;
};

struct Network : relay::Sink {
    relay::Rooms rooms;
    std::map<std::uint16_t, Inner*> byPort;
    int dropNextToRelay = 0;
    int sentToRelay = 0;
    std::mt19937 rng{3};
    NetAddress relayAddress{};

    Network()
        : rooms(relay::Limits{}, *this, [this](std::span<std::uint8_t> out) {
              for (auto& b : out) b = static_cast<std::uint8_t>(rng());
          }) {
        relayAddress.kind = NetAddressKind::Ipv4;
        relayAddress.ip[0] = 127;
        relayAddress.ip[3] = 1;
        relayAddress.port = relay::defaultPort;
    }
    void send(const relay::Endpoint& to, std::span<const std::uint8_t> bytes) override {
        auto it = byPort.find(to.port);
        if (it != byPort.end() && !it->second->closed)
            it->second->inbox.emplace_back(bytes.begin(), bytes.end());
    }

    DatagramSocket socketFor(Inner& inner) {
        byPort[inner.endpoint.port] = &inner;
        DatagramSocket s;
        s.context = &inner;
        s.send = [](void* c, const NetAddress&, std::span<const std::uint8_t> bytes) {
            auto* in = static_cast<Inner*>(c);
            ++in->net->sentToRelay;
            if (in->net->dropNextToRelay > 0) {
                --in->net->dropNextToRelay;
                return true;
            }
            in->net->rooms.receive(in->endpoint, bytes, fakeNow);
            return true;
        };
        s.receive = [](void* c, NetAddress& from, std::span<std::uint8_t> buffer,
                       std::size_t& size) {
            auto* in = static_cast<Inner*>(c);
            if (in->inbox.empty()) return false;
            auto bytes = std::move(in->inbox.front());
            in->inbox.pop_front();
            std::copy(bytes.begin(), bytes.end(), buffer.begin());
            size = bytes.size();
            from = in->net->relayAddress;
            return true;
        };
        s.close = [](void* c) { static_cast<Inner*>(c)->closed = true; };
        return s;
    }
};

relay::Endpoint udpEndpoint(std::uint16_t port) {
    relay::Endpoint e;
    e.ip[10] = e.ip[11] = 0xff;
    e.ip[12] = 127;
    e.ip[15] = 1;
    e.port = port;
    return e;
}

// Polls both links a bounded number of times, the clock moving on.
void settle(std::initializer_list<net::RelayLink*> links, int rounds = 40) {
    for (int i = 0; i < rounds; ++i) {
        fakeNow += 50;
        for (auto* link : links) link->poll(fakeNow);
    }
}

// Two players who met in a room: its sockets as the sessions use them.
struct MetRoom {
    DatagramSocket host, joiner;
};

MetRoom meetInRoom(Network& net, Inner& hostInner, Inner& joinInner) {
    auto hostLink =
        std::make_unique<net::RelayLink>(net.socketFor(hostInner), net.relayAddress, true);
    auto joinLink =
        std::make_unique<net::RelayLink>(net.socketFor(joinInner), net.relayAddress, true);
    hostLink->create(fakeNow);
    settle({hostLink.get()});
    joinLink->join(hostLink->code(), fakeNow);
    settle({joinLink.get()});
    EXPECT_EQ(joinLink->state(), net::RelayLink::State::InRoom);
    return {net::relayRoomSocket(std::move(hostLink), fakeClock),
            net::relayRoomSocket(std::move(joinLink), fakeClock)};
}

TEST(RelayClient, HostAndJoinerMeetThroughLossAndPassGameDatagrams) {
    Network net;
    Inner hostInner{&net, udpEndpoint(1000)}, joinInner{&net, udpEndpoint(2000)};
    auto host = std::make_unique<net::RelayLink>(net.socketFor(hostInner), net.relayAddress, true);
    auto joiner =
        std::make_unique<net::RelayLink>(net.socketFor(joinInner), net.relayAddress, true);

    net.dropNextToRelay = 2; // the first Hello and its resend are lost
    host->create(fakeNow);
    settle({host.get()});
    ASSERT_EQ(host->state(), net::RelayLink::State::InRoom);
    EXPECT_TRUE(relay::isValidCode(host->code()));

    joiner->join(host->code(), fakeNow);
    settle({host.get(), joiner.get()});
    ASSERT_EQ(joiner->state(), net::RelayLink::State::InRoom);

    // The rooms as the session sees them: one peer, the relay room.
    DatagramSocket hostRoom = net::relayRoomSocket(std::move(host), fakeClock);
    DatagramSocket joinRoom = net::relayRoomSocket(std::move(joiner), fakeClock);
    NetAddress room;
    room.kind = NetAddressKind::Relay;
    const std::uint8_t game[] = {'B', 'X', 1, 3, 9, 9};
    ASSERT_TRUE(hostRoom.send(hostRoom.context, room, std::span(game)));
    NetAddress from;
    std::uint8_t buffer[maxDatagramSize];
    std::size_t size = 0;
    ASSERT_TRUE(joinRoom.receive(joinRoom.context, from, std::span(buffer), size));
    EXPECT_EQ(from.kind, NetAddressKind::Relay);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + size),
              std::vector<std::uint8_t>(std::begin(game), std::end(game)));
    // The relay's own word that the joiner came never reaches the game.
    EXPECT_FALSE(hostRoom.receive(hostRoom.context, from, std::span(buffer), size));
    // Only the room is an address on it.
    EXPECT_FALSE(hostRoom.send(hostRoom.context, net.relayAddress, std::span(game)));

    // Closing one side leaves the room: the relay frees it.
    closeDatagramSocket(joinRoom);
    EXPECT_EQ(net.rooms.roomCount(), 0u);
    EXPECT_TRUE(joinInner.closed);
    EXPECT_FALSE(hostRoom.receive(hostRoom.context, from, std::span(buffer), size));
    closeDatagramSocket(hostRoom);
}

TEST(RelayClient, FailuresAreReportedNotHung) {
    struct Case {
        const char* what;
        bool knownCode;
        int drop;
        const char* error;
    };
    const Case cases[] = {
        {"a code nobody made", false, 0, "no room has that code"},
        {"a relay that never answers", true, 1000, "the relay does not answer"},
    };
    for (const auto& c : cases) {
        Network net;
        Inner inner{&net, udpEndpoint(3000)};
        net::RelayLink link(net.socketFor(inner), net.relayAddress, true);
        relay::Code code{};
        relay::parseCode("ABCDEFGH", code);
        net.dropNextToRelay = c.drop;
        link.join(code, fakeNow);
        settle({&link}, 200); // ten seconds
        EXPECT_EQ(link.state(), net::RelayLink::State::Failed) << c.what;
        EXPECT_EQ(link.error(), c.error) << c.what;
    }
}

TEST(RelayClient, ForgedAndStrayPacketsChangeNothing) {
    Network net;
    Inner inner{&net, udpEndpoint(4000)};
    net::RelayLink link(net.socketFor(inner), net.relayAddress, true);
    link.create(fakeNow);
    settle({&link});
    ASSERT_EQ(link.state(), net::RelayLink::State::InRoom);
    const relay::Code code = link.code();
    // A PeerLeft for another room, a Created with a new code, an Error, junk.
    auto control = [](relay::Kind kind, const relay::Code& c) {
        relay::Control ctl;
        ctl.kind = kind;
        ctl.code = c;
        auto a = relay::writeControl(ctl);
        return std::vector<std::uint8_t>(a.begin(), a.end());
    };
    relay::Code other{};
    relay::parseCode("ZZZZZZZZ", other);
    inner.inbox.push_back(control(relay::Kind::PeerLeft, other));
    inner.inbox.push_back(control(relay::Kind::Created, other));
    inner.inbox.push_back(control(relay::Kind::Error, code));
    inner.inbox.push_back({'R', 'L', 1});
    settle({&link}, 2);
    EXPECT_EQ(link.state(), net::RelayLink::State::InRoom);
    EXPECT_EQ(link.code(), code);
    EXPECT_FALSE(link.peerLeft());
}

// The relay's word that the other player left the room ends a session at once, as
// his Bye would, rather than after ten seconds of silence; a Bye he sent before
// leaving is read first and names why he went.
TEST(RelayClient, APeerWhoLeftTheRoomEndsTheSessionAtOnce) {
    struct Case {
        const char* what;
        bool playing;        // the match is on (else the host still waits)
        bool joinerSaysWhy;  // the joiner's session leaves with QUIT before the room
        const char* message; // the host's end message
    };
    const Case cases[] = {
        {"the room closed under a match", true, false, "The other player left the match."},
        {"QUIT, then the room", true, true, "The other player quit the game."},
        {"the joiner left before the match", false, false, "The relay closed the room."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Arena arena({.width = 320, .height = 240, .heroWidth = 40, .heroHeight = 30});
        Network net;
        Inner hostInner{&net, udpEndpoint(7000)}, joinInner{&net, udpEndpoint(8000)};
        auto [hostRoom, joinRoom] = meetInRoom(net, hostInner, joinInner);
        NetAddress room;
        room.kind = NetAddressKind::Relay;

        net::RollbackSession host, joiner;
        host.host(hostRoom, saveGame(), 31, fakeNow);
        if (c.playing) {
            joiner.join(joinRoom, room, 32, fakeNow);
            for (int tick = 0; tick < 1000 && (host.frame() < 50 || joiner.frame() < 50); ++tick) {
                fakeNow += 10;
                for (auto* s : {&host, &joiner}) {
                    s->poll(fakeNow);
                    s->advance(PlayerInput{}, fakeNow);
                }
            }
            ASSERT_GE(host.frame(), 50u);
            ASSERT_EQ(host.phase(), net::RollbackSession::Phase::Running);
        }
        if (c.joinerSaysWhy) joiner.leave(net::ByeReason::Quit, fakeNow);
        closeDatagramSocket(joinRoom); // leaves the room: the relay tells the host
        fakeNow += 10;
        host.poll(fakeNow);
        EXPECT_EQ(host.phase(), net::RollbackSession::Phase::Ended);
        EXPECT_EQ(host.endMessage(), c.message);
        // A room the relay said it closed is not left again: closing the host's side
        // then sends the relay nothing. (After a Bye the session stops reading
        // before the relay's word, and the Leave goes out to no effect.)
        const int before = net.sentToRelay;
        closeDatagramSocket(hostRoom);
        if (!c.joinerSaysWhy) {
            EXPECT_EQ(net.sentToRelay, before);
        }
        EXPECT_EQ(net.rooms.roomCount(), 0u);
    }
}

// HOST RELAY and JOIN as the game plays them: two sessions whose sockets are the
// room, and the match runs to agreement on every confirmed frame.
TEST(RelayClient, AMatchPlaysThroughTheRoom) {
    Arena arena({.width = 320, .height = 240, .heroWidth = 40, .heroHeight = 30});
    const GameState start = saveGame();
    Network net;
    Inner hostInner{&net, udpEndpoint(5000)}, joinInner{&net, udpEndpoint(6000)};
    auto [hostRoom, joinRoom] = meetInRoom(net, hostInner, joinInner);

    net::RollbackSession host, joiner;
    std::vector<std::uint64_t> sums[2];
    auto record = [](void* context, std::uint32_t frame, std::uint64_t sum) {
        auto& v = *static_cast<std::vector<std::uint64_t>*>(context);
        if (frame >= v.size()) v.resize(frame + 1, 0);
        v[frame] = sum;
    };
    host.onConfirmedChecksum = record;
    host.checksumContext_ = &sums[0];
    joiner.onConfirmedChecksum = record;
    joiner.checksumContext_ = &sums[1];
    NetAddress room;
    room.kind = NetAddressKind::Relay;
    host.host(hostRoom, start, 11, fakeNow);
    joiner.join(joinRoom, room, 12, fakeNow);
    for (int tick = 0; tick < 5000 && (host.frame() < 600 || joiner.frame() < 600); ++tick) {
        fakeNow += 10;
        net::RollbackSession* sessions[2] = {&host, &joiner};
        for (int side = 0; side < 2; ++side) {
            auto& s = *sessions[side];
            s.poll(fakeNow);
            if (s.phase() == net::RollbackSession::Phase::Stopped) s.ready(false, fakeNow);
            const std::uint32_t f = s.frame();
            s.advance(PlayerInput{static_cast<std::uint8_t>((f / 9 * 2654435761u) >> (8 + side))},
                      fakeNow);
        }
    }
    EXPECT_GE(host.frame(), 600u);
    EXPECT_GE(joiner.frame(), 600u);
    EXPECT_EQ(host.endMessage(), "");
    const std::size_t common = std::min(sums[0].size(), sums[1].size());
    ASSERT_GT(common, 300u);
    for (std::size_t f = 0; f < common; ++f) {
        if (sums[0][f] && sums[1][f]) {
            EXPECT_EQ(sums[0][f], sums[1][f]) << "frame " << f;
        }
    }
    host.leave(net::ByeReason::Disconnect, fakeNow);
    joiner.leave(net::ByeReason::Disconnect, fakeNow);
    closeDatagramSocket(hostRoom);
    closeDatagramSocket(joinRoom);
    EXPECT_EQ(net.rooms.roomCount(), 0u);
}

} // namespace

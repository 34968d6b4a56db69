// The relay's rooms without sockets: handshakes, forwarding, limits, expiry and the
// no-amplification rule, driven through Rooms::receive with a recording sink.
#include "server/relay_rooms.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

namespace {

using relay::Code;
using relay::Control;
using relay::Endpoint;
using relay::Kind;
using relay::RelayError;

struct Sent {
    Endpoint to;
    std::vector<std::uint8_t> bytes;
};

struct RecordingSink : relay::Sink {
    std::vector<Sent> sent;
    void send(const Endpoint& to, std::span<const std::uint8_t> bytes) override {
        sent.push_back({to, {bytes.begin(), bytes.end()}});
    }
    std::size_t bytesTo(const Endpoint& e) const {
        std::size_t n = 0;
        for (auto& s : sent)
            if (s.to == e) n += s.bytes.size();
        return n;
    }
};

Endpoint udp(std::uint8_t lastByte, std::uint16_t port) {
    Endpoint e;
    e.ip[10] = e.ip[11] = 0xff;
    e.ip[12] = 127;
    e.ip[15] = lastByte;
    e.port = port;
    return e;
}

Endpoint webSocket(std::uint64_t id, std::uint8_t lastByte = 9) {
    Endpoint e = udp(lastByte, 40000);
    e.transport = Endpoint::Transport::WebSocket;
    e.connection = id;
    return e;
}

std::vector<std::uint8_t> packet(Kind kind, const Code& code = {},
                                 const relay::CookieBytes& cookie = {}) {
    Control c;
    c.kind = kind;
    c.code = code;
    c.cookie = cookie;
    auto a = relay::writeControl(c);
    return {a.begin(), a.end()};
}

class RelayRooms : public ::testing::Test {
  protected:
    RelayRooms() : RelayRooms(relay::Limits{}) {}
    explicit RelayRooms(const relay::Limits& limits)
        : rooms(limits, sink, [this](std::span<std::uint8_t> out) {
              for (auto& b : out) b = static_cast<std::uint8_t>(rng());
          }) {}

    std::mt19937 rng{7};
    RecordingSink sink;
    relay::Rooms rooms;
    std::uint64_t now = 1'000'000;

    // The last control packet sent to `e` (fails the test when there is none).
    Control lastTo(const Endpoint& e) {
        for (auto it = sink.sent.rbegin(); it != sink.sent.rend(); ++it) {
            Control c;
            if (it->to == e && relay::readControl(it->bytes, c)) return c;
        }
        ADD_FAILURE() << "nothing sent";
        return {};
    }
    void send(const Endpoint& from, const std::vector<std::uint8_t>& bytes) {
        rooms.receive(from, bytes, now);
    }
    // The whole UDP handshake: Hello, Cookie, then Create.
    Code create(const Endpoint& host) {
        send(host, packet(Kind::Hello));
        Control cookie = lastTo(host);
        EXPECT_EQ(cookie.kind, Kind::Cookie);
        send(host, packet(Kind::Create, {}, cookie.cookie));
        Control created = lastTo(host);
        EXPECT_EQ(created.kind, Kind::Created);
        return created.code;
    }
    Control join(const Endpoint& joiner, const Code& code) {
        send(joiner, packet(Kind::Join, code, rooms.cookieFor(joiner, now)));
        return lastTo(joiner);
    }
};

TEST_F(RelayRooms, TwoPlayersMeetAndTheirDatagramsPassUnchanged) {
    Endpoint host = udp(1, 5000), joiner = udp(2, 6000), stranger = udp(3, 7000);
    Code code = create(host);
    EXPECT_TRUE(relay::isValidCode(code));

    Control joined = join(joiner, code);
    EXPECT_EQ(joined.kind, Kind::Joined);
    EXPECT_EQ(joined.code, code);
    EXPECT_EQ(lastTo(host).kind, Kind::PeerJoined);

    std::vector<std::uint8_t> game = {'B', 'X', 1, 3, 0xff, 0, 42};
    sink.sent.clear();
    send(host, game);
    send(joiner, {9, 8, 7});
    send(stranger, game); // not a member: dropped, unanswered
    ASSERT_EQ(sink.sent.size(), 2u);
    EXPECT_EQ(sink.sent[0].to, joiner);
    EXPECT_EQ(sink.sent[0].bytes, game);
    EXPECT_EQ(sink.sent[1].to, host);
    EXPECT_EQ(sink.sent[1].bytes, (std::vector<std::uint8_t>{9, 8, 7}));

    // A lost answer asked again gives the same room, not a second one.
    send(host, packet(Kind::Create, {}, rooms.cookieFor(host, now)));
    EXPECT_EQ(lastTo(host).code, code);
    EXPECT_EQ(join(joiner, code).kind, Kind::Joined);
    EXPECT_EQ(rooms.roomCount(), 1u);
}

TEST_F(RelayRooms, BrowserAndDesktopShareARoomWithoutCookieOverWebSocket) {
    Endpoint browser = webSocket(1), desktop = udp(2, 6000);
    send(browser, packet(Kind::Create)); // a zero cookie: the connection is proof
    Control created = lastTo(browser);
    ASSERT_EQ(created.kind, Kind::Created);
    EXPECT_EQ(join(desktop, created.code).kind, Kind::Joined);
    sink.sent.clear();
    send(desktop, {1, 2, 3});
    ASSERT_EQ(sink.sent.size(), 1u);
    EXPECT_EQ(sink.sent[0].to, browser);
    // Closing the browser's connection frees the room and tells the desktop.
    rooms.closed(browser, now);
    EXPECT_EQ(lastTo(desktop).kind, Kind::PeerLeft);
    EXPECT_EQ(rooms.roomCount(), 0u);
    EXPECT_EQ(rooms.memberCount(), 0u);
}

TEST_F(RelayRooms, RequestsWithoutTheAddressesOwnFreshCookieKeepNothing) {
    Endpoint host = udp(1, 5000), other = udp(1, 5001);
    struct Case {
        const char* what;
        relay::CookieBytes cookie;
    };
    const Case cases[] = {
        {"zero cookie", {}},
        {"another port's cookie", rooms.cookieFor(other, now)},
        {"a cookie three minutes old", rooms.cookieFor(host, now - 180'000)},
    };
    for (const auto& c : cases) {
        send(host, packet(Kind::Create, {}, c.cookie));
        EXPECT_EQ(lastTo(host).kind, Kind::Error) << c.what;
        EXPECT_EQ(lastTo(host).detail, static_cast<std::uint8_t>(RelayError::BadCookie)) << c.what;
    }
    EXPECT_EQ(rooms.roomCount(), 0u);
    // Last minute's cookie still holds (it may have been handed out just before).
    send(host, packet(Kind::Create, {}, rooms.cookieFor(host, now - 60'000)));
    EXPECT_EQ(lastTo(host).kind, Kind::Created);
}

TEST_F(RelayRooms, AnUnprovenSenderNeverGetsMoreBytesThanItSent) {
    // Hostile and stray datagrams from addresses that never finished a handshake.
    std::vector<std::vector<std::uint8_t>> hostile = {
        {},
        {'R'},
        {'R', 'L'},
        {'R', 'L', 1, 1}, // a Hello cut short
        packet(Kind::Hello),
        packet(Kind::Join, {'2', '2', '2', '2', '2', '2', '2', '2'}),
        packet(Kind::Create),
        packet(Kind::Leave),
        packet(Kind::KeepAlive),
        packet(Kind::Created), // a server's kind
        packet(Kind::PeerJoined),
        std::vector<std::uint8_t>(1200, 'R'),
        std::vector<std::uint8_t>(5000, 0),
    };
    auto longHello = packet(Kind::Hello);
    longHello.push_back(0);
    hostile.push_back(longHello);
    auto badVersion = packet(Kind::Hello);
    badVersion[2] = 99;
    hostile.push_back(badVersion);
    std::uint16_t port = 100;
    for (const auto& bytes : hostile) {
        Endpoint victim = udp(50, port++);
        for (int i = 0; i < 3; ++i) send(victim, bytes);
        EXPECT_LE(sink.bytesTo(victim), 3 * bytes.size()) << "packet of " << bytes.size();
    }
    // And random bytes in bulk, from ever new addresses.
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::uint8_t> bytes(rng() % 40);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        if (i % 2 && bytes.size() >= 2) {
            bytes[0] = 'R';
            bytes[1] = 'L';
        }
        Endpoint victim = udp(60, static_cast<std::uint16_t>(1000 + i));
        send(victim, bytes);
        EXPECT_LE(sink.bytesTo(victim), bytes.size());
    }
    EXPECT_EQ(rooms.roomCount(), 0u);
    EXPECT_EQ(rooms.memberCount(), 0u);
}

TEST_F(RelayRooms, JoinFailsForAWrongCodeAFullRoomOrAMemberOfAnotherRoom) {
    Endpoint host = udp(1, 5000), joiner = udp(2, 6000), third = udp(3, 7000);
    Code code = create(host);
    Code wrong = code;
    wrong[0] = wrong[0] == '2' ? '3' : '2';
    EXPECT_EQ(join(third, wrong).detail, static_cast<std::uint8_t>(RelayError::NoSuchRoom));
    EXPECT_EQ(join(third, Code{'!', '!', '!', '!', '!', '!', '!', '!'}).detail,
              static_cast<std::uint8_t>(RelayError::NoSuchRoom));
    EXPECT_EQ(join(host, code).detail, static_cast<std::uint8_t>(RelayError::InRoom));
    ASSERT_EQ(join(joiner, code).kind, Kind::Joined);
    EXPECT_EQ(join(third, code).detail, static_cast<std::uint8_t>(RelayError::RoomFull));
    EXPECT_EQ(rooms.memberCount(), 2u);
}

TEST_F(RelayRooms, LeavingOrIdlingClosesTheRoomAndTellsTheOther) {
    Endpoint host = udp(1, 5000), joiner = udp(2, 6000);
    Code code = create(host);
    join(joiner, code);
    send(joiner, packet(Kind::Leave));
    EXPECT_EQ(lastTo(host).kind, Kind::PeerLeft);
    EXPECT_EQ(rooms.roomCount(), 0u);
    EXPECT_EQ(join(udp(3, 1), code).detail, static_cast<std::uint8_t>(RelayError::NoSuchRoom));

    // A waiting host's keep-alives hold his room; silence lets it go.
    Code waiting = create(host);
    for (int i = 0; i < 10; ++i) {
        now += 20'000;
        send(host, packet(Kind::KeepAlive));
        rooms.expire(now);
    }
    EXPECT_EQ(rooms.roomCount(), 1u);
    now += relay::Limits{}.idleRoomMs;
    rooms.expire(now);
    EXPECT_EQ(rooms.roomCount(), 0u);
    EXPECT_EQ(rooms.memberCount(), 0u);
    EXPECT_EQ(lastTo(host).kind, Kind::PeerLeft);
    EXPECT_EQ(lastTo(host).code, waiting);
    // Its address may make rooms again.
    EXPECT_TRUE(relay::isValidCode(create(host)));
}

TEST_F(RelayRooms, CodesAreDistinctAndUseOnlyTheAlphabet) {
    std::set<std::string> seen;
    for (int i = 0; i < 400; ++i) {
        Endpoint host = udp(static_cast<std::uint8_t>(i / 8), static_cast<std::uint16_t>(i));
        Code code = create(host);
        ASSERT_TRUE(relay::isValidCode(code));
        seen.insert(std::string(relay::codeText(code)));
        // Let the address's request window pass now and then.
        if (i % 8 == 7) now += 11'000;
    }
    EXPECT_EQ(seen.size(), 400u);
}

TEST(RelayCode, ParsedAsAPlayerTypesIt) {
    Code code;
    ASSERT_TRUE(relay::parseCode("  abcd2345 ", code));
    EXPECT_EQ(relay::codeText(code), "ABCD2345");
    for (const char* bad : {"", "ABCD234", "ABCD23456", "ABCD234O", "ABCD2341", "ABCD234I",
                            "ABCD 234", "ABCD234\xc3"})
        EXPECT_FALSE(relay::parseCode(bad, code)) << bad;
}

class RelayRoomsLimited : public RelayRooms {
  protected:
    static relay::Limits small() {
        relay::Limits l;
        l.maxRooms = 3;
        l.maxRoomsPerAddress = 2;
        l.requestsPerWindow = 5;
        l.packetsPerSecond = 100;
        l.burst = 10;
        l.maxTrackedAddresses = 4;
        return l;
    }
    RelayRoomsLimited() : RelayRooms(small()) {}
};

TEST_F(RelayRoomsLimited, RoomsAreCappedPerAddressAndInAll) {
    create(udp(1, 1));
    create(udp(1, 2));
    send(udp(1, 3), packet(Kind::Create, {}, rooms.cookieFor(udp(1, 3), now)));
    EXPECT_EQ(lastTo(udp(1, 3)).detail, static_cast<std::uint8_t>(RelayError::TooManyRooms));
    create(udp(2, 1));
    send(udp(3, 1), packet(Kind::Create, {}, rooms.cookieFor(udp(3, 1), now)));
    EXPECT_EQ(lastTo(udp(3, 1)).detail, static_cast<std::uint8_t>(RelayError::ServerFull));
    EXPECT_EQ(rooms.roomCount(), 3u);
}

TEST_F(RelayRoomsLimited, GuessingCodesIsSlowAndTheTableStaysSmall) {
    auto guess = [&](const Endpoint& who, const Code& code) {
        std::size_t before = sink.sent.size();
        send(who, packet(Kind::Join, code, rooms.cookieFor(who, now)));
        return sink.sent.size() > before;
    };
    Endpoint guesser = udp(9, 1);
    int answered = 0;
    for (int i = 0; i < 50; ++i)
        answered +=
            guess(guesser, Code{'2', '2', '2', '2', '2', '2', '2', static_cast<char>('2' + i % 8)});
    EXPECT_EQ(answered, 5);
    // Many addresses at once: the table of requests never outgrows its cap.
    for (int i = 0; i < 100; ++i) guess(udp(static_cast<std::uint8_t>(100 + i), 1), Code{});
    EXPECT_LE(rooms.trackedAddresses(), 4u);
    now += 10'000; // a new window
    EXPECT_EQ(join(guesser, Code{}).detail, static_cast<std::uint8_t>(RelayError::NoSuchRoom));
}

TEST_F(RelayRoomsLimited, AFloodingMemberIsCutToHisRate) {
    Endpoint host = udp(1, 1), joiner = udp(2, 1);
    join(joiner, create(host));
    sink.sent.clear();
    for (int i = 0; i < 1000; ++i) send(host, {1, 2, 3}); // all in the same millisecond
    EXPECT_LE(sink.sent.size(), 10u);
    now += 1000; // a second later his bucket is full again
    sink.sent.clear();
    for (int i = 0; i < 5; ++i) send(host, {1});
    EXPECT_EQ(sink.sent.size(), 5u);
}

} // namespace

// UDP beneath the match: addresses as players type them, and two sessions playing
// over real sockets on the loopback addresses (IPv4 and IPv6). The online commands'
// refusals.
#include "command/console_text.h"
#include "command/interpreter.h"
#include "net/online_match.h"
#include "net/rollback_session.h"
#include "net/udp_socket.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

TEST(NetUdp, AddressesSplitAsTyped) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        std::uint16_t port;
    };
    const Case cases[] = {
        {"example.org", true, "example.org", 27915},
        {"10.1.2.3:4000", true, "10.1.2.3", 4000},
        {"[::1]:5000", true, "::1", 5000},
        {"[fe80::1]", true, "fe80::1", 27915},
        {"2001:db8::5", true, "2001:db8::5", 27915},
        {"host:", false, "", 0},
        {"host:0", false, "", 0},
        {"host:65536", false, "", 0},
        {"host:12x", false, "", 0},
        {"[::1", false, "", 0},
        {"[::1]x", false, "", 0},
        {":80", false, "", 0},
        {"", false, "", 0},
    };
    for (const Case& c : cases) {
        std::string host;
        std::uint16_t port = 0;
        EXPECT_EQ(splitHostPort(c.text, defaultNetPort, host, port), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(host, c.host) << c.text;
            EXPECT_EQ(port, c.port) << c.text;
        }
    }
}

// Two sessions over real sockets: the joiner reaches the host at `address`.
void playOverUdp(const char* address) {
    Arena arena({.width = 320, .height = 240, .heroWidth = 40, .heroHeight = 30});
    DatagramSocket hostSocket, joinSocket;
    std::string error;
    ASSERT_TRUE(openUdpSocket(hostSocket, 0, error)) << error;
    ASSERT_TRUE(openUdpSocket(joinSocket, 0, error)) << error;
    NetAddress hostAddress;
    const std::string text = std::string(address) + ":" + std::to_string(udpSocketPort(hostSocket));
    ASSERT_TRUE(resolveNetAddress(text, defaultNetPort, hostAddress, error)) << error;

    net::RollbackSession host, join;
    const auto start = std::chrono::steady_clock::now();
    auto nowMs = [&] {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - start)
                                              .count()) +
               1000;
    };
    host.host(hostSocket, saveGame(), 11, nowMs());
    join.join(joinSocket, hostAddress, 12, nowMs());
    // Bounded in count and time; frames of the joiner's keys move his fighter.
    for (int i = 0; i < 3000 && (host.frame() < 300 || join.frame() < 300); ++i) {
        host.poll(nowMs());
        join.poll(nowMs());
        host.advance(PlayerInput{}, nowMs());
        join.advance(PlayerInput{InputRight}, nowMs());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(host.frame(), 300u);
    EXPECT_GE(join.frame(), 300u);
    EXPECT_EQ(host.phase(), net::RollbackSession::Phase::Running) << host.endMessage();
    // The joiner left: the host hears it at once.
    join.leave(net::ByeReason::Disconnect, nowMs());
    for (int i = 0; i < 200 && host.phase() != net::RollbackSession::Phase::Ended; ++i) {
        host.poll(nowMs());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(host.endMessage(), "The other player left the match.");
    closeDatagramSocket(hostSocket);
    closeDatagramSocket(joinSocket);
}

TEST(NetUdp, AMatchOverIpv4Loopback) {
    playOverUdp("127.0.0.1");
}

TEST(NetUdp, AMatchOverIpv6Loopback) {
    playOverUdp("[::1]");
}

TEST(NetCommands, RefuseWhatTheyCannotUse) {
    Arena arena;
    const struct {
        const char* line;
        const char* says;
    } cases[] = {
        {"HOST 0", "HOST: the port is a number from 1 to 65535."},
        {"HOST 70000", "HOST: the port is a number from 1 to 65535."},
        {"NETDELAY 11", "NETDELAY: frames from 0 to 10."},
        {"NETDELAY", "NETDELAY: frames from 0 to 10."},
        {"DISCONNECT", "DISCONNECT: no match is on."},
        {"NETSTATS", "NETSTATS: no match is on."},
        {"CONNECT [::1", "CONNECT: not an address: [::1"},
    };
    for (const auto& c : cases) {
        consoleText.clear();
        ExecuteCommandLine(c.line);
        EXPECT_NE(consoleText.find(c.says), std::string::npos) << c.line << ": " << consoleText;
    }
    EXPECT_FALSE(onlineMatchActive());
}

} // namespace

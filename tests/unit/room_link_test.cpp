// The web page's room link: the address the host's page hands out, and the strict
// reading of a fragment, under which a mangled link joins nothing.
#include "net/room_link.h"

#include <gtest/gtest.h>

#include <string>

namespace {

relay::Code code(std::string_view text) {
    relay::Code out{};
    EXPECT_TRUE(relay::parseCode(text, out));
    return out;
}

TEST(RoomLink, TheHostsLinkReadsBackAsTheSameRoomAndRelay) {
    struct Case {
        const char* typed; // after HOST RELAY
        const char* relay; // as the link carries it and JOIN takes it
    };
    const Case cases[] = {
        {"127.0.0.1", "127.0.0.1"},
        {"relay.example.net:27916", "relay.example.net:27916"},
        {"  localhost:9000 ", "localhost:9000"},
        {"::1", "[::1]"},
        {"[2001:db8::7]:40000", "[2001:db8::7]:40000"},
        {"wss://relay.example.net/brawlex", "wss://relay.example.net/brawlex"},
        {"ws://127.0.0.1:8080/", "ws://127.0.0.1:8080/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::string address =
            net::roomLinkAddress("http://127.0.0.1:8000/index.html#old", c.typed, code("K7M2QX9P"));
        EXPECT_EQ(address,
                  std::string("http://127.0.0.1:8000/index.html#join=K7M2QX9P@") + c.relay);
        net::RoomLink link;
        ASSERT_TRUE(net::parseRoomLink(address.substr(address.find('#')), "elsewhere", link));
        EXPECT_EQ(link.relay, c.relay);
        EXPECT_EQ(relay::codeText(link.code), "K7M2QX9P");
    }
}

TEST(RoomLink, ALinkWithoutARelayMeansThePagesOwnHost) {
    net::RoomLink link;
    ASSERT_TRUE(net::parseRoomLink("#join=k7m2qx9p", "play.example.net", link));
    EXPECT_EQ(link.relay, "play.example.net");
    EXPECT_EQ(relay::codeText(link.code), "K7M2QX9P");
    ASSERT_TRUE(net::parseRoomLink("join=K7M2QX9P", "[::1]", link));
    EXPECT_EQ(link.relay, "[::1]");
    EXPECT_FALSE(net::parseRoomLink("#join=K7M2QX9P", "", link));
}

TEST(RoomLink, AnythingElseIsNoLinkAndLeavesTheResultAlone) {
    const std::string tooLong = "#join=K7M2QX9P@" + std::string(400, 'a');
    const char* fragments[] = {
        "",
        "#",
        "#join=",
        "#join=@127.0.0.1",
        "#join=K7M2QX9",        // a character short
        "#join=K7M2QX9PP@host", // one too many
        "#join=K7M2QX90@host",  // 0 is not in the alphabet
        "#join= K7M2QX9P@host",
        "#join=K7M2QX9P@",
        "#join=K7M2QX9P@host name",
        "#join=K7M2QX9P@host 27916",
        "#join=K7M2QX9P@host:0",
        "#join=K7M2QX9P@host:65536",
        "#join=K7M2QX9P@host:27916x",
        "#join=K7M2QX9P@host:",
        "#join=K7M2QX9P@user@host",
        "#join=K7M2QX9P@host/path",
        "#join=K7M2QX9P@[::1",
        "#join=K7M2QX9P@[nothex]",
        "#join=K7M2QX9P@http://host",
        "#join=K7M2QX9P@WS://host",
        "#join=K7M2QX9P@ws://host/a?b",
        "#join=K7M2QX9P@ws://host/a#b",
        "#join=K7M2QX9P@.host",
        "#join=K7M2QX9P@host\r\nQUIT",
        "#join=K7M2QX9P@host;quit",
        "#Join=K7M2QX9P@host",
        "#host=K7M2QX9P@host",
        "#join=K7M2QX9P@h\xe9st",
        tooLong.c_str(),
    };
    for (const char* fragment : fragments) {
        SCOPED_TRACE(fragment);
        net::RoomLink link;
        link.relay = "untouched";
        EXPECT_FALSE(net::parseRoomLink(fragment, "127.0.0.1", link));
        EXPECT_EQ(link.relay, "untouched");
    }
    // A relay a link cannot carry makes no link.
    EXPECT_EQ(net::roomLinkAddress("http://127.0.0.1:8000/", "host;quit", code("K7M2QX9P")), "");
    EXPECT_EQ(net::roomLinkAddress("", "127.0.0.1", code("K7M2QX9P")), "");
}

} // namespace

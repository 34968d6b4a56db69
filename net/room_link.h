// A link to the web page that opens it straight into a relay room. The room travels in
// the address's fragment, which the browser never sends to the web server:
//
//     https://example.net/brawlex/#join=K7M2QX9P@relay.example.net:27916
//
// The code comes first, as a player reads it out; after the "@" the relay, as the
// host typed it after HOST RELAY (a name or an address with an optional port, an
// IPv6 address in brackets, or a ws:// or wss:// address). "#join=K7M2QX9P" alone
// means the relay on the page's own host at the default port, as a site that serves
// the page and runs its relay on one machine would hand it out. The host's page
// always writes the relay out, so that its link works from any page.
//
// The fragment is read strictly: anything that is not exactly this form is no link
// at all, so a mangled address never joins a room other than the one it names.
#pragma once

#include "server/relay_protocol.h"

#include <string>
#include <string_view>

namespace net {

// The longest fragment read; longer ones are no link.
constexpr std::size_t maxRoomLinkLength = 320;

struct RoomLink {
    std::string relay; // as JOIN takes it
    relay::Code code{};
};

// A relay as a link carries it: host, host:port, [v6], [v6]:port, or ws:// or wss://
// with such a host and an optional path of plain characters. A bare IPv6 address
// (two colons or more, no brackets) is put in brackets. Empty when the relay cannot
// be written in a link.
std::string linkableRelay(std::string_view relay);

// Reads "#join=<code>[@<relay>]" (the "#" optional). pageHost is the page's own
// host, the relay of a link that names none. False for anything else, `out` then
// untouched.
bool parseRoomLink(std::string_view fragment, std::string_view pageHost, RoomLink& out);

// The page's address (without a fragment) with the room's fragment, or "" when the
// relay cannot be written in a link.
std::string roomLinkAddress(std::string_view pageAddress, std::string_view relay,
                            const relay::Code& code);

} // namespace net

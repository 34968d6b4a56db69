// UDP beneath the datagram interface, for the Windows and desktop programs: one
// non-blocking socket for both IPv4 and IPv6, and name resolution.
#pragma once

#include "net/datagram.h"

#include <cstdint>
#include <string>
#include <string_view>

// The port HOST listens on and CONNECT tries when none is given.
constexpr std::uint16_t defaultNetPort = 27915;

// Opens a non-blocking UDP socket on `port` (0: any free port) of every local
// address: IPv6 with IPv4 beside it where the system allows, IPv4 alone otherwise.
// False, with the reason in `error`, when no socket could be opened.
bool openUdpSocket(DatagramSocket& out, std::uint16_t port, std::string& error);

// The port the socket is bound to (0 when unknown).
std::uint16_t udpSocketPort(const DatagramSocket& socket);

// Splits "host", "host:port", "[v6]" or "[v6]:port" (an IPv6 address without
// brackets is taken whole, without a port). False for an empty host or a port
// outside 1..65535.
bool splitHostPort(std::string_view text, std::uint16_t defaultPort, std::string& host,
                   std::uint16_t& port);

// Resolves a name or an address with an optional port, preferring IPv4 when a name
// has both (every host can be reached on it). Blocks while a name is looked up: the
// commands call it between frames, while the console is open.
bool resolveNetAddress(std::string_view text, std::uint16_t defaultPort, NetAddress& out,
                       std::string& error);

// Conversions between the game's addresses and those of the socket API, shared by the
// POSIX and the Winsock sockets: the two APIs lay the addresses out alike.
#pragma once

#include "net/datagram.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstdint>
#include <cstring>

namespace net_sockets {

#if defined(_WIN32)
using SocketLength = int;
#else
using SocketLength = socklen_t;
#endif

// An IPv4 address seen through an IPv6 socket (::ffff:a.b.c.d) is an IPv4 one.
inline NetAddress fromSockaddr(const sockaddr_storage& s) {
    NetAddress a;
    if (s.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(s);
        a.kind = NetAddressKind::Ipv4;
        std::memcpy(a.ip, &v4.sin_addr, 4);
        a.port = ntohs(v4.sin_port);
    } else if (s.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(s);
        a.port = ntohs(v6.sin6_port);
        static const std::uint8_t mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
        if (std::memcmp(&v6.sin6_addr, mapped, 12) == 0) {
            a.kind = NetAddressKind::Ipv4;
            std::memcpy(a.ip, reinterpret_cast<const std::uint8_t*>(&v6.sin6_addr) + 12, 4);
        } else {
            a.kind = NetAddressKind::Ipv6;
            std::memcpy(a.ip, &v6.sin6_addr, 16);
            a.scope = v6.sin6_scope_id;
        }
    }
    return a;
}

// The address as the socket's family sends to it; false when it cannot.
inline bool toSockaddr(const NetAddress& a, int family, sockaddr_storage& s, SocketLength& length) {
    std::memset(&s, 0, sizeof s);
    if (family == AF_INET) {
        if (a.kind != NetAddressKind::Ipv4) return false;
        auto& v4 = reinterpret_cast<sockaddr_in&>(s);
        v4.sin_family = AF_INET;
        v4.sin_port = htons(a.port);
        std::memcpy(&v4.sin_addr, a.ip, 4);
        length = sizeof v4;
        return true;
    }
    auto& v6 = reinterpret_cast<sockaddr_in6&>(s);
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(a.port);
    auto* bytes = reinterpret_cast<std::uint8_t*>(&v6.sin6_addr);
    if (a.kind == NetAddressKind::Ipv4) {
        bytes[10] = bytes[11] = 0xff;
        std::memcpy(bytes + 12, a.ip, 4);
    } else if (a.kind == NetAddressKind::Ipv6) {
        std::memcpy(bytes, a.ip, 16);
        v6.sin6_scope_id = a.scope;
    } else {
        return false;
    }
    length = sizeof v6;
    return true;
}

// The address a name resolved to: its first IPv4 address (every network reaches IPv4,
// and an IPv6 socket sends to one too), else its first IPv6 address; kind None when it
// has neither.
inline NetAddress firstUsableAddress(const addrinfo* found) {
    NetAddress best;
    for (const addrinfo* i = found; i != nullptr; i = i->ai_next) {
        if (i->ai_addrlen > sizeof(sockaddr_storage)) continue;
        sockaddr_storage s{};
        std::memcpy(&s, i->ai_addr, i->ai_addrlen);
        const NetAddress a = fromSockaddr(s);
        if (a.kind == NetAddressKind::Ipv4) {
            best = a;
            break;
        }
        if (best.kind == NetAddressKind::None) best = a;
    }
    return best;
}

} // namespace net_sockets

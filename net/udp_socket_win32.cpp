// UDP sockets on Windows (Winsock 2; the program links ws2_32).

#include "net/udp_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

namespace {

using socklen_t = int;

struct UdpSocket {
    SOCKET fd = INVALID_SOCKET;
    int family = AF_INET6;
};

// An IPv4 address seen through an IPv6 socket (::ffff:a.b.c.d) is an IPv4 one.
NetAddress fromSockaddr(const sockaddr_storage& s) {
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
bool toSockaddr(const NetAddress& a, int family, sockaddr_storage& s, socklen_t& length) {
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

bool udpSend(void* context, const NetAddress& to, std::span<const std::uint8_t> bytes) {
    auto* s = static_cast<UdpSocket*>(context);
    sockaddr_storage address;
    socklen_t length = 0;
    if (bytes.size() > maxDatagramSize || !toSockaddr(to, s->family, address, length)) return false;
    const int sent =
        ::sendto(s->fd, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
                 0, reinterpret_cast<const sockaddr*>(&address), length);
    return sent == static_cast<int>(bytes.size());
}

bool udpReceive(void* context, NetAddress& from, std::span<std::uint8_t> buffer,
                std::size_t& size) {
    auto* s = static_cast<UdpSocket*>(context);
    for (;;) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int n = ::recvfrom(s->fd, reinterpret_cast<char*>(buffer.data()),
                                 static_cast<int>(buffer.size()), 0,
                                 reinterpret_cast<sockaddr*>(&address), &length);
        if (n == SOCKET_ERROR) {
            const int e = WSAGetLastError();
            if (e == WSAEWOULDBLOCK) return false;
            // Too long: dropped whole. A bounced earlier datagram: nothing to read.
            if (e == WSAEMSGSIZE || e == WSAECONNRESET || e == WSAENETRESET) continue;
            return false;
        }
        from = fromSockaddr(address);
        if (from.kind == NetAddressKind::None) continue;
        size = static_cast<std::size_t>(n);
        return true;
    }
}

void udpClose(void* context) {
    auto* s = static_cast<UdpSocket*>(context);
    if (s->fd != INVALID_SOCKET) ::closesocket(s->fd);
    delete s;
}

} // namespace

// Winsock is started once, at the first socket, and left for the process's end.
bool startWinsock(std::string& error) {
    static bool started = false;
    if (started) return true;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        error = "cannot start Winsock";
        return false;
    }
    started = true;
    return true;
}

std::string lastError() {
    return "error " + std::to_string(WSAGetLastError());
}

bool openUdpSocket(DatagramSocket& out, std::uint16_t port, std::string& error) {
    if (!startWinsock(error)) return false;
    auto* s = new UdpSocket;
    s->fd = ::socket(AF_INET6, SOCK_DGRAM, 0);
    if (s->fd != INVALID_SOCKET) {
        DWORD off = 0;
        ::setsockopt(s->fd, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&off),
                     sizeof off);
        sockaddr_in6 any{};
        any.sin6_family = AF_INET6;
        any.sin6_addr = in6addr_any;
        any.sin6_port = htons(port);
        if (::bind(s->fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
            ::closesocket(s->fd);
            s->fd = INVALID_SOCKET;
        }
    }
    if (s->fd == INVALID_SOCKET) {
        s->family = AF_INET;
        s->fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (s->fd != INVALID_SOCKET) {
            sockaddr_in any{};
            any.sin_family = AF_INET;
            any.sin_addr.s_addr = htonl(INADDR_ANY);
            any.sin_port = htons(port);
            if (::bind(s->fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
                error = "cannot use UDP port " + std::to_string(port) + ": " + lastError();
                ::closesocket(s->fd);
                delete s;
                return false;
            }
        }
    }
    if (s->fd == INVALID_SOCKET) {
        error = "cannot open a UDP socket: " + lastError();
        delete s;
        return false;
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(s->fd, FIONBIO, &nonBlocking);
    // A datagram that bounced (the other program not yet listening) must not make
    // every later receive fail.
    BOOL reportBounces = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(s->fd, SIO_UDP_CONNRESET, &reportBounces, sizeof reportBounces, nullptr, 0,
               &returned, nullptr, nullptr);
    out.context = s;
    out.send = udpSend;
    out.receive = udpReceive;
    out.close = udpClose;
    return true;
}

std::uint16_t udpSocketPort(const DatagramSocket& socket) {
    if (socket.send != udpSend) return 0;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(static_cast<UdpSocket*>(socket.context)->fd,
                      reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return fromSockaddr(address).port;
}

bool resolveNetAddress(std::string_view text, std::uint16_t defaultPort, NetAddress& out,
                       std::string& error) {
    std::string host;
    std::uint16_t port = 0;
    if (!splitHostPort(text, defaultPort, host, port)) {
        error = "not an address: " + std::string(text);
        return false;
    }
    if (!startWinsock(error)) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || found == nullptr) {
        error = "cannot find " + host + " (error " + std::to_string(rc) + ")";
        return false;
    }
    NetAddress best;
    for (addrinfo* i = found; i != nullptr; i = i->ai_next) {
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
    ::freeaddrinfo(found);
    if (best.kind == NetAddressKind::None) {
        error = "no address for " + host;
        return false;
    }
    best.port = port;
    out = best;
    return true;
}

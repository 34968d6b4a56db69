// UDP sockets on Windows (Winsock 2; the program links ws2_32).

#include "net/udp_socket.h"

#include "net/socket_address.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

namespace {

struct UdpSocket {
    SOCKET fd = INVALID_SOCKET;
    int family = AF_INET6;
};

bool udpSend(void* context, const NetAddress& to, std::span<const std::uint8_t> bytes) {
    auto* s = static_cast<UdpSocket*>(context);
    sockaddr_storage address;
    net_sockets::SocketLength length = 0;
    if (bytes.size() > maxDatagramSize || !net_sockets::toSockaddr(to, s->family, address, length))
        return false;
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
        net_sockets::SocketLength length = sizeof address;
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
        from = net_sockets::fromSockaddr(address);
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
    net_sockets::SocketLength length = sizeof address;
    if (::getsockname(static_cast<UdpSocket*>(socket.context)->fd,
                      reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return net_sockets::fromSockaddr(address).port;
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
    NetAddress best = net_sockets::firstUsableAddress(found);
    ::freeaddrinfo(found);
    if (best.kind == NetAddressKind::None) {
        error = "no address for " + host;
        return false;
    }
    best.port = port;
    out = best;
    return true;
}

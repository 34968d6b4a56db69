// UDP sockets on Linux, macOS and the other POSIX systems.
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)

#include "net/udp_socket.h"

#include "net/socket_address.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct UdpSocket {
    int fd = -1;
    int family = AF_INET6;
};

bool udpSend(void* context, const NetAddress& to, std::span<const std::uint8_t> bytes) {
    auto* s = static_cast<UdpSocket*>(context);
    sockaddr_storage address;
    net_sockets::SocketLength length = 0;
    if (bytes.size() > maxDatagramSize || !net_sockets::toSockaddr(to, s->family, address, length))
        return false;
    const ssize_t sent = ::sendto(s->fd, bytes.data(), bytes.size(), 0,
                                  reinterpret_cast<const sockaddr*>(&address), length);
    return sent == static_cast<ssize_t>(bytes.size());
}

bool udpReceive(void* context, NetAddress& from, std::span<std::uint8_t> buffer,
                std::size_t& size) {
    auto* s = static_cast<UdpSocket*>(context);
    for (;;) {
        sockaddr_storage address{};
        net_sockets::SocketLength length = sizeof address;
        const ssize_t n = ::recvfrom(s->fd, buffer.data(), buffer.size(), MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&address), &length);
        if (n < 0) {
            if (errno == EINTR) continue;
            // EAGAIN: nothing waits. ECONNREFUSED and the like: an earlier datagram
            // bounced; nothing to read now either way.
            if (errno == EAGAIN || errno == EWOULDBLOCK) return false;
            continue;
        }
        if (static_cast<std::size_t>(n) > buffer.size()) continue; // too long: dropped whole
        from = net_sockets::fromSockaddr(address);
        if (from.kind == NetAddressKind::None) continue;
        size = static_cast<std::size_t>(n);
        return true;
    }
}

void udpClose(void* context) {
    auto* s = static_cast<UdpSocket*>(context);
    if (s->fd >= 0) ::close(s->fd);
    delete s;
}

} // namespace

bool openUdpSocket(DatagramSocket& out, std::uint16_t port, std::string& error) {
    auto* s = new UdpSocket;
    s->fd = ::socket(AF_INET6, SOCK_DGRAM, 0);
    if (s->fd >= 0) {
        int off = 0;
        ::setsockopt(s->fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        sockaddr_in6 any{};
        any.sin6_family = AF_INET6;
        any.sin6_addr = in6addr_any;
        any.sin6_port = htons(port);
        if (::bind(s->fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
            ::close(s->fd);
            s->fd = -1;
        }
    }
    if (s->fd < 0) {
        s->family = AF_INET;
        s->fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (s->fd >= 0) {
            sockaddr_in any{};
            any.sin_family = AF_INET;
            any.sin_addr.s_addr = htonl(INADDR_ANY);
            any.sin_port = htons(port);
            if (::bind(s->fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
                error = std::string("cannot use UDP port ") + std::to_string(port) + ": " +
                        std::strerror(errno);
                ::close(s->fd);
                delete s;
                return false;
            }
        }
    }
    if (s->fd < 0) {
        error = std::string("cannot open a UDP socket: ") + std::strerror(errno);
        delete s;
        return false;
    }
    ::fcntl(s->fd, F_SETFL, ::fcntl(s->fd, F_GETFL, 0) | O_NONBLOCK);
    ::fcntl(s->fd, F_SETFD, FD_CLOEXEC);
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
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || found == nullptr) {
        error = "cannot find " + host + ": " + ::gai_strerror(rc);
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

#elif defined(__EMSCRIPTEN__)

#include "net/udp_socket.h"

// A page cannot send UDP: it plays through a relay.
bool openUdpSocket(DatagramSocket&, std::uint16_t, std::string& error) {
    error = "the browser cannot send UDP; play through a relay";
    return false;
}

std::uint16_t udpSocketPort(const DatagramSocket&) {
    return 0;
}

bool resolveNetAddress(std::string_view, std::uint16_t, NetAddress&, std::string& error) {
    error = "the browser cannot send UDP; play through a relay";
    return false;
}

#endif

// Load for the relay: `matches` rooms on a running brawlex-server, each with two UDP
// players on loopback sending 100 datagrams a second of a game's size to each other
// through it for `seconds`. Prints the one-way delay through the relay (median, 99th
// percentile, worst) beside the same traffic sent directly between the players, so
// the difference is what the relay adds.
//   relay_bench <port> <matches> <seconds>
#include "server/relay_protocol.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::uint64_t nowNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int openSocket() {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_in any = loopback(0);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        std::perror("socket");
        std::exit(1);
    }
    int size = 1 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    return fd;
}

std::uint16_t portOf(int fd) {
    sockaddr_in a{};
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    return ntohs(a.sin_port);
}

// One control exchange, asked again until answered (bounded).
bool ask(int fd, const sockaddr_in& server, const relay::Control& c, relay::Control& answer,
         relay::Kind want) {
    auto bytes = relay::writeControl(c);
    for (int attempt = 0; attempt < 50; ++attempt) {
        sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&server),
               sizeof server);
        std::uint64_t until = nowNs() + 20'000'000;
        while (nowNs() < until) {
            std::uint8_t buffer[64];
            ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n > 0 && relay::readControl({buffer, static_cast<std::size_t>(n)}, answer) &&
                answer.kind == want)
                return true;
        }
    }
    return false;
}

struct Player {
    int fd;
    sockaddr_in to; // the relay, or the other player when sent directly
};

struct Result {
    double p50, p99, worst;
    std::size_t received, sent;
};

Result run(std::vector<Player>& players, double seconds) {
    int ep = epoll_create1(0);
    for (std::size_t i = 0; i < players.size(); ++i) {
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.u64 = i;
        epoll_ctl(ep, EPOLL_CTL_ADD, players[i].fd, &e);
    }
    std::vector<double> delaysUs;
    delaysUs.reserve(static_cast<std::size_t>(players.size() * 100 * seconds));
    const std::uint64_t start = nowNs(), end = start + static_cast<std::uint64_t>(seconds * 1e9);
    const std::uint64_t period = 10'000'000; // 100 a second
    std::vector<std::uint64_t> nextSend(players.size());
    for (std::size_t i = 0; i < players.size(); ++i)
        nextSend[i] = start + period * i / players.size();
    std::size_t sent = 0;
    std::uint8_t packet[80] = {'B', 'X', 1, 3};
    std::vector<epoll_event> events(256);
    for (;;) {
        const std::uint64_t now = nowNs();
        if (now >= end + 200'000'000) break;
        if (now < end) {
            for (std::size_t i = 0; i < players.size(); ++i) {
                if (nextSend[i] > now) continue;
                std::uint64_t stamp = nowNs();
                std::memcpy(packet + 8, &stamp, sizeof stamp);
                sendto(players[i].fd, packet, sizeof packet, 0,
                       reinterpret_cast<sockaddr*>(&players[i].to), sizeof players[i].to);
                ++sent;
                nextSend[i] += period;
            }
        }
        int n = epoll_wait(ep, events.data(), static_cast<int>(events.size()), 0);
        for (int k = 0; k < n; ++k) {
            int fd = players[events[k].data.u64].fd;
            std::uint8_t buffer[256];
            ssize_t got;
            while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) {
                if (got != sizeof packet) continue;
                std::uint64_t stamp;
                std::memcpy(&stamp, buffer + 8, sizeof stamp);
                delaysUs.push_back((nowNs() - stamp) / 1000.0);
            }
        }
    }
    close(ep);
    std::sort(delaysUs.begin(), delaysUs.end());
    Result r{};
    r.sent = sent;
    r.received = delaysUs.size();
    if (!delaysUs.empty()) {
        r.p50 = delaysUs[delaysUs.size() / 2];
        r.p99 = delaysUs[delaysUs.size() * 99 / 100];
        r.worst = delaysUs.back();
    }
    return r;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: relay_bench <port> <matches> <seconds>\n");
        return 2;
    }
    const sockaddr_in server = loopback(static_cast<std::uint16_t>(std::atoi(argv[1])));
    const int matches = std::atoi(argv[2]);
    const double seconds = std::atof(argv[3]);

    std::vector<Player> relayed, direct;
    for (int m = 0; m < matches; ++m) {
        int host = openSocket(), joiner = openSocket();
        relay::Control hello, answer, cookie;
        hello.kind = relay::Kind::Hello;
        if (!ask(host, server, hello, cookie, relay::Kind::Cookie))
            return std::fprintf(stderr, "no cookie for match %d\n", m), 1;
        relay::Control create;
        create.kind = relay::Kind::Create;
        create.cookie = cookie.cookie;
        if (!ask(host, server, create, answer, relay::Kind::Created))
            return std::fprintf(stderr, "no room for match %d\n", m), 1;
        relay::Control join;
        join.kind = relay::Kind::Join;
        join.code = answer.code;
        if (!ask(joiner, server, hello, cookie, relay::Kind::Cookie)) return 1;
        join.cookie = cookie.cookie;
        if (!ask(joiner, server, join, answer, relay::Kind::Joined))
            return std::fprintf(stderr, "no join for match %d\n", m), 1;
        relayed.push_back({host, server});
        relayed.push_back({joiner, server});
    }
    // Drain the PeerJoined notices.
    run(relayed, 0.05);
    const Result through = run(relayed, seconds);
    for (std::size_t i = 0; i < relayed.size(); i += 2) {
        direct.push_back({relayed[i].fd, loopback(portOf(relayed[i + 1].fd))});
        direct.push_back({relayed[i + 1].fd, loopback(portOf(relayed[i].fd))});
    }
    const Result straight = run(direct, seconds);
    std::printf("%d matches: through the relay p50 %.0f us, p99 %.0f us, worst %.0f us, "
                "%zu of %zu arrived; direct p50 %.0f us, p99 %.0f us; added at p99 %.0f us\n",
                matches, through.p50, through.p99, through.worst, through.received, through.sent,
                straight.p50, straight.p99, through.p99 - straight.p99);
    for (auto& p : relayed) close(p.fd);
    return 0;
}

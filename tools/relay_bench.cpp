// Load for the relay: `matches` rooms on a running brawlex-server, each with two UDP
// players on loopback sending a game's datagram 100 times a second to each other
// through it for `seconds`; then the same players send the same traffic directly to
// each other for as long, so that the difference is what the relay adds.
//
//   relay_bench <port> <matches> <seconds>
//
// Prints one line: the one-way delay through the relay and directly (median, 99th
// percentile, worst), the datagrams sent and lost on each path, and how well the
// generator kept its own schedule on each (how late its sends went out at the 99th
// percentile, a tick of 100 us being the least, and the share of its core it used):
// a generator that cannot keep up would measure itself, not the relay.
//
// Every player has an address of its own (127.1.x.y), so the relay's per-address
// limits hold as they would on the internet, yet all of them share one socket: a
// few recvmmsg and sendmmsg calls carry a whole burst, and the generator's cost a
// datagram stays well below the relay's. The socket is bound to the wildcard
// address (replies to 127.1.x.y need it) and takes only loopback datagrams.
//
// Each datagram carries its sender, its sequence number and the time it was sent
// (the monotonic clock, read just before the send call); the receiver checks that
// it came to the sender's partner, and counts what never arrived.
#include "server/relay_protocol.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::uint64_t nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::uint64_t>(t.tv_sec) * 1'000'000'000u + t.tv_nsec;
}

std::uint64_t realNs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<std::uint64_t>(t.tv_sec) * 1'000'000'000u + t.tv_nsec;
}

std::uint64_t cpuNs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto ns = [](const timeval& t) {
        return static_cast<std::uint64_t>(t.tv_sec) * 1'000'000'000u + t.tv_usec * 1000u;
    };
    return ns(u.ru_utime) + ns(u.ru_stime);
}

// Players' addresses: 127.1.0.1 onwards.
constexpr std::uint32_t firstPlayerAddress = 0x7f010001;
constexpr std::size_t batch = 64;
constexpr std::size_t packetSize = 80;       // about a game datagram
constexpr std::uint64_t period = 10'000'000; // 100 a second, in ns
// The generator sends in ticks: every datagram due within one goes out in one
// call. Its delays are measured from the time written in the datagram just before
// that call to the time the system received it (its own arrival stamp), so neither
// the tick nor the generator's reading adds to them.
constexpr std::uint64_t tickNs = 100'000;

// Game datagram: 'B' 'X' | phase u8 | 0 | sender u32 | sequence u32 | 0 u32 |
// sent at (ns, monotonic) u64 | zeros to packetSize. Never begins as a relay
// control packet does.
struct Stamp {
    std::uint8_t phase;
    std::uint32_t sender, sequence;
    std::uint64_t sentNs;
};

void writeStamp(std::uint8_t* p, const Stamp& s) {
    p[0] = 'B';
    p[1] = 'X';
    p[2] = s.phase;
    std::memcpy(p + 4, &s.sender, 4);
    std::memcpy(p + 8, &s.sequence, 4);
    std::memcpy(p + 16, &s.sentNs, 8);
}

bool readStamp(const std::uint8_t* p, std::size_t n, Stamp& s) {
    if (n != packetSize || p[0] != 'B' || p[1] != 'X') return false;
    s.phase = p[2];
    std::memcpy(&s.sender, p + 4, 4);
    std::memcpy(&s.sequence, p + 8, 4);
    std::memcpy(&s.sentNs, p + 16, 8);
    return true;
}

// Microsecond buckets up to 100 ms; the worst is kept exactly.
class Histogram {
  public:
    void add(std::uint64_t ns) {
        const std::uint64_t us = ns / 1000;
        ++buckets_[std::min<std::uint64_t>(us, buckets_.size() - 1)];
        ++count_;
        worstNs_ = std::max(worstNs_, ns);
    }
    // The value under which `fraction` of the samples lie, in microseconds.
    double at(double fraction) const {
        if (count_ == 0) return 0;
        const auto rank = static_cast<std::uint64_t>(fraction * static_cast<double>(count_ - 1));
        std::uint64_t seen = 0;
        for (std::size_t i = 0; i < buckets_.size(); ++i) {
            seen += buckets_[i];
            if (seen > rank) return static_cast<double>(i) + 0.5;
        }
        return static_cast<double>(buckets_.size());
    }
    double worstUs() const { return static_cast<double>(worstNs_) / 1000.0; }
    std::uint64_t count() const { return count_; }

  private:
    std::vector<std::uint32_t> buckets_ = std::vector<std::uint32_t>(100'000);
    std::uint64_t count_ = 0;
    std::uint64_t worstNs_ = 0;
};

sockaddr_in addressOf(std::uint32_t hostOrderIp, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(hostOrderIp);
    return a;
}

class Generator {
  public:
    Generator(std::uint16_t relayPort, std::size_t players)
        : relay_(addressOf(0x7f000001, relayPort)), players_(players), nextSequence_(players, 0),
          highest_(players, -1) {
        fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        int on = 1;
        if (fd_ < 0 || setsockopt(fd_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 ||
            setsockopt(fd_, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) != 0 ||
            bind(fd_, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
            std::perror("relay_bench: socket");
            std::exit(1);
        }
        // Room for the whole burst of every player (beyond the system's cap where
        // allowed: the generator must not be where datagrams are lost).
        int size = 32 << 20;
        if (setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
            setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        if (setsockopt(fd_, SOL_SOCKET, SO_SNDBUFFORCE, &size, sizeof size) != 0)
            setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        sockaddr_in bound{};
        socklen_t n = sizeof bound;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &n);
        port_ = ntohs(bound.sin_port);
        for (std::size_t i = 0; i < batch; ++i) {
            inIov_[i] = {inData_[i].data(), inData_[i].size()};
            outIov_[i] = {outData_[i].data(), packetSize};
        }
    }
    ~Generator() { close(fd_); }

    std::size_t players() const { return players_; }
    sockaddr_in playerAddress(std::size_t i) const {
        return addressOf(firstPlayerAddress + static_cast<std::uint32_t>(i), port_);
    }

    // Puts every pair in a room: Hello, Cookie, Create (host) or Join (joiner).
    bool enterRooms() {
        for (std::size_t m = 0; m < players_ / 2; ++m) {
            const std::size_t host = 2 * m, joiner = host + 1;
            relay::Control hello, cookie, answer;
            hello.kind = relay::Kind::Hello;
            if (!ask(host, hello, cookie, relay::Kind::Cookie))
                return std::fprintf(stderr, "relay_bench: no cookie for match %zu\n", m), false;
            relay::Control create;
            create.kind = relay::Kind::Create;
            create.cookie = cookie.cookie;
            if (!ask(host, create, answer, relay::Kind::Created))
                return std::fprintf(stderr, "relay_bench: no room for match %zu\n", m), false;
            relay::Control join;
            join.kind = relay::Kind::Join;
            join.code = answer.code;
            if (!ask(joiner, hello, cookie, relay::Kind::Cookie))
                return std::fprintf(stderr, "relay_bench: no cookie for match %zu\n", m), false;
            join.cookie = cookie.cookie;
            if (!ask(joiner, join, answer, relay::Kind::Joined))
                return std::fprintf(stderr, "relay_bench: no join for match %zu\n", m), false;
        }
        // The hosts' PeerJoined notices.
        settle();
        return true;
    }

    struct Result {
        Histogram delay, lateness;
        std::uint64_t sent = 0, received = 0, refused = 0, strays = 0, reordered = 0;
        double busy = 0; // the generator's processor time over the run's time
    };

    // Every player sends to the relay (`throughRelay`) or to its partner, at 100 a
    // second, the players' sends spread evenly over the period; then a quarter of a
    // second more for the last datagrams to arrive.
    Result run(bool throughRelay, double seconds) {
        Result r;
        ++phase_;
        std::fill(nextSequence_.begin(), nextSequence_.end(), 0);
        std::fill(highest_.begin(), highest_.end(), -1);
        const std::uint64_t start = nowNs() + 1'000'000;
        const std::uint64_t sendUntil = start + static_cast<std::uint64_t>(seconds * 1e9);
        const std::uint64_t end = sendUntil + 250'000'000;
        const std::uint64_t cpuStart = cpuNs();
        const std::uint64_t total = static_cast<std::uint64_t>(seconds * 100) * players_;
        std::uint64_t next = 0; // the next send, counted over all players
        auto dueAt = [&](std::uint64_t n) {
            return start + (n / players_) * period + (n % players_) * period / players_;
        };
        // The generator wakes once a tick, sends what is due and reads what came.
        for (std::uint64_t tick = start;; tick += tickNs) {
            const timespec at{static_cast<time_t>(tick / 1'000'000'000u),
                              static_cast<long>(tick % 1'000'000'000u)};
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
            }
            std::uint64_t now = nowNs();
            if (now >= end) break;
            if (tick + tickNs < now) tick = now - now % tickNs; // fell behind: no catching up
            while (next < total && dueAt(next) <= now) {
                unsigned count = 0;
                for (; count < batch && next < total && dueAt(next) <= now; ++count, ++next) {
                    const std::size_t player = next % players_;
                    r.lateness.add(now - dueAt(next));
                    prepareSend(count, player, throughRelay ? relay_ : playerAddress(player ^ 1));
                }
                const std::uint64_t stamp = nowNs();
                for (unsigned i = 0; i < count; ++i)
                    std::memcpy(outData_[i].data() + 16, &stamp, sizeof stamp);
                const unsigned sent = sendBatch(count);
                r.sent += sent;
                r.refused += count - sent;
                receive(r);
                now = nowNs();
            }
            receive(r);
        }
        r.busy = static_cast<double>(cpuNs() - cpuStart) / static_cast<double>(nowNs() - start);
        return r;
    }

  private:
    void prepareSend(unsigned slot, std::size_t player, const sockaddr_in& to) {
        writeStamp(outData_[slot].data(),
                   {phase_, static_cast<std::uint32_t>(player), nextSequence_[player]++, 0});
        outTo_[slot] = to;
        msghdr& h = outHeaders_[slot].msg_hdr;
        h = msghdr{};
        h.msg_name = &outTo_[slot];
        h.msg_namelen = sizeof outTo_[slot];
        h.msg_iov = &outIov_[slot];
        h.msg_iovlen = 1;
        // The player's own address as the source.
        h.msg_control = outControl_[slot].data();
        h.msg_controllen = CMSG_SPACE(sizeof(in_pktinfo));
        cmsghdr* c = CMSG_FIRSTHDR(&h);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_spec_dst.s_addr = htonl(firstPlayerAddress + static_cast<std::uint32_t>(player));
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
    }

    // How many of the `count` prepared datagrams the system took.
    unsigned sendBatch(unsigned count) {
        unsigned done = 0;
        for (int attempts = 0; done < count && attempts < 1000; ++attempts) {
            const int n = sendmmsg(fd_, outHeaders_.data() + done, count - done, 0);
            if (n > 0) {
                done += static_cast<unsigned>(n);
            } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS) {
                pollfd p{fd_, POLLOUT, 0};
                poll(&p, 1, 1);
            } else if (errno != EINTR) {
                std::perror("relay_bench: sendmmsg");
                break;
            }
        }
        return done;
    }

    // Reads until nothing is waiting; `r` null while settling (datagrams dropped).
    // Returns the datagrams read.
    std::size_t receive(Result& r) { return receiveInto(&r, nullptr); }

    struct Answer {
        std::size_t player;
        relay::Control* control;
        bool got = false;
    };

    std::size_t receiveInto(Result* r, Answer* answer) {
        std::size_t total = 0;
        for (;;) {
            for (std::size_t i = 0; i < batch; ++i) {
                msghdr& h = inHeaders_[i].msg_hdr;
                h = msghdr{};
                h.msg_name = &inFrom_[i];
                h.msg_namelen = sizeof inFrom_[i];
                h.msg_iov = &inIov_[i];
                h.msg_iovlen = 1;
                h.msg_control = inControl_[i].data();
                h.msg_controllen = inControl_[i].size();
            }
            const int n = recvmmsg(fd_, inHeaders_.data(), batch, MSG_DONTWAIT, nullptr);
            if (n <= 0) {
                if (n < 0 && errno == EINTR) continue;
                return total;
            }
            // The system's arrival stamps are on the real-time clock: moved onto the
            // monotonic one by their difference now (which changes only if the
            // real-time clock is set while this runs).
            const std::uint64_t now = nowNs();
            const std::int64_t realToMonotonic =
                static_cast<std::int64_t>(now) - static_cast<std::int64_t>(realNs());
            total += static_cast<std::size_t>(n);
            for (int k = 0; k < n; ++k)
                take(inHeaders_[k], inData_[k].data(), now, realToMonotonic, r, answer);
            if (n < static_cast<int>(batch)) return total;
        }
    }

    void take(const mmsghdr& m, const std::uint8_t* data, std::uint64_t now,
              std::int64_t realToMonotonic, Result* r, Answer* answer) {
        const msghdr& h = m.msg_hdr;
        // Which player it was sent to.
        std::uint32_t to = 0;
        for (cmsghdr* c = CMSG_FIRSTHDR(const_cast<msghdr*>(&h)); c;
             c = CMSG_NXTHDR(const_cast<msghdr*>(&h), c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                to = ntohl(info.ipi_addr.s_addr);
            } else if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
                timespec t;
                std::memcpy(&t, CMSG_DATA(c), sizeof t);
                const std::int64_t arrived = static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 +
                                             t.tv_nsec + realToMonotonic;
                if (arrived > 0 && static_cast<std::uint64_t>(arrived) <= now)
                    now = static_cast<std::uint64_t>(arrived);
            }
        }
        const sockaddr_in& from = *static_cast<const sockaddr_in*>(h.msg_name);
        const bool loopback = (ntohl(from.sin_addr.s_addr) >> 24) == 127;
        if (!loopback || to < firstPlayerAddress || to - firstPlayerAddress >= players_ ||
            (h.msg_flags & MSG_TRUNC)) {
            if (r) ++r->strays;
            return;
        }
        const std::size_t player = to - firstPlayerAddress;
        if (answer) {
            relay::Control c;
            if (player == answer->player && relay::readControl({data, m.msg_len}, c)) {
                *answer->control = c;
                answer->got = true;
            }
            return;
        }
        Stamp s;
        if (!r) return; // settling: what is left of the handshake
        if (!readStamp(data, m.msg_len, s) || s.phase != phase_ || s.sender >= players_ ||
            (s.sender ^ 1) != player || s.sentNs > now + 1'000'000) {
            ++r->strays;
            return;
        }
        if (static_cast<std::int64_t>(s.sequence) <= highest_[s.sender])
            ++r->reordered;
        else
            highest_[s.sender] = s.sequence;
        ++r->received;
        r->delay.add(now > s.sentNs ? now - s.sentNs : 0);
    }

    // One control exchange for `player`, asked again until answered (bounded).
    bool ask(std::size_t player, const relay::Control& c, relay::Control& out, relay::Kind want) {
        const auto bytes = relay::writeControl(c);
        for (int attempt = 0; attempt < 50; ++attempt) {
            prepareSend(0, player, relay_);
            std::memcpy(outData_[0].data(), bytes.data(), bytes.size());
            outIov_[0].iov_len = bytes.size();
            const unsigned sent = sendBatch(1);
            outIov_[0].iov_len = packetSize;
            if (sent != 1) continue;
            Answer a{player, &out};
            const std::uint64_t until = nowNs() + 20'000'000;
            while (nowNs() < until) {
                pollfd p{fd_, POLLIN, 0};
                poll(&p, 1, 5);
                receiveInto(nullptr, &a);
                if (a.got && out.kind == want) return true;
                a.got = false;
            }
        }
        return false;
    }

    void settle() {
        const std::uint64_t until = nowNs() + 50'000'000;
        while (nowNs() < until) {
            pollfd p{fd_, POLLIN, 0};
            poll(&p, 1, 5);
            receiveInto(nullptr, nullptr);
        }
    }

    int fd_ = -1;
    std::uint16_t port_ = 0;
    sockaddr_in relay_;
    std::size_t players_;
    std::uint8_t phase_ = 0;
    std::vector<std::uint32_t> nextSequence_;
    std::vector<std::int64_t> highest_; // the highest sequence number seen of each sender
    std::array<mmsghdr, batch> inHeaders_{}, outHeaders_{};
    std::array<iovec, batch> inIov_{}, outIov_{};
    std::array<std::array<std::uint8_t, 1500>, batch> inData_{};
    std::array<std::array<std::uint8_t, packetSize>, batch> outData_{};
    std::array<sockaddr_in, batch> inFrom_{}, outTo_{};
    std::array<std::array<std::uint8_t,
                          CMSG_SPACE(sizeof(in_pktinfo)) + CMSG_SPACE(sizeof(timespec)) + 64>,
               batch>
        inControl_{};
    std::array<std::array<std::uint8_t, CMSG_SPACE(sizeof(in_pktinfo))>, batch> outControl_{};
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: relay_bench <port> <matches> <seconds>\n");
        return 2;
    }
    const long port = std::atol(argv[1]);
    const long matches = std::atol(argv[2]);
    const double seconds = std::atof(argv[3]);
    if (port <= 0 || port > 65535 || matches <= 0 || matches > 100'000 || !(seconds > 0) ||
        seconds > 3600)
        return std::fprintf(stderr, "usage: relay_bench <port> <matches> <seconds>\n"), 2;
    // Wake-ups on time to the microsecond rather than the default 50.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);

    Generator g(static_cast<std::uint16_t>(port), static_cast<std::size_t>(matches) * 2);
    if (!g.enterRooms()) return 1;
    const auto through = g.run(true, seconds);
    const auto direct = g.run(false, seconds);
    auto lost = [](const Generator::Result& r) {
        return static_cast<long long>(r.sent) - static_cast<long long>(r.received);
    };
    std::printf("%ld matches: relay p50 %.0f us p99 %.0f us worst %.0f us lost %lld of %llu; "
                "direct p50 %.0f us p99 %.0f us worst %.0f us lost %lld of %llu; "
                "added at p99 %.0f us; generator late at p99 %.0f/%.0f us busy %.0f/%.0f%%",
                matches, through.delay.at(0.5), through.delay.at(0.99), through.delay.worstUs(),
                lost(through), static_cast<unsigned long long>(through.sent), direct.delay.at(0.5),
                direct.delay.at(0.99), direct.delay.worstUs(), lost(direct),
                static_cast<unsigned long long>(direct.sent),
                through.delay.at(0.99) - direct.delay.at(0.99), through.lateness.at(0.99),
                direct.lateness.at(0.99), 100 * through.busy, 100 * direct.busy);
    const std::uint64_t oddities = through.refused + direct.refused + through.strays +
                                   direct.strays + through.reordered + direct.reordered;
    if (oddities)
        std::printf("; refused %llu, strays %llu, reordered %llu",
                    static_cast<unsigned long long>(through.refused + direct.refused),
                    static_cast<unsigned long long>(through.strays + direct.strays),
                    static_cast<unsigned long long>(through.reordered + direct.reordered));
    std::printf("\n");
    return 0;
}

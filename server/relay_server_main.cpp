// brawlex-server: the relay that lets two players meet in a room and passes their
// datagrams between them, over UDP (the Windows and desktop programs) and WebSocket
// (the web page) on the same port number, in any mix.
//
//   brawlex-server [--port N] [--max-rooms N] [--rooms-per-address N]
//                  [--requests-per-address N]
//
// (the last two raise the per-address limits, for a benchmark on one machine)
//
// One thread; every socket is asynchronous. Stops cleanly on SIGINT and SIGTERM.
// On Linux the UDP socket is read and written in batches (recvmmsg and sendmmsg on
// its native handle): a wake-up takes every waiting datagram in a few system calls,
// and what they cause is sent in one. Elsewhere it is one datagram a call through
// Asio (define BRAWLEX_RELAY_PORTABLE_UDP to build that path on Linux too).
#include "server/relay_rooms.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#if defined(__linux__) && !defined(BRAWLEX_RELAY_PORTABLE_UDP)
#define BRAWLEX_RELAY_BATCHED_UDP 1
#include <cerrno>
#include <sys/socket.h>
#else
#define BRAWLEX_RELAY_BATCHED_UDP 0
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
namespace http = beast::http;
using asio::ip::tcp;
using asio::ip::udp;

namespace {

// Bytes queued for one WebSocket before further datagrams to it are dropped (a
// browser that stops reading must not hold the server's memory).
constexpr std::size_t maxQueuedBytes = 64 * 1024;
constexpr std::size_t maxSpareBuffers = 8;
// WebSocket connections not yet in a room: in all, per address, and how long one
// may take to get there.
constexpr std::size_t maxPendingConnections = 1024;
constexpr std::size_t maxPendingPerAddress = 16;
constexpr auto pendingDeadline = std::chrono::seconds(15);
constexpr std::size_t maxHttpRequestBytes = 8 * 1024;

std::uint64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool randomBytes(std::span<std::uint8_t> out) {
    std::ifstream urandom("/dev/urandom", std::ios::binary);
    return urandom.read(reinterpret_cast<char*>(out.data()),
                        static_cast<std::streamsize>(out.size())) &&
           urandom.gcount() == static_cast<std::streamsize>(out.size());
}

relay::Endpoint::Transport udpTransport = relay::Endpoint::Transport::Udp;

std::array<std::uint8_t, 16> ipBytes(const asio::ip::address& address) {
    std::array<std::uint8_t, 16> ip{};
    if (address.is_v4()) {
        auto v4 = address.to_v4().to_bytes();
        ip[10] = ip[11] = 0xff;
        std::memcpy(ip.data() + 12, v4.data(), 4);
    } else {
        auto v6 = address.to_v6().to_bytes();
        std::memcpy(ip.data(), v6.data(), 16);
    }
    return ip;
}

relay::Endpoint udpEndpoint(const udp::endpoint& sender) {
    relay::Endpoint from;
    from.transport = udpTransport;
    from.ip = ipBytes(sender.address());
    from.port = sender.port();
    return from;
}

class Server;

class WebSocketSession : public std::enable_shared_from_this<WebSocketSession> {
  public:
    WebSocketSession(Server& server, tcp::socket socket, std::uint64_t id,
                     const std::array<std::uint8_t, 16>& ip, std::uint16_t port)
        : server_(server), ws_(std::move(socket)), timer_(ws_.get_executor()), id_(id) {
        endpoint_.transport = relay::Endpoint::Transport::WebSocket;
        endpoint_.ip = ip;
        endpoint_.port = port;
        endpoint_.connection = id;
    }
    void start();
    void send(std::span<const std::uint8_t> bytes);
    void close();
    const relay::Endpoint& endpoint() const { return endpoint_; }
    bool pending = true;

  private:
    void read();
    void write();
    void finish();

    Server& server_;
    websocket::stream<beast::tcp_stream> ws_;
    asio::steady_timer timer_;
    std::uint64_t id_;
    relay::Endpoint endpoint_;
    beast::flat_buffer buffer_;
    http::request_parser<http::empty_body> parser_;
    std::deque<std::vector<std::uint8_t>> queue_;
    // Buffers of messages already written, used again for the next ones.
    std::vector<std::vector<std::uint8_t>> spare_;
    std::size_t queuedBytes_ = 0;
    bool writing_ = false;
    bool open_ = false;
    bool finished_ = false;
};

class Server : public relay::Sink {
  public:
    Server(asio::io_context& io, std::uint16_t port, const relay::Limits& limits)
        : io_(io), udp_(io), tcp_(io), tick_(io), maxRooms_(limits.maxRooms),
          rooms_(limits, *this, [](std::span<std::uint8_t> out) {
              if (!randomBytes(out)) {
                  std::fprintf(stderr, "brawlex-server: cannot read /dev/urandom\n");
                  std::exit(1);
              }
          }) {
        boost::system::error_code ec;
        // One socket for IPv6 with IPv4 beside it; IPv4 alone where there is no IPv6.
        udp_.open(udp::v6(), ec);
        if (!ec) {
            udp_.set_option(asio::ip::v6_only(false), ec);
            udp_.bind(udp::endpoint(udp::v6(), port), ec);
        }
        if (ec) {
            udp_ = udp::socket(io);
            udp_.open(udp::v4());
            udp_.bind(udp::endpoint(udp::v4(), port));
        }
        udp_.non_blocking(true);
        // Room for a burst while the thread is busy elsewhere (the system may cap it).
        udp_.set_option(asio::socket_base::receive_buffer_size(4 << 20), ec);
        udp_.set_option(asio::socket_base::send_buffer_size(4 << 20), ec);
        v4Socket_ = udp_.local_endpoint().address().is_v4();
#if BRAWLEX_RELAY_BATCHED_UDP
        prepareBatches();
#endif
        tcp_.open(udp_.local_endpoint().address().is_v6() ? tcp::v6() : tcp::v4());
        tcp_.set_option(asio::socket_base::reuse_address(true));
        if (udp_.local_endpoint().address().is_v6()) tcp_.set_option(asio::ip::v6_only(false));
        tcp_.bind(tcp::endpoint(udp_.local_endpoint().address(), port));
        tcp_.listen();
    }

    std::uint16_t port() const {
        return udp_.local_endpoint().port();
    }

    void start() {
        receiveUdp();
        acceptTcp();
        tickLater();
    }
    void stop() {
        boost::system::error_code ec;
        udp_.close(ec);
        tcp_.close(ec);
        tick_.cancel();
        auto sessions = sessions_;
        for (auto& [id, s] : sessions) s->close();
    }

    void send(const relay::Endpoint& to, std::span<const std::uint8_t> bytes) override {
        if (to.transport == relay::Endpoint::Transport::WebSocket) {
            auto it = sessions_.find(to.connection);
            if (it != sessions_.end()) it->second->send(bytes);
            return;
        }
        if (bytes.size() > relay::maxForwardSize) return;
#if BRAWLEX_RELAY_BATCHED_UDP
        // Queued for the next sendmmsg: at the end of the batch of datagrams being
        // read, or at once when nothing is being read.
        if (!queueUdp(to, bytes)) return;
        if (!reading_ || outCount_ == batchSize) flushUdp();
#else
        udp::endpoint target;
        if (!udpTarget(to, target)) return;
        boost::system::error_code ec;
        // A full send buffer drops the datagram, as the network might.
        udp_.send_to(asio::buffer(bytes.data(), bytes.size()), target, 0, ec);
#endif
    }

    // From the WebSocket sessions.
    void fromWebSocket(WebSocketSession& s, std::span<const std::uint8_t> bytes) {
        rooms_.receive(s.endpoint(), bytes, nowMs());
    }
    void sessionEnded(WebSocketSession& s) {
        rooms_.closed(s.endpoint(), nowMs());
        unpend(s);
        sessions_.erase(s.endpoint().connection);
    }
    bool inRoom(const WebSocketSession& s) const {
        return rooms_.isMember(s.endpoint());
    }
    void unpend(WebSocketSession& s) {
        if (!s.pending) return;
        s.pending = false;
        --pending_;
        auto it = pendingPerIp_.find(s.endpoint().ip);
        if (it != pendingPerIp_.end() && --it->second == 0) pendingPerIp_.erase(it);
    }

  private:
    // Where a datagram to `to` goes from this socket; false when it cannot reach it
    // (an IPv6 address on an IPv4 socket).
    bool udpTarget(const relay::Endpoint& to, udp::endpoint& target) const {
        asio::ip::address_v6::bytes_type raw;
        std::memcpy(raw.data(), to.ip.data(), 16);
        const asio::ip::address_v6 v6(raw);
        if (v4Socket_) {
            if (!v6.is_v4_mapped()) return false;
            target = udp::endpoint(asio::ip::make_address_v4(asio::ip::v4_mapped, v6), to.port);
        } else {
            target = udp::endpoint(v6, to.port);
        }
        return true;
    }

    // Waits until the socket is readable, then takes the datagrams waiting (a
    // wake-up per burst rather than per datagram).
    void receiveUdp() {
        udp_.async_wait(udp::socket::wait_read, [this](boost::system::error_code ec) {
            if (ec == asio::error::operation_aborted) return;
            drainUdp();
        });
    }

    // At most `maxPerWakeUp` datagrams, so that a flood does not keep the WebSocket
    // connections and the timer waiting; if there may be more, the reading goes on
    // after them rather than waiting for the socket to become readable again.
    static constexpr int maxPerWakeUp = 256;

#if BRAWLEX_RELAY_BATCHED_UDP
    static constexpr unsigned batchSize = 64;
    // One datagram's room: a datagram that fills it may have been cut, and is longer
    // than any passed on, so it is dropped whole.
    static constexpr std::size_t slotSize = relay::maxForwardSize + 1;

    void prepareBatches() {
        inData_.resize(batchSize * slotSize);
        outData_.resize(batchSize * relay::maxForwardSize);
        for (unsigned i = 0; i < batchSize; ++i) {
            inIov_[i] = {inData_.data() + i * slotSize, slotSize};
            outIov_[i] = {outData_.data() + i * relay::maxForwardSize, 0};
        }
    }

    void drainUdp() {
        if (!udp_.is_open()) return;
        const std::uint64_t now = nowMs();
        const int fd = udp_.native_handle();
        int taken = 0;
        bool more = true;
        reading_ = true;
        while (more && taken < maxPerWakeUp) {
            for (unsigned i = 0; i < batchSize; ++i) {
                msghdr& h = inHeaders_[i].msg_hdr;
                h = msghdr{};
                h.msg_name = &inFrom_[i];
                h.msg_namelen = sizeof inFrom_[i];
                h.msg_iov = &inIov_[i];
                h.msg_iovlen = 1;
            }
            const int n = ::recvmmsg(fd, inHeaders_.data(), batchSize, MSG_DONTWAIT, nullptr);
            if (n <= 0) {
                // Nothing waiting; or an interruption, or an error the socket held
                // (an earlier send's) that reading has now cleared: read on.
                more = n < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
                ++taken;
                continue;
            }
            for (int k = 0; k < n; ++k) {
                const msghdr& h = inHeaders_[k].msg_hdr;
                const std::size_t length = inHeaders_[k].msg_len;
                udp::endpoint sender;
                if ((h.msg_flags & MSG_TRUNC) || length >= slotSize ||
                    h.msg_namelen > sender.capacity())
                    continue;
                std::memcpy(sender.data(), &inFrom_[k], h.msg_namelen);
                sender.resize(h.msg_namelen);
                rooms_.receive(udpEndpoint(sender), {inData_.data() + k * slotSize, length}, now);
            }
            flushUdp();
            taken += n;
            more = n == static_cast<int>(batchSize);
        }
        reading_ = false;
        flushUdp();
        if (more)
            asio::post(io_, [this] {
                if (udp_.is_open()) drainUdp();
            });
        else
            receiveUdp();
    }

    // False when `to` cannot be reached from this socket (an IPv6 address on an
    // IPv4 socket).
    bool queueUdp(const relay::Endpoint& to, std::span<const std::uint8_t> bytes) {
        if (outCount_ == batchSize) flushUdp();
        udp::endpoint target;
        if (!udpTarget(to, target)) return false;
        const unsigned i = outCount_;
        std::memcpy(&outTo_[i], target.data(), target.size());
        std::memcpy(outIov_[i].iov_base, bytes.data(), bytes.size());
        outIov_[i].iov_len = bytes.size();
        msghdr& h = outHeaders_[i].msg_hdr;
        h = msghdr{};
        h.msg_name = &outTo_[i];
        h.msg_namelen = static_cast<socklen_t>(target.size());
        h.msg_iov = &outIov_[i];
        h.msg_iovlen = 1;
        ++outCount_;
        return true;
    }

    // Sends what is queued. A full send buffer drops the rest, as the network
    // might; a datagram the system refuses (an unreachable address) is skipped.
    void flushUdp() {
        const unsigned count = outCount_;
        outCount_ = 0;
        if (count == 0 || !udp_.is_open()) return;
        const int fd = udp_.native_handle();
        unsigned done = 0;
        for (unsigned attempts = 0; done < count && attempts <= count; ++attempts) {
            const int n = ::sendmmsg(fd, outHeaders_.data() + done, count - done, MSG_DONTWAIT);
            if (n > 0) {
                done += static_cast<unsigned>(n);
            } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS) {
                break;
            } else if (errno != EINTR) {
                ++done;
            }
        }
    }
#else
    void drainUdp() {
        const std::uint64_t now = nowMs();
        int taken = 0;
        for (; taken < maxPerWakeUp; ++taken) {
            boost::system::error_code e;
            const std::size_t n = udp_.receive_from(asio::buffer(udpBuffer_), udpFrom_, 0, e);
            if (e == asio::error::would_block || e == asio::error::try_again) break;
            if (e) continue; // an ICMP error of an earlier send: nothing to read
            // A datagram that filled the buffer may have been cut: longer than any
            // we pass on, so dropped whole.
            if (n < udpBuffer_.size())
                rooms_.receive(udpEndpoint(udpFrom_), {udpBuffer_.data(), n}, now);
        }
        if (taken == maxPerWakeUp)
            asio::post(io_, [this] {
                if (udp_.is_open()) drainUdp();
            });
        else
            receiveUdp();
    }
#endif

    void acceptTcp() {
        tcp_.async_accept([this](boost::system::error_code ec, tcp::socket socket) {
            if (ec == asio::error::operation_aborted) return;
            if (!ec) {
                boost::system::error_code e2;
                auto remote = socket.remote_endpoint(e2);
                auto ip = ipBytes(remote.address());
                // Every connection is pending or holds a place in a room (or held
                // one): both are capped, so the sessions are too.
                if (!e2 && pending_ < maxPendingConnections &&
                    sessions_.size() < maxPendingConnections + 2 * maxRooms_ &&
                    pendingPerIp_[ip] < maxPendingPerAddress) {
                    ++pending_;
                    ++pendingPerIp_[ip];
                    auto id = nextConnection_++;
                    auto s = std::make_shared<WebSocketSession>(*this, std::move(socket), id, ip,
                                                                remote.port());
                    sessions_[id] = s;
                    s->start();
                } else {
                    auto it = pendingPerIp_.find(ip);
                    if (it != pendingPerIp_.end() && it->second == 0) pendingPerIp_.erase(it);
                    socket.close(e2);
                }
            }
            acceptTcp();
        });
    }

    void tickLater() {
        tick_.expires_after(std::chrono::seconds(1));
        tick_.async_wait([this](boost::system::error_code ec) {
            if (ec) return;
            rooms_.expire(nowMs());
            tickLater();
        });
    }

    struct IpHash {
        std::size_t operator()(const std::array<std::uint8_t, 16>& ip) const {
            std::uint64_t h = 1469598103934665603ull;
            for (auto b : ip) h = (h ^ b) * 1099511628211ull;
            return h;
        }
    };

    asio::io_context& io_;
    udp::socket udp_;
    tcp::acceptor tcp_;
    asio::steady_timer tick_;
    std::size_t maxRooms_;
    relay::Rooms rooms_;
    bool v4Socket_ = false; // IPv4 only: the machine has no IPv6
#if BRAWLEX_RELAY_BATCHED_UDP
    std::vector<std::uint8_t> inData_, outData_;
    std::array<mmsghdr, batchSize> inHeaders_{}, outHeaders_{};
    std::array<iovec, batchSize> inIov_{}, outIov_{};
    std::array<sockaddr_storage, batchSize> inFrom_{}, outTo_{};
    unsigned outCount_ = 0;
    bool reading_ = false;
#else
    std::array<std::uint8_t, relay::maxForwardSize + 1> udpBuffer_{};
    udp::endpoint udpFrom_;
#endif
    std::unordered_map<std::uint64_t, std::shared_ptr<WebSocketSession>> sessions_;
    std::unordered_map<std::array<std::uint8_t, 16>, std::size_t, IpHash> pendingPerIp_;
    std::size_t pending_ = 0;
    std::uint64_t nextConnection_ = 1;
};

void WebSocketSession::start() {
    auto self = shared_from_this();
    // A connection that is not in a room by the deadline is closed.
    timer_.expires_after(pendingDeadline);
    timer_.async_wait([self](boost::system::error_code ec) {
        if (!ec && self->pending) self->close();
    });
    parser_.header_limit(maxHttpRequestBytes);
    parser_.body_limit(0);
    beast::get_lowest_layer(ws_).expires_after(pendingDeadline);
    http::async_read(
        beast::get_lowest_layer(ws_), buffer_, parser_, [self](beast::error_code ec, std::size_t) {
            if (ec || !websocket::is_upgrade(self->parser_.get())) {
                self->finish();
                return;
            }
            beast::get_lowest_layer(self->ws_).expires_never();
            self->ws_.binary(true);
            self->ws_.read_message_max(relay::maxForwardSize);
            websocket::stream_base::timeout t =
                websocket::stream_base::timeout::suggested(beast::role_type::server);
            self->ws_.set_option(t);
            self->ws_.async_accept(self->parser_.release(), [self](beast::error_code ec) {
                if (ec) {
                    self->finish();
                    return;
                }
                self->open_ = true;
                self->read();
            });
        });
}

void WebSocketSession::read() {
    auto self = shared_from_this();
    buffer_.clear();
    ws_.async_read(buffer_, [self](beast::error_code ec, std::size_t) {
        if (ec) {
            self->finish();
            return;
        }
        auto data = self->buffer_.cdata();
        std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(data.data()),
                                            data.size());
        if (self->ws_.got_binary()) self->server_.fromWebSocket(*self, bytes);
        // In a room now: no longer counted among the pending.
        if (self->pending && self->server_.inRoom(*self)) self->server_.unpend(*self);
        if (!self->finished_) self->read();
    });
}

void WebSocketSession::send(std::span<const std::uint8_t> bytes) {
    if (!open_ || finished_ || queuedBytes_ + bytes.size() > maxQueuedBytes) return;
    if (spare_.empty()) {
        queue_.emplace_back(bytes.begin(), bytes.end());
    } else {
        queue_.push_back(std::move(spare_.back()));
        spare_.pop_back();
        queue_.back().assign(bytes.begin(), bytes.end());
    }
    queuedBytes_ += bytes.size();
    if (!writing_) write();
}

void WebSocketSession::write() {
    if (queue_.empty() || finished_) {
        writing_ = false;
        return;
    }
    writing_ = true;
    auto self = shared_from_this();
    ws_.async_write(asio::buffer(queue_.front()), [self](beast::error_code ec, std::size_t) {
        self->queuedBytes_ -= self->queue_.front().size();
        if (self->spare_.size() < maxSpareBuffers)
            self->spare_.push_back(std::move(self->queue_.front()));
        self->queue_.pop_front();
        if (ec) {
            self->finish();
            return;
        }
        self->write();
    });
}

void WebSocketSession::close() {
    boost::system::error_code ec;
    beast::get_lowest_layer(ws_).socket().shutdown(tcp::socket::shutdown_both, ec);
    beast::get_lowest_layer(ws_).socket().close(ec);
    finish();
}

void WebSocketSession::finish() {
    if (finished_) return;
    finished_ = true;
    timer_.cancel();
    auto self = shared_from_this();
    server_.sessionEnded(*this);
}

int usage() {
    std::fprintf(stderr, "usage: brawlex-server [--port N] [--max-rooms N] [--rooms-per-address N] "
                         "[--requests-per-address N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::uint16_t port = relay::defaultPort;
    relay::Limits limits;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--port" || arg == "--max-rooms" || arg == "--rooms-per-address" ||
             arg == "--requests-per-address") &&
            i + 1 < argc) {
            char* end = nullptr;
            unsigned long value = std::strtoul(argv[++i], &end, 10);
            if (!end || *end != '\0') return usage();
            if (arg == "--port") {
                if (value > 65535) return usage();
                port = static_cast<std::uint16_t>(value);
            } else {
                if (value == 0 || value > 10'000'000) return usage();
                if (arg == "--max-rooms")
                    limits.maxRooms = value;
                else if (arg == "--rooms-per-address")
                    limits.maxRoomsPerAddress = value;
                else
                    limits.requestsPerWindow = static_cast<std::uint32_t>(value);
            }
        } else {
            return usage();
        }
    }
    try {
        asio::io_context io(1);
        Server server(io, port, limits);
        asio::signal_set signals(io, SIGINT, SIGTERM);
        signals.async_wait([&](boost::system::error_code, int) { server.stop(); });
        server.start();
        std::fprintf(stderr, "brawlex-server: listening on UDP and TCP (WebSocket) port %u\n",
                     static_cast<unsigned>(server.port()));
        std::fflush(stderr);
        io.run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "brawlex-server: %s\n", e.what());
        return 1;
    }
    return 0;
}

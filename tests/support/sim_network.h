// A network in one process for the online tests: datagrams between numbered
// endpoints arrive after a delay with jitter, or are lost, or arrive twice; jitter
// reorders them. Deterministic for a seed. Time is the test's, in microseconds.
#pragma once

#include "net/datagram.h"

#include <cstdint>
#include <deque>
#include <vector>

struct SimLink {
    std::uint32_t delayMs = 0;  // one way
    std::uint32_t jitterMs = 0; // up to this much more, at random
    std::uint32_t lossPercent = 0;
    std::uint32_t duplicatePercent = 0;
};

class SimNetwork {
  public:
    SimNetwork(SimLink link, std::uint64_t seed, int endpoints = 2);

    // The socket of endpoint `index` and its address (127.0.0.1, port 40000 + index).
    DatagramSocket socket(int index);
    static NetAddress address(int index);

    void setTime(std::uint64_t nowUs) { now_ = nowUs; }
    void setLink(SimLink link) { link_ = link; }
    // Drops everything sent from now on, or stops doing so.
    void setCut(bool cut) { cut_ = cut; }
    // Every datagram sent so far, in order (for replay and forgery tests).
    const std::vector<std::vector<std::uint8_t>>& sent(int index) const { return sent_[index]; }
    // Puts a datagram in endpoint `to`'s queue at once, as from `from`.
    void inject(int to, const NetAddress& from, std::vector<std::uint8_t> bytes);

  private:
    struct Packet {
        std::uint64_t due;
        NetAddress from;
        std::vector<std::uint8_t> bytes;
    };
    struct Endpoint {
        SimNetwork* net;
        int index;
    };
    static bool sendHook(void* context, const NetAddress& to, std::span<const std::uint8_t> b);
    static bool receiveHook(void* context, NetAddress& from, std::span<std::uint8_t> buffer,
                            std::size_t& size);
    std::uint32_t random();

    SimLink link_;
    std::uint64_t state_;
    std::uint64_t now_ = 0;
    bool cut_ = false;
    std::vector<Endpoint> endpoints_;
    std::vector<std::deque<Packet>> queues_;
    std::vector<std::vector<std::vector<std::uint8_t>>> sent_;
};

#include "tests/support/sim_network.h"

#include <algorithm>

SimNetwork::SimNetwork(SimLink link, std::uint64_t seed, int endpoints)
    : link_(link), state_(seed | 1), queues_(endpoints), sent_(endpoints) {
    endpoints_.reserve(endpoints);
    for (int i = 0; i < endpoints; ++i) endpoints_.push_back(Endpoint{this, i});
}

NetAddress SimNetwork::address(int index) {
    NetAddress a;
    a.kind = NetAddressKind::Ipv4;
    a.ip[0] = 127;
    a.ip[3] = 1;
    a.port = static_cast<std::uint16_t>(40000 + index);
    return a;
}

DatagramSocket SimNetwork::socket(int index) {
    DatagramSocket s;
    s.context = &endpoints_[index];
    s.send = sendHook;
    s.receive = receiveHook;
    s.close = [](void*) {};
    return s;
}

std::uint32_t SimNetwork::random() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<std::uint32_t>(state_ >> 32);
}

void SimNetwork::inject(int to, const NetAddress& from, std::vector<std::uint8_t> bytes) {
    queues_[to].push_front(Packet{now_, from, std::move(bytes)});
}

bool SimNetwork::sendHook(void* context, const NetAddress& to, std::span<const std::uint8_t> b) {
    auto* e = static_cast<Endpoint*>(context);
    SimNetwork& n = *e->net;
    if (b.size() > maxDatagramSize) return false;
    n.sent_[e->index].emplace_back(b.begin(), b.end());
    int target = -1;
    for (int i = 0; i < static_cast<int>(n.endpoints_.size()); ++i)
        if (address(i) == to) target = i;
    if (target < 0 || n.cut_) return true;
    const int copies = n.random() % 100 < n.link_.duplicatePercent ? 2 : 1;
    for (int c = 0; c < copies; ++c) {
        if (n.random() % 100 < n.link_.lossPercent) continue;
        const std::uint64_t jitter = n.link_.jitterMs ? n.random() % (n.link_.jitterMs + 1) : 0;
        const std::uint64_t due = n.now_ + (n.link_.delayMs + jitter) * 1000;
        auto& q = n.queues_[target];
        // Kept in order of arrival: jitter passes packets sent earlier.
        auto at = std::upper_bound(q.begin(), q.end(), due,
                                   [](std::uint64_t d, const Packet& p) { return d < p.due; });
        q.insert(at, Packet{due, address(e->index), std::vector<std::uint8_t>(b.begin(), b.end())});
    }
    return true;
}

bool SimNetwork::receiveHook(void* context, NetAddress& from, std::span<std::uint8_t> buffer,
                             std::size_t& size) {
    auto* e = static_cast<Endpoint*>(context);
    auto& q = e->net->queues_[e->index];
    while (!q.empty() && q.front().due <= e->net->now_) {
        Packet p = std::move(q.front());
        q.pop_front();
        if (p.bytes.size() > buffer.size()) continue;
        std::copy(p.bytes.begin(), p.bytes.end(), buffer.begin());
        size = p.bytes.size();
        from = p.from;
        return true;
    }
    return false;
}

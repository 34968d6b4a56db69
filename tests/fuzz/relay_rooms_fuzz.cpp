// The relay's packet reader and rooms fed hostile traffic: each input is a run of
// datagrams from a handful of senders (UDP and WebSocket) with the clock moving
// between them. Beyond not crashing, the rooms must keep their counts consistent and
// never answer a sender that has not finished a handshake with more bytes than it
// sent.
#include "server/relay_rooms.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

struct CountingSink : relay::Sink {
    std::map<std::pair<std::uint16_t, std::uint64_t>, std::size_t> bytesTo;
    void send(const relay::Endpoint& to, std::span<const std::uint8_t> bytes) override {
        bytesTo[{to.port, to.connection}] += bytes.size();
        relay::Control c;
        if (relay::readControl(bytes, c) &&
            (c.kind == relay::Kind::Created || c.kind == relay::Kind::Joined ||
             c.kind == relay::Kind::PeerJoined))
            proven[{to.port, to.connection}] = true;
    }
    std::map<std::pair<std::uint16_t, std::uint64_t>, bool> proven;
};

relay::Endpoint sender(std::uint8_t which) {
    relay::Endpoint e;
    e.ip[10] = e.ip[11] = 0xff;
    e.ip[15] = static_cast<std::uint8_t>(which & 3);
    e.port = static_cast<std::uint16_t>(1000 + (which & 7));
    if (which & 8) {
        e.transport = relay::Endpoint::Transport::WebSocket;
        e.connection = 1 + (which & 7);
    }
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    relay::Limits limits;
    limits.maxRooms = 4;
    limits.maxRoomsPerAddress = 2;
    limits.burst = 20;
    CountingSink sink;
    std::uint8_t counter = 0;
    relay::Rooms rooms(limits, sink, [&](std::span<std::uint8_t> out) {
        for (auto& b : out) b = counter++;
    });
    std::uint64_t now = 1'000'000;
    std::map<std::pair<std::uint16_t, std::uint64_t>, std::size_t> bytesFrom;
    // Each record: sender u8 | clock step u8 | length u8 | bytes. A sender may ask
    // for a valid cookie instead (length 255), so handshakes can complete.
    std::size_t i = 0;
    while (i + 3 <= size) {
        relay::Endpoint from = sender(data[i]);
        now += data[i + 1] * 250u;
        std::size_t length = data[i + 2];
        i += 3;
        std::vector<std::uint8_t> bytes;
        if (length == 255 && i + 10 <= size) {
            relay::Control c;
            c.kind = static_cast<relay::Kind>(data[i] % 6);
            c.cookie = rooms.cookieFor(from, now);
            for (std::size_t k = 0; k < relay::codeLength; ++k)
                c.code[k] = static_cast<char>(data[i + 1 + k]);
            auto w = relay::writeControl(c);
            bytes.assign(w.begin(), w.end());
            i += 9;
        } else {
            length = std::min(length, size - i);
            bytes.assign(data + i, data + i + length);
            i += length;
        }
        bytesFrom[{from.port, from.connection}] += bytes.size();
        rooms.receive(from, bytes, now);
        if (data[i - 1] == 0x7f) rooms.closed(from, now);
        rooms.expire(now);
        if (rooms.memberCount() > 2 * rooms.roomCount() || rooms.roomCount() > limits.maxRooms)
            std::abort();
    }
    // No amplification: a sender that never finished a handshake got no more bytes
    // than it sent.
    for (auto& [key, sent] : sink.bytesTo)
        if (!sink.proven[key] && sent > bytesFrom[key]) std::abort();
    return 0;
}

// Reads arbitrary bytes as the match's packets: every reader, and a session in a
// match taking them from its peer's address. Nothing may crash, and a packet a
// reader takes must write back to the same bytes.
#include "net/protocol.h"
#include "net/rollback_session.h"
#include "tests/support/sim_network.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void checkRoundTrip(std::span<const std::uint8_t> packet) {
    net::PacketHeader h;
    if (!net::readHeader(packet, h)) return;
    std::vector<std::uint8_t> again;
    switch (h.kind) {
    case net::PacketKind::Hello: {
        std::uint64_t nonce;
        if (net::readHello(packet, nonce)) net::writeHello(again, h, nonce);
        break;
    }
    case net::PacketKind::Welcome: {
        net::WelcomeBody b;
        if (net::readWelcome(packet, b)) net::writeWelcome(again, h, b);
        break;
    }
    case net::PacketKind::Inputs: {
        net::InputsBody b;
        // Runs are written back joined, so only their inputs must agree.
        if (net::readInputs(packet, b)) {
            net::writeInputs(again, h, b);
            net::InputsBody c;
            if (!net::readInputs(again, c) || c.inputCount != b.inputCount ||
                std::memcmp(c.inputs, b.inputs, b.inputCount) != 0)
                std::abort();
        }
        return;
    }
    case net::PacketKind::Resume: {
        net::ResumeBody b;
        if (net::readResume(packet, b)) net::writeResume(again, h, b);
        break;
    }
    case net::PacketKind::Chunk: {
        net::ChunkBody b;
        if (net::readChunk(packet, b)) net::writeChunk(again, h, b);
        break;
    }
    case net::PacketKind::ChunkAck: {
        net::ChunkAckBody b;
        if (net::readChunkAck(packet, b)) net::writeChunkAck(again, h, b);
        break;
    }
    case net::PacketKind::Bye: {
        net::ByeReason r;
        if (net::readBye(packet, r)) net::writeBye(again, h, r);
        break;
    }
    }
    if (!again.empty() && !std::equal(again.begin(), again.end(), packet.begin(), packet.end()))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    checkRoundTrip(bytes);

    // A host waiting for a player, then hearing these bytes (as several packets cut
    // at 0xff bytes) from one address.
    static GameState start = saveGame();
    SimNetwork network(SimLink{}, 1, 2);
    net::RollbackSession session;
    session.host(network.socket(0), start, 5, 1000);
    std::size_t from = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0xff) {
            network.inject(0, SimNetwork::address(1),
                           std::vector<std::uint8_t>(data + from, data + i));
            from = i + 1;
        }
    }
    for (int t = 0; t < 4; ++t) {
        session.poll(1000 + t * 10);
        session.advance(PlayerInput{}, 1000 + t * 10);
    }
    return 0;
}

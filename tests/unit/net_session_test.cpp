// The online match between two sessions in one process, over a simulated network
// with delay, jitter, loss, reordering and duplication: random inputs, deaths and
// console changes; both must agree on every confirmed frame, never deadlock and
// never roll back deeper than the prediction window. Then the packets nobody should
// trust: forged, replayed, from a stranger, cut short.
#include "command/interpreter.h"
#include "net/protocol.h"
#include "net/rollback_session.h"
#include "tests/support/headless_game.h"
#include "tests/support/sim_network.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using net::RollbackSession;

// Frames each machine plays per network setting. The sanitized debug tree plays a
// short match; an optimised tree plays 100,000 frames. BRAWLEX_NET_FRAMES chooses.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
constexpr std::uint32_t defaultFrames = 100000;
#else
constexpr std::uint32_t defaultFrames = 20000;
#endif

std::uint32_t matchFrames() {
    if (const char* chosen = std::getenv("BRAWLEX_NET_FRAMES")) {
        const long n = std::atol(chosen);
        if (n > 0) return static_cast<std::uint32_t>(n);
    }
    return defaultFrames;
}

struct Random {
    std::uint64_t state;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<std::uint32_t>(state >> 32);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }
};

const char* const consoleChanges[] = {
    "SET GRAVITY 0.3", "SET GRAV NORMAL", "SET HP 1 MAX",  "SET HP 2 1",
    "SET POS 1 40 60", "SET DIR 2 RIGHT", "SET MAXHP 1 3", "RESTART",
};

// Checksums of the confirmed frames, by frame.
struct Checksums {
    std::vector<std::uint64_t> byFrame;
    static void record(void* context, std::uint32_t frame, std::uint64_t sum) {
        auto& v = static_cast<Checksums*>(context)->byFrame;
        if (frame >= v.size()) v.resize(frame + 1024, 0);
        v[frame] = sum;
    }
};

struct Peer {
    RollbackSession session;
    Checksums sums;
    PlayerInput held{};
    std::uint64_t nextFrameUs = 0;
    std::uint64_t readyAtUs = 0; // when the player closes his box or console
    bool readied = false;
    int deaths = 0;
    int consoles = 0;
    // Sounds by id: heard at most once, and cut only once and only after they started.
    std::unordered_map<std::uint32_t, bool> sounds; // id -> cut
    int soundFaults = 0;
    int soundsCut = 0;
};

struct MatchTotals {
    int deaths = 0;
    int consoles = 0;
    std::uint64_t rollbacks = 0;
    int deepest = 0;
    std::uint64_t stalled = 0;
    int soundFaults = 0;
    int soundsHeard = 0;
    int soundsCut = 0;
};

// Plays until both machines have simulated `frames` frames; false when time ran out
// (a deadlock) first.
bool playMatch(SimLink link, std::uint32_t frames, std::uint64_t seed, MatchTotals& totals) {
    Arena arena({.width = 320, .height = 240, .heroWidth = 40, .heroHeight = 30});
    ExecuteCommandLine("SET MAXHP 1 2"); // short games: many deaths
    ExecuteCommandLine("SET MAXHP 2 2");
    const GameState start = saveGame();

    SimNetwork network(link, seed);
    Random random{seed * 2654435761u + 1};
    Peer peers[2];
    std::uint64_t now = 1'000'000;
    network.setTime(now);
    for (int i = 0; i < 2; ++i) {
        peers[i].session.onConfirmedChecksum = Checksums::record;
        peers[i].session.checksumContext_ = &peers[i].sums;
    }
    peers[0].session.host(network.socket(0), start, seed, now / 1000);
    peers[1].session.join(network.socket(1), SimNetwork::address(0), seed + 7, now / 1000);

    // Simulated time is bounded: a match that stops advancing fails instead of hanging.
    const std::uint64_t endUs = now + std::uint64_t{frames} * 10'000 * 4 + 60'000'000;
    while (peers[0].session.frame() < frames || peers[1].session.frame() < frames) {
        if (now >= endUs) {
            ADD_FAILURE() << "deadlock: frames " << peers[0].session.frame() << " and "
                          << peers[1].session.frame() << ", phases "
                          << static_cast<int>(peers[0].session.phase()) << " and "
                          << static_cast<int>(peers[1].session.phase()) << " stalls "
                          << peers[0].session.stats().stalledFrames << " "
                          << peers[1].session.stats().stalledFrames << " stop "
                          << peers[0].session.stopFrame() << " cf "
                          << peers[0].session.confirmedFrame();
            return false;
        }
        now += 1000;
        network.setTime(now);
        for (Peer& p : peers) {
            RollbackSession& s = p.session;
            if (now < p.nextFrameUs) continue;
            s.poll(now / 1000);
            if (s.phase() == RollbackSession::Phase::Ended) {
                ADD_FAILURE() << "match ended: " << s.endMessage();
                return false;
            }
            if (s.phase() == RollbackSession::Phase::Stopped) {
                if (p.readyAtUs == 0) {
                    // The player reads the box or types for a while.
                    p.readyAtUs = now + 1000 * (10 + random.below(400));
                    if (s.stopCause() == RollbackSession::StopCause::Death) ++p.deaths;
                } else if (now >= p.readyAtUs && !p.readied) {
                    p.readied = true;
                    if (s.stopCause() == RollbackSession::StopCause::LocalConsole) {
                        ++p.consoles;
                        loadGame(s.stoppedState());
                        ExecuteCommandLine(consoleChanges[random.below(std::size(consoleChanges))]);
                        s.ready(true, now / 1000);
                    } else {
                        s.ready(false, now / 1000);
                    }
                }
            } else {
                p.readyAtUs = 0;
                p.readied = false;
            }
            if (random.below(12) == 0)
                p.held.held =
                    static_cast<std::uint8_t>(random.next() & ~(random.below(3) ? InputAttack : 0));
            if (s.phase() == RollbackSession::Phase::Running && random.below(1500) == 0)
                s.requestConsole();
            s.advance(p.held, now / 1000);
            for (const RollbackSession::Sound& sound : s.soundsToStart())
                p.soundFaults += !p.sounds.emplace(sound.id, false).second;
            for (std::uint32_t id : s.soundsToCut()) {
                const auto known = p.sounds.find(id);
                if (known == p.sounds.end() || known->second) {
                    ++p.soundFaults;
                } else {
                    known->second = true;
                    ++p.soundsCut;
                }
            }
            p.nextFrameUs = (p.nextFrameUs ? p.nextFrameUs : now) + 10'000 + s.pacingStretchUs();
            if (p.nextFrameUs < now) p.nextFrameUs = now;
        }
    }

    // Both machines' confirmed frames, one by one.
    const auto& a = peers[0].sums.byFrame;
    const auto& b = peers[1].sums.byFrame;
    std::uint32_t compared = 0;
    for (std::size_t f = 1; f < std::min(a.size(), b.size()); ++f) {
        if (a[f] == 0 || b[f] == 0) continue;
        ++compared;
        if (a[f] != b[f]) {
            ADD_FAILURE() << "confirmed frame " << f << " differs";
            return false;
        }
    }
    EXPECT_GE(compared, frames * 9 / 10);
    for (const Peer& p : peers) {
        totals.deaths += p.deaths;
        totals.consoles += p.consoles;
        totals.rollbacks += p.session.stats().rollbacks;
        totals.deepest = std::max(totals.deepest, p.session.stats().deepestRollback);
        totals.stalled += p.session.stats().stalledFrames;
        totals.soundFaults += p.soundFaults;
        totals.soundsHeard += static_cast<int>(p.sounds.size());
        totals.soundsCut += p.soundsCut;
    }
    return true;
}

TEST(NetSession, TwoMachinesAgreeOnEveryConfirmedFrameOverABadNetwork) {
    const std::uint32_t frames = matchFrames();
    struct Setting {
        const char* name;
        SimLink link;
    };
    const Setting settings[] = {
        {"loopback", {0, 0, 0, 0}},
        {"60 ms, jitter, 2 % loss", {30, 5, 2, 1}},
        {"120 ms, 10 ms jitter, 5 % loss, duplicates", {60, 10, 5, 5}},
        {"300 ms, 30 ms jitter, 10 % loss, duplicates", {150, 30, 10, 3}},
    };
    for (const Setting& s : settings) {
        SCOPED_TRACE(s.name);
        MatchTotals t;
        if (!playMatch(s.link, frames, 0x9E3779B97F4A7C15u ^ s.link.delayMs, t)) return;
        std::printf("%s: %d deaths, %d consoles, %llu rollbacks (deepest %d), %llu stalls\n",
                    s.name, t.deaths, t.consoles, static_cast<unsigned long long>(t.rollbacks),
                    t.deepest, static_cast<unsigned long long>(t.stalled));
        EXPECT_LE(t.deepest, net::defaultPredictionWindow);
        // A sound starts once; a rollback cuts only one it started, and only once.
        EXPECT_EQ(t.soundFaults, 0);
        EXPECT_GT(t.soundsHeard, 0);
        // The match had what it is meant to exercise.
        EXPECT_GE(t.deaths, 2);
        if (frames >= 20000) {
            EXPECT_GE(t.consoles, 1);
        }
        if (s.link.delayMs > 0) {
            EXPECT_GT(t.rollbacks, 0u);
            EXPECT_GT(t.soundsCut, 0); // some predicted shots and jumps never happened
        }
    }
}

// A short match whose inputs depend only on the frame, so that its confirmed frames
// do not depend on the network's timing. `attack` runs before every slice.
std::vector<std::uint64_t> playScripted(SimNetwork& network, std::uint32_t frames,
                                        void (*attack)(SimNetwork&, Random&),
                                        std::string* endMessage = nullptr) {
    Arena arena({.width = 320, .height = 240, .heroWidth = 40, .heroHeight = 30});
    const GameState start = saveGame();
    Random random{12345};
    Peer peers[2];
    std::uint64_t now = 1'000'000;
    network.setTime(now);
    for (int i = 0; i < 2; ++i) {
        peers[i].session.onConfirmedChecksum = Checksums::record;
        peers[i].session.checksumContext_ = &peers[i].sums;
    }
    peers[0].session.host(network.socket(0), start, 99, now / 1000);
    peers[1].session.join(network.socket(1), SimNetwork::address(0), 98, now / 1000);
    for (int tick = 0; tick < 200000; ++tick) {
        // Past the frames compared, so that both have confirmed them.
        if (peers[0].session.frame() >= frames + 100 && peers[1].session.frame() >= frames + 100)
            break;
        now += 10'000;
        network.setTime(now);
        if (attack) attack(network, random);
        for (int side = 0; side < 2; ++side) {
            RollbackSession& s = peers[side].session;
            s.poll(now / 1000);
            if (s.phase() == RollbackSession::Phase::Stopped) s.ready(false, now / 1000);
            const std::uint32_t f = s.frame() + 2;
            const auto held = static_cast<std::uint8_t>((f / 7 * 2654435761u >> (8 + side)) &
                                                        ~(f % 3 ? InputAttack : 0));
            s.advance(PlayerInput{held}, now / 1000);
        }
        if (peers[0].session.phase() == RollbackSession::Phase::Ended ||
            peers[1].session.phase() == RollbackSession::Phase::Ended) {
            const std::string both =
                peers[0].session.endMessage() + " / " + peers[1].session.endMessage();
            if (endMessage)
                *endMessage = both;
            else
                ADD_FAILURE() << both;
            return {};
        }
    }
    EXPECT_GE(peers[1].session.frame(), frames);
    auto sums = peers[1].sums.byFrame;
    sums.resize(frames);
    EXPECT_EQ(sums, std::vector<std::uint64_t>(peers[0].sums.byFrame.begin(),
                                               peers[0].sums.byFrame.begin() + frames));
    return sums;
}

TEST(NetSession, StrayForgedReplayedAndTruncatedPacketsChangeNothing) {
    constexpr std::uint32_t frames = 1500;
    const SimLink link{20, 5, 2, 2};
    SimNetwork clean(link, 7, 3);
    const std::vector<std::uint64_t> expected = playScripted(clean, frames, nullptr);
    ASSERT_FALSE(expected.empty());

    SimNetwork attacked(link, 7, 3);
    const std::vector<std::uint64_t> got =
        playScripted(attacked, frames, [](SimNetwork& n, Random& r) {
            // Once the match is on (a stranger who knocks first gets the match).
            if (n.sent(0).size() < 50) return;
            for (int to = 0; to < 2; ++to) {
                const auto& seen = n.sent(1 - to);
                std::vector<std::uint8_t> p =
                    seen[r.below(static_cast<std::uint32_t>(seen.size()))];
                // A replay of an old packet from the peer's own address.
                n.inject(to, SimNetwork::address(1 - to), p);
                // The same from a stranger; then cut short; then with a wrong token.
                n.inject(to, SimNetwork::address(2), p);
                std::vector<std::uint8_t> cut(
                    p.begin(), p.begin() + r.below(static_cast<std::uint32_t>(p.size())));
                n.inject(to, SimNetwork::address(1 - to), cut);
                if (p.size() > 12) {
                    p[4 + r.below(8)] ^= static_cast<std::uint8_t>(1 + r.below(255));
                    n.inject(to, SimNetwork::address(1 - to), p);
                }
                // A stranger asking to join a match already on.
                std::vector<std::uint8_t> hello;
                net::writeHello(hello, net::PacketHeader{net::PacketKind::Hello, 0, 1}, r.next());
                n.inject(to, SimNetwork::address(2), hello);
            }
        });
    EXPECT_EQ(got, expected);
}

// The one who learns first that the match starts (the joiner, holding the host's
// game) would start half a round trip before the host and run that far ahead of his
// first inputs, past the prediction window on a long line. Both start together
// instead, and the first frames never wait for the other's inputs.
TEST(NetSession, BothMachinesStartTogetherAndTheFirstFramesNeverWait) {
    struct Setting {
        const char* name;
        SimLink link;
    };
    const Setting settings[] = {
        {"120 ms, 10 ms jitter, 2 % loss", {60, 10, 2, 0}},
        {"200 ms, 10 ms jitter", {100, 10, 0, 0}},
    };
    for (const Setting& setting : settings) {
        SCOPED_TRACE(setting.name);
        Arena arena({.width = 320, .height = 240, .heroWidth = 40, .heroHeight = 30});
        const GameState start = saveGame();
        SimNetwork network(setting.link, 5);
        RollbackSession peers[2];
        std::uint64_t now = 1'000'000, firstFrameAt[2] = {0, 0};
        network.setTime(now);
        peers[0].host(network.socket(0), start, 21, now / 1000);
        peers[1].join(network.socket(1), SimNetwork::address(0), 22, now / 1000);
        // Ten-millisecond slices, the joiner's offset by half a slice from the host's.
        for (int tick = 0; tick < 20000 && (peers[0].frame() < 400 || peers[1].frame() < 400);
             ++tick) {
            now += 1000;
            network.setTime(now);
            for (int side = 0; side < 2; ++side) {
                if ((now / 1000 + side * 5) % 10 != 0) continue;
                RollbackSession& s = peers[side];
                s.poll(now / 1000);
                ASSERT_NE(s.phase(), RollbackSession::Phase::Ended) << s.endMessage();
                const auto held = static_cast<std::uint8_t>((s.frame() / 13 % 2) ? InputLeft : 0);
                if (s.advance(PlayerInput{held}, now / 1000) && firstFrameAt[side] == 0)
                    firstFrameAt[side] = now;
            }
        }
        ASSERT_GE(peers[0].frame(), 400u);
        ASSERT_GE(peers[1].frame(), 400u);
        // Within a couple of frames of each other (the round trip's sample is rough).
        const std::uint64_t apart = firstFrameAt[0] > firstFrameAt[1]
                                        ? firstFrameAt[0] - firstFrameAt[1]
                                        : firstFrameAt[1] - firstFrameAt[0];
        EXPECT_LE(apart, 20'000u);
        EXPECT_EQ(peers[0].stats().stalledFrames, 0u);
        EXPECT_EQ(peers[1].stats().stalledFrames, 0u);
    }
}

// One shot by the host while the joiner's keys change every few frames: the host
// rolls back over the shot's frame again and again and must neither start its sound
// again nor cut it; the joiner hears it once, late, when the host's input arrives.
TEST(NetSession, ASoundIsHeardOnceThroughRollbacksAndCutWhenItsCauseIsUndone) {
    Arena arena({.width = 320, .height = 240, .heroWidth = 40, .heroHeight = 30});
    const GameState start = saveGame();
    SimNetwork network(SimLink{80, 0, 0, 0}, 3);
    RollbackSession peers[2];
    std::uint64_t now = 1'000'000;
    network.setTime(now);
    peers[0].host(network.socket(0), start, 31, now / 1000);
    peers[1].join(network.socket(1), SimNetwork::address(0), 32, now / 1000);
    int started[2] = {0, 0}, cut[2] = {0, 0};
    std::unordered_map<std::uint32_t, bool> shots[2]; // the host's shots by id
    for (int tick = 0; tick < 1000 && peers[1].frame() < 300; ++tick) {
        now += 10'000;
        network.setTime(now);
        for (int side = 0; side < 2; ++side) {
            RollbackSession& s = peers[side];
            s.poll(now / 1000);
            const std::uint32_t f = s.frame();
            // The host fires once, at frame 100; the joiner walks left and right.
            const auto held = side == 0
                                  ? static_cast<std::uint8_t>(f >= 100 && f < 103 ? InputAttack : 0)
                                  : static_cast<std::uint8_t>(f / 3 % 2 ? InputLeft : InputRight);
            s.advance(PlayerInput{held}, now / 1000);
            for (const RollbackSession::Sound& sound : s.soundsToStart()) {
                if (sound.event.effect != SoundEffect::Shot || sound.event.side != 0) continue;
                ++started[side];
                shots[side][sound.id] = true;
            }
            for (std::uint32_t id : s.soundsToCut()) cut[side] += shots[side].count(id) != 0;
        }
    }
    ASSERT_GE(peers[0].frame(), 300u);
    EXPECT_GT(peers[0].stats().deepestRollback, 3); // the shot's frame was simulated again
    EXPECT_EQ(started[0], 1);
    EXPECT_EQ(cut[0], 0);
    // The joiner predicts the trigger held on until the release arrives: a shot that
    // prediction fired is cut when the rollback undoes it, and one shot remains.
    EXPECT_EQ(started[1] - cut[1], 1);
}

TEST(NetSession, ChecksumsThatDisagreeEndTheMatchNamingTheFrame) {
    // Someone who holds the token reports another checksum for frame 100.
    SimNetwork network(SimLink{}, 3);
    std::string message;
    playScripted(
        network, 400,
        [](SimNetwork& n, Random&) {
            const auto& seen = n.sent(0);
            if (seen.size() < 40) return;
            net::PacketHeader h;
            net::InputsBody b;
            const auto& p = seen.back();
            if (!net::readHeader(p, h) || h.kind != net::PacketKind::Inputs ||
                !net::readInputs(p, b))
                return;
            b.checkFrame = 100;
            b.checksum = 0x1234;
            std::vector<std::uint8_t> forged;
            net::writeInputs(forged, h, b);
            n.inject(1, SimNetwork::address(0), forged);
        },
        &message);
    EXPECT_NE(message.find("frame 100"), std::string::npos) << message;
}

TEST(NetProtocol, PacketsReadBackAsWrittenAndNothingElseReads) {
    net::InputsBody b;
    b.epoch = 3;
    b.frame = 500;
    b.ack = 490;
    b.first = 488;
    b.inputCount = 200;
    for (int i = 0; i < 200; ++i) b.inputs[i] = static_cast<std::uint8_t>(i / 60);
    b.stop = 700;
    b.stopReason = net::StopReason::Console;
    b.checkFrame = 400;
    b.checksum = 0xfeedface12345678u;
    std::vector<std::uint8_t> p;
    net::writeInputs(p, net::PacketHeader{net::PacketKind::Inputs, 77, 9}, b);
    // Held keys cost two bytes a run, however long the run.
    EXPECT_LT(p.size(), 70u);
    net::InputsBody r;
    ASSERT_TRUE(net::readInputs(p, r));
    EXPECT_EQ(r.inputCount, 200);
    EXPECT_EQ(0, std::memcmp(r.inputs, b.inputs, 200));
    EXPECT_EQ(r.stop, 700u);
    EXPECT_EQ(r.checksum, b.checksum);
    // Every cut of it, and a byte more, is refused; so is another kind's reader.
    for (std::size_t n = 0; n < p.size(); ++n)
        EXPECT_FALSE(net::readInputs(std::span(p).first(n), r)) << n;
    p.push_back(0);
    EXPECT_FALSE(net::readInputs(p, r));
    p.pop_back();
    net::ResumeBody resume;
    EXPECT_FALSE(net::readResume(p, resume));
}

} // namespace

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
#include <string>
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
};

struct MatchTotals {
    int deaths = 0;
    int consoles = 0;
    std::uint64_t rollbacks = 0;
    int deepest = 0;
    std::uint64_t stalled = 0;
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
        // The match had what it is meant to exercise.
        EXPECT_GE(t.deaths, 2);
        if (frames >= 20000) {
            EXPECT_GE(t.consoles, 1);
        }
        if (s.link.delayMs > 0) {
            EXPECT_GT(t.rollbacks, 0u);
        }
    }
}

} // namespace

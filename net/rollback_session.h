// One online match between two machines: the game runs at once on the local
// player's input and a prediction of the other's (his last known input); when his
// real input arrives and differs, the state of that frame is restored and the
// frames since are simulated again, silently. Only frames both players' inputs
// confirmed show a death box, and a pause (a death box, a console) happens on both
// machines at the same frame; the game then resumes, in a new epoch, from a state
// both hold.
//
// The session owns the game state of the match; after advance() the live game holds
// its newest frame. It speaks to the other machine through a DatagramSocket and
// reads the time only from the `nowMs` it is given, so a test can drive two
// sessions over a simulated network in one process.
#pragma once

#include "game/simulation.h"
#include "net/datagram.h"
#include "net/protocol.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace net {

// Frames the game may run ahead of the other player's last known input. At 100
// frames a second, 12 frames hide 120 ms of one-way lateness (a 240 ms round trip
// with the default input delay) before the game waits; a full rollback of 12 frames
// with 100 bullets in flight costs well under 2 ms (docs/benchmarks.md).
constexpr int defaultPredictionWindow = 12;
constexpr int maxPredictionWindow = 30;
// Frames between a key press and the frame it acts in: hides 20 ms of lateness
// with no rollback at all, and is not felt.
constexpr int defaultInputDelay = 2;
constexpr int maxInputDelay = 10;
// A notice after this long without a packet from the other player; the match ends
// after the longer one (much longer while he is known to be in a console or a
// death box, where his program may not be sending).
constexpr std::uint64_t silenceNoticeMs = 1000;
constexpr std::uint64_t silenceEndMs = 10000;
constexpr std::uint64_t silenceEndPausedMs = 600000;
// Frames between exchanged checksums of confirmed frames (one a second).
constexpr std::uint32_t checksumInterval = 100;
// The largest game encoding accepted from the other player.
constexpr std::uint32_t maxGameBytes = 8u << 20;

struct SessionStats {
    std::uint32_t roundTripMs = 0; // smoothed; 0 until measured
    int inputDelay = 0;
    std::uint64_t rollbacks = 0; // times frames were simulated again
    std::uint64_t framesRolledBack = 0;
    int deepestRollback = 0;
    std::uint64_t packetsSent = 0;
    std::uint64_t packetsReceived = 0;
    std::uint64_t packetsLost = 0;   // the other player's packets that never came
    std::uint64_t stalledFrames = 0; // slices where the game waited for his input
    int frameAdvantage = 0;          // how many frames we run ahead of him
};

class RollbackSession {
  public:
    enum class Phase {
        Idle,     // no match
        Hosting,  // waiting for a player to connect
        Joining,  // asking a host to let us in
        Starting, // agreed; the host's game is on its way
        Running,  // the match is on
        Stopped,  // both stopped at the same frame (death box or console)
        Ended,    // over: endMessage() says why
    };
    enum class StopCause { None, Death, LocalConsole, RemoteConsole };

    RollbackSession();

    // Waits on `socket` (already open) for a player to connect, as player 1; the
    // match will start from `start`. `tokenSeed` must be unpredictable.
    void host(const DatagramSocket& socket, const GameState& start, std::uint64_t tokenSeed,
              std::uint64_t nowMs);
    // Connects through `socket` to the host at `peer`, as player 2.
    void join(const DatagramSocket& socket, const NetAddress& peer, std::uint64_t nonceSeed,
              std::uint64_t nowMs);
    // Leaves the match: tells the other player (a few times, as datagrams get lost)
    // and ends. The socket stays open (the caller closes it).
    void leave(ByeReason reason, std::uint64_t nowMs);
    void setInputDelay(int frames); // takes effect when the next epoch starts
    void setPredictionWindow(int frames);

    // Reads every waiting datagram and sends what is due. Once per frame slice.
    void poll(std::uint64_t nowMs);

    // Runs the next frame with the local player's input, rolling back first when
    // a late input proved a prediction wrong. False when the game must wait (too far
    // ahead of the other player, stopped, not running): nothing was simulated.
    bool advance(PlayerInput local, std::uint64_t nowMs);

    // The newest frame's report, for drawing it (after a true advance()).
    const FrameEvents& newestEvents() const { return events_; }
    // Sounds to start and to cut after advance(): new sounds of the newest frame and
    // of frames simulated again; sounds a rollback undid (by the id given with them).
    struct Sound {
        SoundEvent event;
        std::uint32_t id;
    };
    const std::vector<Sound>& soundsToStart() const { return soundsToStart_; }
    const std::vector<std::uint32_t>& soundsToCut() const { return soundsToCut_; }

    // Asks for a pause for the local console; the game runs on until both stop at
    // the same frame (stopCause() LocalConsole), then the caller opens the console.
    void requestConsole();
    StopCause stopCause() const { return stopCause_; }
    // The confirmed death the game stopped on (StopCause::Death); the live game
    // holds the state after its frame.
    const FrameDeath& stopDeath() const { return stopDeath_; }
    std::uint32_t stopFrame() const { return stopFrame_; }
    // The local player is done with the pause: OK pressed on the death box, console
    // closed. `changed`: the live game was changed there and becomes the match's.
    void ready(bool changed, std::uint64_t nowMs);
    // True while stopped once ready() was called (or nothing was asked of us).
    bool localReady() const { return localReady_; }
    // True while stopped, ready, and waiting for the other player to be.
    bool waitingForPeerReady() const;

    Phase phase() const { return phase_; }
    int side() const { return side_; }
    bool inMatch() const {
        return phase_ == Phase::Starting || phase_ == Phase::Running || phase_ == Phase::Stopped;
    }
    // Time since the other player was last heard (0 when not in a match).
    std::uint64_t silenceMs(std::uint64_t nowMs) const;
    // Why the match ended ("" while it goes on); a desync names its frame.
    const std::string& endMessage() const { return endMessage_; }
    // The frame the next advance() simulates, and the last one both confirmed.
    std::uint32_t frame() const { return frame_; }
    std::uint32_t confirmedFrame() const;
    // Microseconds to add to the next frame slice so that the machine that runs
    // ahead slows down a little rather than stalling (0 to 1000).
    std::uint32_t pacingStretchUs() const;
    const SessionStats& stats() const { return stats_; }
    // Checksums of confirmed frames (frame, checksum), for tests.
    void (*onConfirmedChecksum)(void* context, std::uint32_t frame,
                                std::uint64_t checksum) = nullptr;
    void* checksumContext_ = nullptr;
    // The state the game stopped at (the live game holds it when stopped).
    const GameState& stoppedState() const { return states_[stopFrame_ % ring]; }
    // The frame of the death the game stopped on, and the state it started from
    // (what the screen showed as the death came).
    std::uint32_t stopDeathFrame() const { return stopDeathFrame_; }
    const GameState& deathFrameState() const { return states_[stopDeathFrame_ % ring]; }

  private:
    static constexpr std::uint32_t ring = 64; // > window + delay + a stop's margin

    void reset();
    void send(std::vector<std::uint8_t>& packet);
    void handle(const NetAddress& from, std::span<const std::uint8_t> packet, std::uint64_t nowMs);
    void handleInputs(const InputsBody& body, std::uint64_t nowMs);
    void handleResume(const ResumeBody& body, std::uint64_t nowMs);
    void handleChunk(const ChunkBody& body, std::uint64_t nowMs);
    void noteHandshakeRoundTrip(std::uint64_t nowMs);
    void end(const std::string& message);
    void sendInputs(std::uint64_t nowMs);
    void sendPause(std::uint64_t nowMs);
    // `firstToKnow`: the other machine learns that the game goes on from a packet we
    // send now, half a round trip later.
    void beginEpoch(const GameState& state, std::uint64_t nowMs, bool firstToKnow);
    void simulate(std::uint32_t f, bool newest);
    void rollBackTo(std::uint32_t f);
    void confirmFrames();
    void noteChecksum(std::uint32_t f, std::uint64_t sum, bool local);
    std::uint32_t stopTarget() const;
    void tryStop();
    void tryResume(std::uint64_t nowMs, bool firstToKnow);
    PlayerInput remoteInput(std::uint32_t f) const;

    Phase phase_ = Phase::Idle;
    int side_ = 0;
    DatagramSocket socket_{};
    NetAddress peer_{};
    std::uint64_t token_ = 0;
    std::uint64_t nonce_ = 0;
    std::uint32_t sequence_ = 0;
    std::uint32_t lastPeerSequence_ = 0;
    bool heardPeerSequence_ = false;
    std::uint64_t lastHeardMs_ = 0;
    std::uint64_t lastSentMs_ = 0;
    std::uint64_t lastHelloMs_ = 0;
    std::uint64_t probeSentMs_ = 0; // when the handshake packet being timed went out
    std::uint64_t holdUntilMs_ = 0; // the epoch's first frame waits until then
    int inputDelay_ = defaultInputDelay;
    int epochDelay_ = defaultInputDelay;
    int window_ = defaultPredictionWindow;
    std::string endMessage_;
    SessionStats stats_{};

    // The epoch the match is in, and its frames.
    std::uint16_t epoch_ = 0;
    std::uint32_t frame_ = 0;        // next frame to simulate
    std::uint32_t epochStart_ = 0;   // first frame of the epoch
    std::uint32_t localNext_ = 0;    // first frame with no local input yet
    std::uint32_t remoteKnown_ = 0;  // first frame with no remote input yet
    std::uint32_t remoteAcked_ = 0;  // first of our inputs the other has not acked
    std::uint32_t rollbackFrom_ = 0; // earliest frame a late input proved wrong
    bool rollbackDue_ = false;
    std::uint32_t confirmedUpTo_ = 0; // frames before it were confirmed and checked
    std::uint32_t localStop_ = noFrame;
    std::uint32_t remoteStop_ = noFrame;
    std::uint32_t deathStop_ = noFrame;
    std::uint32_t stopDeathFrame_ = 0;
    bool consoleWanted_ = false;
    bool peerBusy_ = false;
    bool lastChosenRemote_ = false;
    std::uint32_t lastResumeSize_ = 0;
    StopReason remoteStopReason_ = StopReason::None;
    std::array<std::uint8_t, ring> localInputs_{};
    std::array<std::uint8_t, ring> remoteInputs_{};
    std::array<std::uint8_t, ring> predicted_{}; // remote input each frame was run with
    std::array<GameState, ring> states_;         // state at the start of each frame
    struct FrameRecord {
        std::vector<Sound> sounds; // heard from this frame
        bool death = false;
        FrameDeath firstDeath{};
    };
    std::array<FrameRecord, ring> records_;
    GameState current_;
    FrameEvents events_;
    FrameEvents scratchEvents_;
    std::vector<Sound> soundsToStart_;
    std::vector<std::uint32_t> soundsToCut_;
    std::uint32_t nextSoundId_ = 1;

    // Round trip.
    std::uint32_t peerPing_ = 0;
    std::uint64_t peerPingAtMs_ = 0;
    bool havePeerPing_ = false;
    std::uint32_t peerFrame_ = 0;
    std::uint64_t peerFrameAtMs_ = 0;

    // Checksums of confirmed frames, ours and his (latest few each).
    struct Check {
        std::uint32_t frame = noFrame;
        std::uint64_t sum = 0;
    };
    std::array<Check, 8> localChecks_{};
    std::array<Check, 8> remoteChecks_{};
    Check lastLocalCheck_{};

    // A pause and the game the match resumes from.
    StopCause stopCause_ = StopCause::None;
    FrameDeath stopDeath_{};
    std::uint32_t stopFrame_ = 0;
    bool localReady_ = false;
    bool localChanged_ = false;
    bool remoteReadySeen_ = false;
    ResumeBody remoteResume_{};
    std::vector<std::uint8_t> localGame_;  // our encoding when we bring the game
    std::vector<std::uint8_t> remoteGame_; // his, as it arrives
    std::uint32_t remoteGameReceived_ = 0;
    std::uint32_t peerGameAcked_ = 0; // bytes of ours he holds
    std::uint32_t chunkCursor_ = 0;   // the next of our bytes to send
    std::uint64_t localGameSum_ = 0;
    std::uint64_t stoppedChecksum_ = 0;
    ResumeBody lastResume_{};            // ours for the pause that just ended
    bool answerLastResume_ = false;      // he may still need it
    std::vector<std::uint8_t> lastGame_; // and the game we brought then
    std::vector<std::uint8_t> packet_;
    std::array<std::uint8_t, maxDatagramSize> receiveBuffer_{};
};

} // namespace net

#include "net/rollback_session.h"

#include <algorithm>

namespace net {

namespace {

std::uint64_t mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

std::uint32_t ms32(std::uint64_t ms) {
    return static_cast<std::uint32_t>(ms);
}

// The longest the first frame of an epoch waits for the other machine to start
// (half of a 500 ms round trip): a bad sample of the round trip never freezes it.
constexpr std::uint64_t maxStartHoldMs = 250;

} // namespace

RollbackSession::RollbackSession() = default;

void RollbackSession::reset() {
    const int delay = inputDelay_, window = window_;
    auto checksumHook = onConfirmedChecksum;
    void* checksumContext = checksumContext_;
    // Keep the rings' storage: a new match allocates nothing it already had.
    phase_ = Phase::Idle;
    socket_ = {};
    peer_ = {};
    token_ = nonce_ = 0;
    sequence_ = lastPeerSequence_ = 0;
    heardPeerSequence_ = false;
    lastHeardMs_ = lastSentMs_ = lastHelloMs_ = 0;
    probeSentMs_ = holdUntilMs_ = 0;
    endMessage_.clear();
    stats_ = {};
    epoch_ = 0;
    frame_ = epochStart_ = localNext_ = remoteKnown_ = remoteAcked_ = 0;
    rollbackFrom_ = 0;
    rollbackDue_ = false;
    confirmedUpTo_ = 0;
    localStop_ = remoteStop_ = deathStop_ = noFrame;
    remoteStopReason_ = StopReason::None;
    consoleWanted_ = false;
    havePeerPing_ = false;
    peerPing_ = 0;
    peerPingAtMs_ = 0;
    peerFrame_ = 0;
    peerFrameAtMs_ = 0;
    localChecks_.fill({});
    remoteChecks_.fill({});
    lastLocalCheck_ = {};
    stopCause_ = StopCause::None;
    stopFrame_ = 0;
    localReady_ = localChanged_ = remoteReadySeen_ = peerBusy_ = false;
    remoteResume_ = {};
    localGame_.clear();
    remoteGame_.clear();
    remoteGameReceived_ = peerGameAcked_ = chunkCursor_ = 0;
    stoppedChecksum_ = 0;
    lastResume_ = {};
    answerLastResume_ = false;
    lastChosenRemote_ = false;
    lastResumeSize_ = 0;
    inputDelay_ = delay;
    window_ = window;
    onConfirmedChecksum = checksumHook;
    checksumContext_ = checksumContext;
}

void RollbackSession::setInputDelay(int frames) {
    inputDelay_ = std::clamp(frames, 0, maxInputDelay);
}

void RollbackSession::setPredictionWindow(int frames) {
    window_ = std::clamp(frames, 1, maxPredictionWindow);
}

void RollbackSession::host(const DatagramSocket& socket, const GameState& start,
                           std::uint64_t tokenSeed, std::uint64_t nowMs) {
    reset();
    socket_ = socket;
    side_ = 0;
    phase_ = Phase::Hosting;
    token_ = mix(tokenSeed);
    if (token_ == 0) token_ = 1;
    // The match starts as the end of a pause at frame 0 in which the host brings
    // his game.
    localGame_.clear();
    encodeState(start, localGame_);
    localGameSum_ = checksumBytes(localGame_);
    localReady_ = true;
    localChanged_ = true;
    lastHeardMs_ = nowMs;
}

void RollbackSession::join(const DatagramSocket& socket, const NetAddress& peer,
                           std::uint64_t nonceSeed, std::uint64_t nowMs) {
    reset();
    socket_ = socket;
    side_ = 1;
    peer_ = peer;
    phase_ = Phase::Joining;
    nonce_ = mix(nonceSeed);
    if (nonce_ == 0) nonce_ = 1;
    lastHeardMs_ = nowMs;
    lastHelloMs_ = 0;
    poll(nowMs);
}

void RollbackSession::leave(ByeReason reason, std::uint64_t) {
    if (inMatch() && socket_.open()) {
        PacketHeader h{PacketKind::Bye, token_, 0};
        for (int i = 0; i < 3; ++i) {
            h.sequence = ++sequence_;
            writeBye(packet_, h, reason);
            socket_.send(socket_.context, peer_, packet_);
        }
    }
    end(reason == ByeReason::Quit || reason == ByeReason::Disconnect ? "" : endMessage_);
    phase_ = Phase::Idle;
}

void RollbackSession::end(const std::string& message) {
    phase_ = Phase::Ended;
    endMessage_ = message;
}

std::uint64_t RollbackSession::silenceMs(std::uint64_t nowMs) const {
    if (!inMatch()) return 0;
    return nowMs > lastHeardMs_ ? nowMs - lastHeardMs_ : 0;
}

std::uint32_t RollbackSession::confirmedFrame() const {
    return confirmedUpTo_;
}

bool RollbackSession::waitingForPeerReady() const {
    return phase_ == Phase::Stopped && localReady_ && !remoteReadySeen_;
}

void RollbackSession::send(std::vector<std::uint8_t>& packet) {
    if (!socket_.open()) return;
    if (socket_.send(socket_.context, peer_, packet)) ++stats_.packetsSent;
}

PlayerInput RollbackSession::remoteInput(std::uint32_t f) const {
    if (f < remoteKnown_) return PlayerInput{remoteInputs_[f % ring]};
    // The prediction: he holds what he held last.
    if (remoteKnown_ > epochStart_) return PlayerInput{remoteInputs_[(remoteKnown_ - 1) % ring]};
    return PlayerInput{};
}

// ---- Receiving ----------------------------------------------------------------

void RollbackSession::poll(std::uint64_t nowMs) {
    if (phase_ == Phase::Idle || phase_ == Phase::Ended || !socket_.open()) return;
    NetAddress from;
    std::size_t size = 0;
    // Bounded: a flood cannot keep the game from its frame.
    for (int n = 0; n < 256 && phase_ != Phase::Ended; ++n) {
        if (!socket_.receive(socket_.context, from, receiveBuffer_, size)) break;
        handle(from, std::span<const std::uint8_t>(receiveBuffer_.data(), size), nowMs);
    }
    if (phase_ == Phase::Ended || phase_ == Phase::Idle) return;
    // The transport's own word that he is gone (he left the relay's room) ends the
    // match at once, as his Bye does; a Bye he sent first was read above.
    if (socket_.peerGone != nullptr && socket_.peerGone(socket_.context)) {
        end(inMatch() ? "The other player left the match." : "The relay closed the room.");
        return;
    }

    const std::uint64_t silence = nowMs > lastHeardMs_ ? nowMs - lastHeardMs_ : 0;
    if (phase_ == Phase::Joining) {
        if (silence >= silenceEndMs) {
            end("No answer from " + formatNetAddress(peer_) + ".");
            return;
        }
        if (lastHelloMs_ == 0 || nowMs - lastHelloMs_ >= 250) {
            lastHelloMs_ = nowMs;
            writeHello(packet_, PacketHeader{PacketKind::Hello, 0, ++sequence_}, nonce_);
            send(packet_);
        }
        return;
    }
    if (phase_ == Phase::Hosting) return;

    const std::uint64_t limit = peerBusy_ ? silenceEndPausedMs : silenceEndMs;
    if (silence >= limit) {
        end("The other player has not been heard from for ten seconds: the match is over.");
        return;
    }
    if (phase_ == Phase::Running || phase_ == Phase::Stopped) sendInputs(nowMs);
    if (phase_ == Phase::Starting || phase_ == Phase::Stopped) sendPause(nowMs);
}

void RollbackSession::handle(const NetAddress& from, std::span<const std::uint8_t> packet,
                             std::uint64_t nowMs) {
    PacketHeader h;
    if (!readHeader(packet, h)) return;
    if (h.kind == PacketKind::Hello) {
        std::uint64_t nonce = 0;
        if (!readHello(packet, nonce)) return;
        if (phase_ == Phase::Hosting) {
            peer_ = from;
            nonce_ = nonce;
            token_ = mix(token_ ^ nonce);
            if (token_ == 0) token_ = 1;
            phase_ = Phase::Starting;
            lastHeardMs_ = nowMs;
            sendPause(nowMs);
            probeSentMs_ = nowMs; // his first ready answers this Welcome
        } else if (from == peer_ && nonce == nonce_ && phase_ == Phase::Starting) {
            lastHeardMs_ = nowMs;
        } else if (!(from == peer_) && inMatch()) {
            // Another player knocking: a short no (never longer than his hello).
            writeBye(packet_, PacketHeader{PacketKind::Bye, nonce, 0}, ByeReason::Refused);
            socket_.send(socket_.context, from, packet_);
        }
        return;
    }
    if (!(from == peer_)) return;
    if (phase_ == Phase::Joining) {
        if (h.kind == PacketKind::Bye && h.token == nonce_) {
            ByeReason reason;
            if (readBye(packet, reason) && reason == ByeReason::Refused)
                end("The host is already playing a match.");
            return;
        }
        WelcomeBody w;
        if (h.kind != PacketKind::Welcome || !readWelcome(packet, w) || w.nonce != nonce_ ||
            h.token == 0)
            return;
        if (w.start.epoch != 0 || w.start.frame != 0 || !w.start.ok || !w.start.changed ||
            w.start.size == 0 || w.start.size > maxGameBytes)
            return;
        token_ = h.token;
        phase_ = Phase::Starting;
        lastHeardMs_ = nowMs;
        localReady_ = true;
        remoteResume_ = w.start;
        remoteReadySeen_ = true;
        // Our ready goes out in this poll; the host's game comes in answer to it.
        probeSentMs_ = nowMs;
        return;
    }
    if (!inMatch() || h.token != token_) return;

    lastHeardMs_ = nowMs;
    ++stats_.packetsReceived;
    if (!heardPeerSequence_ || h.sequence > lastPeerSequence_) {
        if (heardPeerSequence_ && h.sequence - lastPeerSequence_ < 100000)
            stats_.packetsLost += h.sequence - lastPeerSequence_ - 1;
        lastPeerSequence_ = h.sequence;
        heardPeerSequence_ = true;
    } else if (h.sequence < lastPeerSequence_ && stats_.packetsLost > 0) {
        --stats_.packetsLost; // one counted lost came late
    }

    switch (h.kind) {
    case PacketKind::Inputs: {
        InputsBody b;
        if (readInputs(packet, b)) handleInputs(b, nowMs);
        break;
    }
    case PacketKind::Welcome: {
        // The host repeats it until we answer; our pause packets answer it.
        break;
    }
    case PacketKind::Resume: {
        ResumeBody b;
        if (readResume(packet, b)) handleResume(b, nowMs);
        break;
    }
    case PacketKind::Chunk: {
        ChunkBody b;
        if (readChunk(packet, b)) handleChunk(b, nowMs);
        break;
    }
    case PacketKind::ChunkAck: {
        ChunkAckBody b;
        if (!readChunkAck(packet, b) || b.epoch != epoch_) break;
        peerGameAcked_ =
            std::max(peerGameAcked_, std::min<std::uint32_t>(b.received, localGame_.size()));
        tryResume(nowMs, false); // he went on when he sent this
        break;
    }
    case PacketKind::Bye: {
        ByeReason reason;
        if (!readBye(packet, reason)) break;
        if (reason == ByeReason::Desync)
            end("The other player's game went out of step with ours: the match is over.");
        else if (reason == ByeReason::Quit)
            end("The other player quit the game.");
        else
            end("The other player left the match.");
        break;
    }
    case PacketKind::Hello:
        break;
    }
}

void RollbackSession::handleInputs(const InputsBody& b, std::uint64_t nowMs) {
    if (b.epoch != epoch_ || (phase_ != Phase::Running && phase_ != Phase::Stopped)) return;

    // Round trip: our ping, as he echoed it, less the time he held it.
    if (b.echo != 0) {
        const std::uint32_t rtt = ms32(nowMs) - b.echo - b.echoAge;
        if (rtt < 60000) {
            stats_.roundTripMs = stats_.roundTripMs == 0 ? std::max<std::uint32_t>(rtt, 1)
                                                         : (stats_.roundTripMs * 7 + rtt) / 8;
        }
    }
    peerPing_ = b.ping;
    peerPingAtMs_ = nowMs;
    havePeerPing_ = true;
    if (b.frame >= peerFrame_) {
        peerFrame_ = b.frame;
        peerFrameAtMs_ = nowMs;
    }
    if (b.ack > remoteAcked_ && b.ack <= localNext_) remoteAcked_ = b.ack;

    // His inputs: new ones past what we hold, never any past his stop or beyond
    // what our rings keep.
    const std::uint32_t end = b.first + b.inputCount;
    if (b.stop != noFrame && end > b.stop) return; // inputs past his own stop: not his
    if (b.first <= remoteKnown_ && end > remoteKnown_ && b.first >= epochStart_) {
        std::uint32_t limit = std::min(end, remoteStop_);
        if (b.stop != noFrame) limit = std::min(limit, b.stop);
        limit = std::min(limit, confirmedUpTo_ + ring - 2);
        for (std::uint32_t f = remoteKnown_; f < limit; ++f) {
            const std::uint8_t held = b.inputs[f - b.first];
            remoteInputs_[f % ring] = held;
            if (f < frame_ && predicted_[f % ring] != held) {
                if (!rollbackDue_ || f < rollbackFrom_) rollbackFrom_ = f;
                rollbackDue_ = true;
            }
            remoteKnown_ = f + 1;
        }
    }
    if (b.stop != noFrame && remoteStop_ == noFrame && b.stop >= remoteKnown_ &&
        b.stop >= confirmedUpTo_) {
        remoteStop_ = b.stop;
        remoteStopReason_ = b.stopReason;
    }
    if (b.checkFrame != noFrame) noteChecksum(b.checkFrame, b.checksum, false);
}

void RollbackSession::handleResume(const ResumeBody& b, std::uint64_t nowMs) {
    if (static_cast<std::uint16_t>(b.epoch + 1) == epoch_ && answerLastResume_) {
        // He is still in the pause we left: he missed our last word on it.
        PacketHeader h{PacketKind::Resume, token_, ++sequence_};
        writeResume(packet_, h, lastResume_);
        send(packet_);
        if (lastChosenRemote_) {
            writeChunkAck(packet_, PacketHeader{PacketKind::ChunkAck, token_, ++sequence_},
                          ChunkAckBody{lastResume_.epoch, b.size});
            send(packet_);
        }
        return;
    }
    if (b.epoch != epoch_ || b.size > maxGameBytes) return;
    if (phase_ == Phase::Stopped && b.frame != stopFrame_) return;
    if (remoteReadySeen_ && remoteResume_.ok && !b.ok) return; // a late old one
    if (phase_ == Phase::Starting && side_ == 0 && b.ok) noteHandshakeRoundTrip(nowMs);
    remoteResume_ = b;
    peerBusy_ = !b.ok;
    remoteReadySeen_ = b.ok;
    tryResume(nowMs, false); // his word came last: he goes on as he sends it
}

void RollbackSession::handleChunk(const ChunkBody& b, std::uint64_t nowMs) {
    if (static_cast<std::uint16_t>(b.epoch + 1) == epoch_ && lastChosenRemote_ &&
        b.total == lastResumeSize_) {
        // We went on with his game; he missed our last acknowledgement of it.
        writeChunkAck(packet_, PacketHeader{PacketKind::ChunkAck, token_, ++sequence_},
                      ChunkAckBody{b.epoch, b.total});
        send(packet_);
        return;
    }
    if ((phase_ != Phase::Stopped && phase_ != Phase::Starting) || b.epoch != epoch_) return;
    if (!remoteReadySeen_ || !remoteResume_.changed || b.total != remoteResume_.size ||
        b.total > maxGameBytes)
        return;
    if (phase_ == Phase::Starting) noteHandshakeRoundTrip(nowMs);
    if (remoteGame_.size() != b.total) {
        remoteGame_.assign(b.total, 0);
        remoteGameReceived_ = 0;
    }
    if (b.offset <= remoteGameReceived_ && b.offset + b.bytes.size() > remoteGameReceived_) {
        std::copy(b.bytes.begin(), b.bytes.end(), remoteGame_.begin() + b.offset);
        remoteGameReceived_ = static_cast<std::uint32_t>(b.offset + b.bytes.size());
    }
    tryResume(nowMs, true); // he goes on when our acknowledgement reaches him
}

void RollbackSession::noteHandshakeRoundTrip(std::uint64_t nowMs) {
    // One sample before the match's own pings, enough to start both machines
    // together; long by up to a frame slice (the answer waits for his next one).
    if (probeSentMs_ == 0 || nowMs < probeSentMs_) return;
    const std::uint64_t rtt = nowMs - probeSentMs_;
    probeSentMs_ = 0;
    if (stats_.roundTripMs == 0 && rtt < 60000)
        stats_.roundTripMs = std::max<std::uint32_t>(static_cast<std::uint32_t>(rtt), 1);
}

void RollbackSession::noteChecksum(std::uint32_t f, std::uint64_t sum, bool local) {
    auto& mine = local ? localChecks_ : remoteChecks_;
    auto& theirs = local ? remoteChecks_ : localChecks_;
    for (const Check& c : theirs) {
        if (c.frame == f && c.sum != sum) {
            PacketHeader h{PacketKind::Bye, token_, ++sequence_};
            writeBye(packet_, h, ByeReason::Desync);
            send(packet_);
            end("The two games went out of step at frame " + std::to_string(f) +
                ": the match is over.");
            return;
        }
    }
    Check& slot = mine[(f / checksumInterval) % mine.size()];
    slot = Check{f, sum};
    if (local) lastLocalCheck_ = slot;
}

// ---- Sending --------------------------------------------------------------------

void RollbackSession::sendInputs(std::uint64_t nowMs) {
    InputsBody b;
    b.epoch = epoch_;
    b.frame = frame_;
    b.ack = remoteKnown_;
    b.first = remoteAcked_;
    const std::uint32_t count =
        std::min<std::uint32_t>(localNext_ - remoteAcked_, maxInputsPerPacket);
    b.inputCount = static_cast<std::uint8_t>(count);
    for (std::uint32_t i = 0; i < count; ++i) b.inputs[i] = localInputs_[(b.first + i) % ring];
    b.stop = localStop_;
    b.stopReason = localStop_ != noFrame ? StopReason::Console : StopReason::None;
    b.ping = std::max<std::uint32_t>(ms32(nowMs), 1);
    if (havePeerPing_) {
        b.echo = peerPing_;
        b.echoAge =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(nowMs - peerPingAtMs_, 65535));
    }
    b.checkFrame = lastLocalCheck_.frame;
    b.checksum = lastLocalCheck_.sum;
    writeInputs(packet_, PacketHeader{PacketKind::Inputs, token_, ++sequence_}, b);
    send(packet_);
    lastSentMs_ = nowMs;
}

void RollbackSession::sendPause(std::uint64_t) {
    ResumeBody r;
    r.epoch = epoch_;
    r.frame = stopFrame_;
    r.ok = localReady_;
    r.changed = localChanged_;
    r.size = localChanged_ ? static_cast<std::uint32_t>(localGame_.size()) : 0;
    r.checksum = localChanged_ ? localGameSum_ : stoppedChecksum_;
    if (phase_ == Phase::Starting && side_ == 0) {
        writeWelcome(packet_, PacketHeader{PacketKind::Welcome, token_, ++sequence_},
                     WelcomeBody{nonce_, r});
    } else {
        writeResume(packet_, PacketHeader{PacketKind::Resume, token_, ++sequence_}, r);
    }
    send(packet_);

    // Our game, when it is the one the match resumes from, a few pieces at a time
    // from what he holds.
    const bool hostChanged = side_ == 0 ? localChanged_ : remoteResume_.changed;
    const bool ours = localChanged_ && (side_ == 0 || !hostChanged);
    if (ours && localReady_ && remoteReadySeen_) {
        // Streamed from a cursor that goes round what he has not acknowledged, so
        // a lost piece is sent again after one pass.
        const std::size_t total = localGame_.size();
        if (chunkCursor_ < peerGameAcked_ || chunkCursor_ >= total) chunkCursor_ = peerGameAcked_;
        for (int n = 0; n < 16 && chunkCursor_ < total; ++n) {
            ChunkBody c;
            c.epoch = epoch_;
            c.offset = chunkCursor_;
            c.total = static_cast<std::uint32_t>(total);
            const std::size_t length = std::min(maxChunkBytes, total - chunkCursor_);
            c.bytes = std::span<const std::uint8_t>(localGame_).subspan(chunkCursor_, length);
            writeChunk(packet_, PacketHeader{PacketKind::Chunk, token_, ++sequence_}, c);
            send(packet_);
            chunkCursor_ += static_cast<std::uint32_t>(length);
        }
    }
    if (remoteReadySeen_ && remoteResume_.changed) {
        writeChunkAck(packet_, PacketHeader{PacketKind::ChunkAck, token_, ++sequence_},
                      ChunkAckBody{epoch_, remoteGameReceived_});
        send(packet_);
    }
}

// ---- Pauses -----------------------------------------------------------------------

void RollbackSession::requestConsole() {
    consoleWanted_ = true;
    if (phase_ == Phase::Running && localStop_ == noFrame) localStop_ = localNext_;
}

std::uint32_t RollbackSession::stopTarget() const {
    return std::min({localStop_, remoteStop_, deathStop_});
}

void RollbackSession::ready(bool changed, std::uint64_t nowMs) {
    if (phase_ != Phase::Stopped || localReady_) return;
    localReady_ = true;
    if (changed) {
        localChanged_ = true;
        GameState live = saveGame();
        localGame_.clear();
        encodeState(live, localGame_);
        localGameSum_ = checksumBytes(localGame_);
        chunkCursor_ = 0;
    }
    tryResume(nowMs, true); // he goes on when he hears we are ready
    if (phase_ == Phase::Stopped) sendPause(nowMs);
}

void RollbackSession::tryResume(std::uint64_t nowMs, bool firstToKnow) {
    if ((phase_ != Phase::Stopped && phase_ != Phase::Starting) || !localReady_ ||
        !remoteReadySeen_ || remoteResume_.frame != stopFrame_ || remoteResume_.epoch != epoch_)
        return;
    const bool hostChanged = side_ == 0 ? localChanged_ : remoteResume_.changed;
    const bool joinerChanged = side_ == 1 ? localChanged_ : remoteResume_.changed;
    bool fromLocal = false, fromRemote = false;
    if (hostChanged)
        (side_ == 0 ? fromLocal : fromRemote) = true;
    else if (joinerChanged)
        (side_ == 1 ? fromLocal : fromRemote) = true;

    if (fromLocal) {
        if (peerGameAcked_ < localGame_.size()) return; // he does not hold it all yet
        if (!decodeState(localGame_, current_)) {
            end("This game cannot be sent to the other player.");
            return;
        }
    } else if (fromRemote) {
        if (remoteGameReceived_ < remoteResume_.size || remoteGame_.size() != remoteResume_.size)
            return;
        if (checksumBytes(remoteGame_) != remoteResume_.checksum ||
            !decodeState(remoteGame_, current_)) {
            end("The other player's game arrived damaged: the match is over.");
            return;
        }
    } else {
        if (remoteResume_.checksum != stoppedChecksum_) {
            end("The two games went out of step at frame " + std::to_string(stopFrame_) +
                ": the match is over.");
            return;
        }
        current_ = states_[stopFrame_ % ring];
    }
    lastResume_ = ResumeBody{epoch_,
                             stopFrame_,
                             1,
                             static_cast<std::uint8_t>(localChanged_),
                             localChanged_ ? static_cast<std::uint32_t>(localGame_.size()) : 0,
                             localChanged_ ? localGameSum_ : stoppedChecksum_};
    lastChosenRemote_ = fromRemote;
    lastResumeSize_ = fromRemote ? remoteResume_.size : 0;
    if (fromRemote) {
        writeChunkAck(packet_, PacketHeader{PacketKind::ChunkAck, token_, ++sequence_},
                      ChunkAckBody{epoch_, remoteGameReceived_});
        send(packet_);
    }
    answerLastResume_ = true;
    beginEpoch(current_, nowMs, firstToKnow);
}

void RollbackSession::beginEpoch(const GameState& state, std::uint64_t nowMs, bool firstToKnow) {
    ++epoch_;
    epochDelay_ = inputDelay_;
    stats_.inputDelay = epochDelay_;
    frame_ = epochStart_ = confirmedUpTo_ = remoteKnown_ = remoteAcked_ = stopFrame_;
    states_[frame_ % ring] = state;
    for (int i = 0; i < epochDelay_; ++i) localInputs_[(frame_ + i) % ring] = 0;
    localNext_ = frame_ + static_cast<std::uint32_t>(epochDelay_);
    rollbackDue_ = false;
    localStop_ = remoteStop_ = deathStop_ = noFrame;
    remoteStopReason_ = StopReason::None;
    stopCause_ = StopCause::None;
    localReady_ = localChanged_ = remoteReadySeen_ = peerBusy_ = false;
    remoteResume_ = {};
    remoteGame_.clear();
    remoteGameReceived_ = peerGameAcked_ = chunkCursor_ = 0;
    localGame_.clear();
    records_[frame_ % ring] = {};
    phase_ = Phase::Running;
    // The first to know that the game goes on would start half a round trip before
    // the other hears of it, and run that far ahead of his first inputs: its first
    // frame waits that long instead, so that both start together.
    holdUntilMs_ =
        firstToKnow ? nowMs + std::min<std::uint64_t>(stats_.roundTripMs / 2, maxStartHoldMs) : 0;
    loadGame(states_[frame_ % ring]);
    if (consoleWanted_) requestConsole();
}

void RollbackSession::tryStop() {
    const std::uint32_t q = stopTarget();
    if (q == noFrame) return;
    if (frame_ > q) {
        // Frames past the stop never happened: their sounds end.
        for (std::uint32_t f = q; f < frame_; ++f) {
            for (const Sound& s : records_[f % ring].sounds) soundsToCut_.push_back(s.id);
            records_[f % ring].sounds.clear();
        }
        frame_ = q;
        if (rollbackDue_ && rollbackFrom_ >= q) rollbackDue_ = false;
    }
    if (frame_ != q || rollbackDue_ || remoteKnown_ < q || confirmedUpTo_ < q) return;

    phase_ = Phase::Stopped;
    stopFrame_ = q;
    stoppedChecksum_ = stateChecksum(states_[q % ring]);
    if (deathStop_ == q) {
        stopCause_ = StopCause::Death;
    } else if (localStop_ == q) {
        stopCause_ = StopCause::LocalConsole;
        consoleWanted_ = false;
    } else {
        stopCause_ = StopCause::RemoteConsole;
    }
    // Only the player at the console (or both at a death box) keep the game waiting.
    localReady_ = stopCause_ == StopCause::RemoteConsole;
    localChanged_ = false;
    peerBusy_ = false;
    if (!(remoteResume_.epoch == epoch_ && remoteResume_.frame == q && remoteReadySeen_)) {
        remoteReadySeen_ = false;
    }
    loadGame(states_[q % ring]);
}

// ---- Frames -----------------------------------------------------------------------

void RollbackSession::simulate(std::uint32_t f, bool newest) {
    FrameInput input;
    input.players[side_].held = localInputs_[f % ring];
    const PlayerInput remote = remoteInput(f);
    input.players[1 - side_] = remote;
    predicted_[f % ring] = remote.held;

    FrameEvents& ev = newest ? events_ : scratchEvents_;
    loadGame(states_[f % ring]);
    simulateFrame(input, ev);
    saveGame(states_[(f + 1) % ring]);

    // Sounds heard once: one the frame raised before keeps its id; a new one starts
    // (late, when the frame is an old one); one it no longer raises is cut.
    FrameRecord& rec = records_[f % ring];
    std::vector<Sound>& old = rec.sounds;
    std::size_t kept = 0; // old sounds matched so far are moved to the front
    for (const SoundEvent& e : ev.sounds) {
        bool found = false;
        for (std::size_t i = kept; i < old.size(); ++i) {
            if (old[i].event == e) {
                std::swap(old[i], old[kept]);
                ++kept;
                found = true;
                break;
            }
        }
        if (!found) {
            old.push_back(Sound{e, nextSoundId_++});
            std::swap(old.back(), old[kept]);
            soundsToStart_.push_back(old[kept]);
            ++kept;
        }
    }
    for (std::size_t i = kept; i < old.size(); ++i) soundsToCut_.push_back(old[i].id);
    old.resize(kept);
    rec.death = !ev.deaths.empty();
    if (rec.death) rec.firstDeath = ev.deaths.front();
}

void RollbackSession::rollBackTo(std::uint32_t f) {
    const std::uint32_t end = frame_;
    const int depth = static_cast<int>(end - f);
    ++stats_.rollbacks;
    stats_.framesRolledBack += static_cast<std::uint64_t>(depth);
    stats_.deepestRollback = std::max(stats_.deepestRollback, depth);
    for (std::uint32_t g = f; g < end; ++g) simulate(g, false);
}

void RollbackSession::confirmFrames() {
    // Never past a stop: frames there may be simulated here but never by him.
    const std::uint32_t limit = std::min({remoteKnown_, frame_, stopTarget()});
    for (std::uint32_t f = confirmedUpTo_; f < limit; ++f) {
        confirmedUpTo_ = f + 1;
        if (onConfirmedChecksum)
            onConfirmedChecksum(checksumContext_, f + 1, stateChecksum(states_[(f + 1) % ring]));
        if ((f + 1) % checksumInterval == 0) {
            noteChecksum(f + 1, stateChecksum(states_[(f + 1) % ring]), true);
            if (phase_ == Phase::Ended) return;
        }
        if (records_[f % ring].death) {
            // The game stops after the frame of a death both players' inputs made.
            deathStop_ = f + 1;
            stopDeath_ = records_[f % ring].firstDeath;
            stopDeathFrame_ = f;
            break;
        }
    }
}

bool RollbackSession::advance(PlayerInput local, std::uint64_t nowMs) {
    soundsToStart_.clear();
    soundsToCut_.clear();
    if (phase_ != Phase::Running) return false;

    if (rollbackDue_) {
        rollbackDue_ = false;
        if (rollbackFrom_ < frame_) rollBackTo(rollbackFrom_);
    }
    confirmFrames();
    if (phase_ != Phase::Running) return false;
    tryStop();
    if (phase_ == Phase::Stopped) {
        sendPause(nowMs);
        return false;
    }
    if (frame_ == stopTarget()) return false; // waiting there for his inputs
    if (nowMs < holdUntilMs_) return false;   // the epoch's agreed start has not come

    // Too far ahead of his inputs, of his acknowledgements or of what the rings keep:
    // wait rather than guess.
    if ((frame_ >= remoteKnown_ && frame_ - remoteKnown_ >= static_cast<std::uint32_t>(window_)) ||
        localNext_ - remoteAcked_ >= maxInputsPerPacket ||
        frame_ + 1 - confirmedUpTo_ >= ring - 2) {
        ++stats_.stalledFrames;
        return false;
    }
    if (localStop_ == noFrame) {
        localInputs_[localNext_ % ring] = local.held;
        ++localNext_;
    } else if (frame_ >= localNext_) {
        return false;
    }
    records_[frame_ % ring].sounds.clear();
    simulate(frame_, true);
    ++frame_;

    // Time sync: where he is now, from his last report and half the round trip.
    if (peerFrameAtMs_ != 0) {
        const std::uint64_t since = nowMs - peerFrameAtMs_ + stats_.roundTripMs / 2;
        const std::int64_t his =
            static_cast<std::int64_t>(peerFrame_) + static_cast<std::int64_t>(since / 10);
        // Compared as he reports his: the next frame to simulate before this one ran.
        stats_.frameAdvantage = static_cast<int>(
            std::clamp<std::int64_t>(static_cast<std::int64_t>(frame_ - 1) - his, -1000, 1000));
    }
    return true;
}

std::uint32_t RollbackSession::pacingStretchUs() const {
    // A frame ahead is noise; past that, up to a millisecond a frame (a tenth of the
    // pace), so he catches up within a few dozen frames without a visible stall.
    if (phase_ != Phase::Running || stats_.frameAdvantage <= 1) return 0;
    return static_cast<std::uint32_t>(std::min(1000, (stats_.frameAdvantage - 1) * 250));
}

} // namespace net

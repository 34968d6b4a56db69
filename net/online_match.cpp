#include "net/online_match.h"

#include "app/app_state.h"
#include "app/frame.h"
#include "app/key_state.h"
#include "app/platform.h"
#include "command/console_text.h"
#include "config/console.h"
#include "game/key_input.h"
#include "game/player.h"
#include "game/simulation.h"
#include "graphics/renderer.h"
#include "net/relay_client.h"
#include "net/rollback_session.h"
#include "net/udp_socket.h"
#include "sound/sound.h"
#ifdef __EMSCRIPTEN__
#include "net/websocket_web.h"

#include <emscripten.h>
#endif

#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>

namespace {

net::RollbackSession session;
DatagramSocket matchSocket;
int inputDelay = net::defaultInputDelay;

// Unpredictable enough for a token: the system's random device and the clock.
std::uint64_t randomSeed() {
    std::random_device device;
    const auto clock = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return (std::uint64_t{device()} << 32) ^ device() ^ clock;
}

#ifdef __EMSCRIPTEN__
// Whether the page shows the hosted room's link; it goes when the match begins.
bool roomLinkShown = false;

void hideRoomLink() {
    if (!roomLinkShown) return;
    roomLinkShown = false;
    hidePageRoomLink();
}
#else
void hideRoomLink() {}
#endif

void closeMatch() {
    hideRoomLink();
    closeDatagramSocket(matchSocket);
}

bool parseNumber(const std::string& text, int low, int high, int& out) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

void drawStatusLine(const char* text) {
    renderer.drawText(text, 4, 4, 1, rgb(255, 255, 0), rgb(0, 0, 0));
}

} // namespace

std::string hostOnlineMatch(const std::string& portText) {
    int port = defaultNetPort;
    if (!portText.empty() && !parseNumber(portText, 1, 65535, port))
        return "HOST: the port is a number from 1 to 65535.";
    leaveOnlineMatch(net::ByeReason::Disconnect);
    std::string error;
    if (!openUdpSocket(matchSocket, static_cast<std::uint16_t>(port), error))
        return "HOST: " + error;
    // The match is a new game with this game's settings.
    const GameState kept = saveGame();
    restartGame();
    const GameState start = saveGame();
    loadGame(kept);
    session.setInputDelay(inputDelay);
    session.host(matchSocket, start, randomSeed(), tickCount());
    return "Waiting for a player on UDP port " + std::to_string(port) +
           " (DISCONNECT to stop). You play player 1.";
}

std::string connectOnlineMatch(const std::string& address) {
    if (address.empty()) return "CONNECT <address>[:port], for example CONNECT 192.168.1.20";
    NetAddress peer;
    std::string error;
    if (!resolveNetAddress(address, defaultNetPort, peer, error)) return "CONNECT: " + error;
    leaveOnlineMatch(net::ByeReason::Disconnect);
    if (!openUdpSocket(matchSocket, 0, error)) return "CONNECT: " + error;
    session.setInputDelay(inputDelay);
    session.join(matchSocket, peer, randomSeed(), tickCount());
    return "Connecting to " + formatNetAddress(peer) + "... You play player 2.";
}

// Through a relay: the room's socket stands for the UDP socket, and the other
// player's address is the room.
std::uint64_t relayClock() {
    return tickCount();
}

#ifdef __EMSCRIPTEN__
// The relay as the host typed it, for the room's link.
std::string webRelay;

// The page reaches the relay over a WebSocket and cannot wait for its answer: the
// handshake runs in the room socket's reads, and its outcome is printed when it comes,
// with the link that opens the page into the room.
void relayLinkChanged(const net::RelayLink& link) {
    if (link.state() == net::RelayLink::State::InRoom && !link.peerJoined()) {
        const std::string code(relay::codeText(link.code()));
        const std::string address = showPageRoomLink(webRelay, link.code());
        roomLinkShown = !address.empty();
        insertConsoleText("Room " + code + ": the other player types JOIN " + webRelay + " " +
                          code + (address.empty() ? "" : "\r\nor opens " + address) + "\r\n");
    } else if (link.state() == net::RelayLink::State::Failed) {
        insertConsoleText("Relay: " + link.error() + ".\r\n");
    }
}

// "host[:port]" or a ws:// or wss:// address; the page's own scheme decides between
// ws and wss (a secure page may only open wss).
bool openRelayLinkWeb(const std::string& server, const relay::Code* code, std::string& error) {
    std::string url = server;
    if (url.rfind("ws://", 0) != 0 && url.rfind("wss://", 0) != 0) {
        const bool secure = EM_ASM_INT({ return location.protocol == 'https:' ? 1 : 0; }) != 0;
        std::string host;
        std::uint16_t port = 0;
        if (!splitHostPort(server, relay::defaultPort, host, port)) {
            error = "no relay address";
            return false;
        }
        if (host.find(':') != std::string::npos) host = "[" + host + "]";
        url = std::string(secure ? "wss://" : "ws://") + host + ":" + std::to_string(port) + "/";
    }
    DatagramSocket inner;
    if (!openWebSocketDatagram(inner, url, error)) return false;
    webRelay = server;
    auto link = std::make_unique<net::RelayLink>(inner, relayServerAddress(), false);
    link->onStateChange = relayLinkChanged;
    if (code)
        link->join(*code, tickCount());
    else
        link->create(tickCount());
    matchSocket = net::relayRoomSocket(std::move(link), relayClock);
    return true;
}
#endif

std::string hostRelayMatch(const std::string& server) {
    if (server.empty())
        return "HOST RELAY <relay>[:port], for example HOST RELAY relay.example.net";
    leaveOnlineMatch(net::ByeReason::Disconnect);
    std::string error;
#ifdef __EMSCRIPTEN__
    if (!openRelayLinkWeb(server, nullptr, error)) return "HOST RELAY: " + error + ".";
#else
    relay::Code code{};
    if (!net::openRelayRoomUdp(server, nullptr, relayClock, matchSocket, code, error))
        return "HOST RELAY: " + error + ".";
#endif
    const GameState kept = saveGame();
    restartGame();
    const GameState start = saveGame();
    loadGame(kept);
    session.setInputDelay(inputDelay);
    session.host(matchSocket, start, randomSeed(), tickCount());
#ifdef __EMSCRIPTEN__
    return "Asking " + server + " for a room... You play player 1.";
#else
    return "Room " + std::string(relay::codeText(code)) + ": the other player types JOIN " +
           server + " " + std::string(relay::codeText(code)) + ". You play player 1.";
#endif
}

std::string joinRelayMatch(const std::string& arguments) {
    const auto blank = arguments.rfind(' ');
    relay::Code code{};
    if (blank == std::string::npos || !relay::parseCode(arguments.substr(blank + 1), code))
        return "JOIN <relay>[:port] <room code>, for example JOIN relay.example.net K7M2QX9P";
    std::string server = arguments.substr(0, blank);
    while (!server.empty() && server.back() == ' ') server.pop_back();
    leaveOnlineMatch(net::ByeReason::Disconnect);
    std::string error;
#ifdef __EMSCRIPTEN__
    if (!openRelayLinkWeb(server, &code, error)) return "JOIN: " + error + ".";
#else
    if (!net::openRelayRoomUdp(server, &code, relayClock, matchSocket, code, error))
        return "JOIN: " + error + ".";
#endif
    NetAddress room;
    room.kind = NetAddressKind::Relay;
    session.setInputDelay(inputDelay);
    session.join(matchSocket, room, randomSeed(), tickCount());
    return "Joined room " + std::string(relay::codeText(code)) + "... You play player 2.";
}

std::string disconnectOnlineMatch() {
    const bool had = session.phase() != net::RollbackSession::Phase::Idle &&
                     session.phase() != net::RollbackSession::Phase::Ended;
    leaveOnlineMatch(net::ByeReason::Disconnect);
    return had ? "Disconnected." : "DISCONNECT: no match is on.";
}

std::string onlineMatchStats() {
    if (!session.inMatch()) return "NETSTATS: no match is on.";
    const net::SessionStats& s = session.stats();
    char line[256];
    std::snprintf(line, sizeof line,
                  "round trip %u ms, input delay %d frames, rollbacks %llu (deepest %d), "
                  "packets lost %llu of %llu, frames waited %llu",
                  s.roundTripMs, s.inputDelay, static_cast<unsigned long long>(s.rollbacks),
                  s.deepestRollback, static_cast<unsigned long long>(s.packetsLost),
                  static_cast<unsigned long long>(s.packetsReceived + s.packetsLost),
                  static_cast<unsigned long long>(s.stalledFrames));
    return line;
}

std::string setOnlineInputDelay(const std::string& framesText) {
    int frames = 0;
    if (!parseNumber(framesText, 0, net::maxInputDelay, frames))
        return "NETDELAY: frames from 0 to " + std::to_string(net::maxInputDelay) + ".";
    inputDelay = frames;
    session.setInputDelay(frames);
    // The delay changes where both machines agree on a frame: the next pause.
    return "Input delay " + std::to_string(frames) + " frames" +
           (session.inMatch() ? " from the next pause." : ".");
}

bool onlineMatchActive() {
    return session.inMatch();
}

std::uint32_t onlinePacingStretchUs() {
    return session.pacingStretchUs();
}

void leaveOnlineMatch(net::ByeReason reason) {
    if (session.phase() != net::RollbackSession::Phase::Idle) session.leave(reason, tickCount());
    closeMatch();
}

bool runOnlineFrame() {
    using Phase = net::RollbackSession::Phase;
    using Cause = net::RollbackSession::StopCause;
    if (session.phase() == Phase::Idle) return false;
    const std::uint32_t now = tickCount();
    if (session.phase() != Phase::Ended) session.poll(now);
    if (session.phase() == Phase::Ended) {
        const std::string message = session.endMessage();
        session.leave(net::ByeReason::Disconnect, now);
        closeMatch();
        // The game goes on locally from where the match was.
        if (!message.empty())
            showMessageBox(mainWindow, message.c_str(), "Online match", MessageBoxIconExclamation);
        clearKeyState();
        return false;
    }
    if (!session.inMatch()) return false; // hosting or joining: the local game goes on
    hideRoomLink();

    // The console key asks for a pause; the console opens once both machines stopped.
    const std::uint8_t consoleKey = keyForCharacter('`');
    if (keyState[consoleKey] != 0) {
        keyState[consoleKey] = 0;
        session.requestConsole();
    }
    // Either row of the bindings drives this machine's fighter; an inactive window
    // holds no key.
    const FrameInput keys = frameInputFromKeys(keyState);
    PlayerInput local{static_cast<std::uint8_t>(keys.players[0].held | keys.players[1].held)};
    if (!isActive) local = PlayerInput{};

    session.advance(local, now);
    // Sounds a rollback undid end first, so that their voices are free for the new
    // ones; a sound raised again by a frame simulated again keeps its id and goes on.
    for (std::uint32_t id : session.soundsToCut()) cutSound(id);
    for (const auto& s : session.soundsToStart())
        raiseTaggedSound(s.event.effect, s.event.side, s.event.level, s.id);

    const char* status = nullptr;
    if (session.phase() == Phase::Stopped && !session.localReady()) {
        // Once per pause: the box or the console, then we wait for him.
        switch (session.stopCause()) {
        case Cause::Death: {
            session.poll(now); // he hears that we wait in the box
            // The box over the picture the kill came in, as on one machine.
            loadGame(session.deathFrameState());
            drawFrame(FrameEvents{});
            renderer.present(1);
            loadGame(session.stoppedState());
            const FrameDeath& death = session.stopDeath();
            showMessageBox(mainWindow, death.message.text.c_str(), death.message.caption.c_str(),
                           death.message.style);
            clearKeyState();
            session.ready(false, tickCount());
            return true;
        }
        case Cause::LocalConsole: {
            session.poll(now);
            const std::uint64_t before = stateChecksum(saveGame());
            openConsole();
            if (session.phase() == Phase::Stopped)
                session.ready(stateChangedSince(before), tickCount());
            return true;
        }
        case Cause::RemoteConsole:
        case Cause::None:
            break;
        }
    }
    // Waiting frames show the newest picture again, with the line that says why.
    drawFrame(session.newestEvents());
    if (session.phase() == Phase::Stopped) {
        status = session.stopCause() == Cause::Death
                     ? "Waiting for the other player to press OK..."
                     : "Paused: the other player is at the console.";
    } else if (session.phase() == Phase::Starting) {
        status = "Starting the match...";
    } else if (session.silenceMs(now) >= net::silenceNoticeMs) {
        status = "Waiting for the other player: no packets from him.";
    }
    if (status == nullptr && session.phase() == Phase::Running) {
        char line[96];
        std::snprintf(line, sizeof line, "Online  %u ms  delay %d  rollbacks %llu",
                      session.stats().roundTripMs, session.stats().inputDelay,
                      static_cast<unsigned long long>(session.stats().rollbacks));
        drawStatusLine(line);
    } else if (status != nullptr) {
        drawStatusLine(status);
    }
    renderer.present(1);
    return true;
}

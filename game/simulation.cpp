// The game state as a value (save, load, canonical encoding, checksum) and one
// frame of the game simulated without drawing, sound or platform calls.
#include "game/simulation.h"

#include "ai/cpu_players.h"
#include "app/app_state.h"
#include "app/frame.h"
#include "app/key_state.h"
#include "app/platform.h"
#include "game/game_events.h"
#include "game/player.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

std::uint8_t clearBulletsRequested = 0;

namespace {

// The events of the frame being simulated; null outside simulateFrame.
FrameEvents* collecting = nullptr;
DeathBoxHandler deathBoxHandler = nullptr;

// Bytes of one encoded bullet: dx, dy, x, y, shooter.
constexpr std::size_t encodedBulletSize = 5 * 4;
// Sizes of the hero frame and the play area no bitmap or window comes near; larger
// ones in a decoded state would let box sums overflow.
constexpr std::int32_t largestExtent = 1 << 20;

// Every member of the state, in the order of the encoding. The encoder and the
// decoder both walk this one list: a new member is added here once.
template <typename Visitor, typename Player> void visitPlayer(Visitor& v, Player& p) {
    v(p.x), v(p.y), v(p.vx), v(p.vy), v(p.jumpVelocity), v(p.aimAngle), v(p.aimDirX), v(p.aimDirY),
        v(p.hookVelX), v(p.hookVelY), v(p.hookEndX), v(p.hookEndY);
    v(p.onGround), v(p.grappleState), v(p.grappleCharge), v(p.grappleKeyReleased);
    v(p.swordCharge), v(p.swingFrames);
    v(p.heroBounds.left), v(p.heroBounds.top), v(p.heroBounds.right), v(p.heroBounds.bottom);
    v(p.facing), v(p.gunCooldown), v(p.swordTick), v(p.swordCooldown);
    v(p.hp), v(p.maxHp), v(p.side), v(p.opponent), v(p.dead), v(p.deathTimer), v(p.deathCause);
}

template <typename Visitor, typename State> void visitState(Visitor& v, State& s) {
    visitPlayer(v, s.players[0]);
    visitPlayer(v, s.players[1]);
    v.bullets(s.bullets);
    v(s.clearBulletsRequested);
    v(s.gravity);
    for (auto& e : s.configSnapshot.players) v(e.aimAngle), v(e.facing), v(e.x), v(e.y);
    v(s.playArea.left), v(s.playArea.top), v(s.playArea.right), v(s.playArea.bottom);
    v(s.centreOffsets.taken), v(s.centreOffsets.x), v(s.centreOffsets.y);
    v(s.deathPhrases.value);
    v(s.frame);
    for (auto& cpu : s.cpu) visitCpuState(v, cpu);
}

// A float's IEEE-754 bits. (memcpy rather than std::bit_cast, which the web tree's
// standard library does not have.)
std::uint32_t floatBits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

template <typename T> std::uint32_t bitsOf(T value) {
    if constexpr (std::is_same_v<T, float>)
        return floatBits(value);
    else
        return static_cast<std::uint32_t>(value);
}

struct Writer {
    std::vector<std::uint8_t>& out;

    template <typename T> void operator()(const T& value) {
        static_assert(sizeof(T) == 1 || sizeof(T) == 4);
        const std::uint32_t bits = bitsOf(value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }

    void bullets(const std::vector<Bullet>& list) {
        (*this)(static_cast<std::uint32_t>(list.size()));
        for (const Bullet& b : list)
            (*this)(b.dx), (*this)(b.dy), (*this)(b.x), (*this)(b.y), (*this)(b.shooter);
    }
};

struct Reader {
    std::span<const std::uint8_t> in;
    std::size_t at = 0;
    bool ok = true;

    template <typename T> void operator()(T& value) {
        static_assert(sizeof(T) == 1 || sizeof(T) == 4);
        if (!ok || in.size() - at < sizeof(T)) {
            ok = false;
            return;
        }
        std::uint32_t bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bits |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
        at += sizeof(T);
        if constexpr (std::is_same_v<T, float>)
            std::memcpy(&value, &bits, sizeof value);
        else
            value = static_cast<T>(bits);
    }

    void bullets(std::vector<Bullet>& list) {
        std::uint32_t count = 0;
        (*this)(count);
        // A count the remaining bytes cannot hold is refused before anything is
        // allocated for it.
        if (!ok || count > (in.size() - at) / encodedBulletSize) {
            ok = false;
            return;
        }
        list.clear();
        list.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            Bullet b(0.0f, 0.0f, 0, 0);
            (*this)(b.dx), (*this)(b.dy), (*this)(b.x), (*this)(b.y), (*this)(b.shooter);
            list.push_back(b);
        }
    }
};

bool inRange(std::int32_t value, std::int32_t low, std::int32_t high) {
    return low <= value && value <= high;
}

bool extentsPlausible(const Bounds& b) {
    return inRange(b.left, 0, largestExtent) && inRange(b.top, 0, largestExtent) &&
           inRange(b.right, 0, largestExtent) && inRange(b.bottom, 0, largestExtent);
}

// Values the game indexes tables with or multiplies unchecked must be ones a game
// can reach; everything else (positions, speeds, hit points) may be anything.
bool plausible(const GameState& s) {
    for (int i = 0; i < 2; ++i) {
        const PlayerState& p = s.players[i];
        if (p.side != i || p.opponent != 1 - i) return false;
        if (!inRange(p.facing, 0, 1)) return false;
        if (!inRange(p.grappleCharge, 0, 20) || !inRange(p.swordCharge, 0, 30)) return false;
        if (!inRange(p.swingFrames, 0, 6)) return false;
        if (!inRange(p.deathTimer, 0, 7)) return false; // counted up while dead
        if (!extentsPlausible(p.heroBounds)) return false;
        if (!inRange(s.configSnapshot.players[i].facing, 0, 1)) return false;
    }
    if (!extentsPlausible(s.playArea)) return false;
    if (!inRange(s.centreOffsets.x, 0, largestExtent) ||
        !inRange(s.centreOffsets.y, 0, largestExtent))
        return false;
    if (!cpuStatePlausible(s.cpu[0]) || !cpuStatePlausible(s.cpu[1])) return false;
    return s.deathPhrases.value < PhraseGenerator::modulus;
}

// Moves every bullet up to six sub-steps and records its pixel after each one it
// survives: a bullet removed at sub-step k shows k - 1 times. The list is compacted
// in one pass, so survivors keep their order and removing many bullets in one frame
// costs no more than removing one.
void stepBullets(std::vector<BulletPixel>& pixels) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < bullets.size(); ++i) {
        Bullet bullet = bullets[i];
        bool alive = true;
        for (int s = 0; s < bulletStepsPerFrame; ++s) {
            if (!bullet.step(true)) {
                alive = false;
                break;
            }
            pixels.push_back(bullet.pixel());
        }
        if (alive) bullets[kept++] = bullet;
    }
    bullets.erase(bullets.begin() + static_cast<std::ptrdiff_t>(kept), bullets.end());
}

} // namespace

void encodeState(const GameState& state, std::vector<std::uint8_t>& out) {
    Writer writer{out};
    writer(stateEncodingVersion);
    visitState(writer, state);
}

std::vector<std::uint8_t> encodeState(const GameState& state) {
    std::vector<std::uint8_t> out;
    out.reserve(256 + state.bullets.size() * encodedBulletSize);
    encodeState(state, out);
    return out;
}

bool decodeState(std::span<const std::uint8_t> bytes, GameState& state) {
    Reader reader{bytes};
    std::uint8_t version = 0;
    reader(version);
    if (!reader.ok || version != stateEncodingVersion) return false;
    GameState decoded;
    visitState(reader, decoded);
    if (!reader.ok || reader.at != bytes.size() || !plausible(decoded)) return false;
    state = std::move(decoded);
    return true;
}

std::uint64_t checksumBytes(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 14695981039346656037u;
    for (std::uint8_t b : bytes) hash = (hash ^ b) * 1099511628211u;
    return hash;
}

std::uint64_t stateChecksum(const GameState& state) {
    return checksumBytes(encodeState(state));
}

void saveGame(GameState& out) {
    for (int i = 0; i < 2; ++i) out.players[i] = players[i];
    out.bullets.assign(bullets.begin(), bullets.end());
    out.clearBulletsRequested = clearBulletsRequested;
    out.gravity = gravity;
    out.configSnapshot = configSnapshot;
    out.playArea = playArea;
    out.centreOffsets = centreOffsets;
    out.deathPhrases = deathPhrases;
    out.frame = framesSimulated;
    for (int i = 0; i < 2; ++i) out.cpu[i] = cpuPlayers[i];
}

GameState saveGame() {
    GameState state;
    saveGame(state);
    return state;
}

void loadGame(const GameState& state) {
    // Only the game fields: each player keeps his bitmaps and pens.
    for (int i = 0; i < 2; ++i) static_cast<PlayerState&>(players[i]) = state.players[i];
    bullets.assign(state.bullets.begin(), state.bullets.end());
    clearBulletsRequested = state.clearBulletsRequested;
    gravity = state.gravity;
    configSnapshot = state.configSnapshot;
    playArea = state.playArea;
    centreOffsets = state.centreOffsets;
    deathPhrases = state.deathPhrases;
    framesSimulated = state.frame;
    for (int i = 0; i < 2; ++i) cpuPlayers[i] = state.cpu[i];
}

bool stateChangedSince(std::uint64_t checksum) {
    return stateChecksum(saveGame()) != checksum;
}

void FrameEvents::clear() {
    sounds.clear();
    deaths.clear();
    bulletPixels.clear();
    swingShown[0] = swingShown[1] = 0;
}

void gameSound(SoundEffect effect, int side, int level) {
    if (collecting == nullptr) {
        raiseSound(effect, side, level);
        return;
    }
    // Kept as the mixer would take them.
    collecting->sounds.push_back(
        {effect, static_cast<std::int8_t>(side == 0 || side == 1 ? side : -1),
         static_cast<std::uint8_t>(level < 0 ? 0 : (level > 255 ? 255 : level))});
}

void gameDeath(int side, const DeathMessage& message) {
    gameSound(SoundEffect::Death, side);
    if (collecting != nullptr) {
        collecting->deaths.push_back({side, message, collecting->sounds.size()});
        if (deathBoxHandler != nullptr) deathBoxHandler(*collecting);
        return;
    }
    // An update run outside a simulated frame shows its box at once, as a frame would.
    showMessageBox(mainWindow, message.text.c_str(), message.caption.c_str(), message.style);
    clearKeyState();
}

void simulateFrame(const FrameInput& input, FrameEvents& events, DeathBoxHandler onDeathBox) {
    events.clear();
    FrameEvents* const outer = collecting;
    const DeathBoxHandler outerHandler = deathBoxHandler;
    collecting = &events;
    deathBoxHandler = onDeathBox;

    // The fighters the computer plays take its decisions; their keys and pads do
    // nothing.
    FrameInput played = input;
    takeCpuControls(played);

    players[0].update(played.players[0]);
    // A death box in player 1's update swallows every key release and the new game
    // starts with no key held: player 2 holds nothing for the rest of the frame.
    players[1].update(events.deaths.empty() ? played.players[1] : PlayerInput{});

    stepBullets(events.bulletPixels);

    if (clearBulletsRequested) {
        clearBulletsRequested = 0;
        bullets.clear();
    }

    // The swing animation counts down once per frame after everything else moved.
    events.swingShown[0] = players[0].takeSwingFrame();
    events.swingShown[1] = players[1].takeSwingFrame();

    // The centre offsets are taken once per run by the first player that asks. The
    // first frame's picture would ask if no update had: taken here instead, so that
    // drawing changes nothing and a replay that draws nothing stays in step.
    static_cast<void>(players[0].centre());

    ++framesSimulated;
    collecting = outer;
    deathBoxHandler = outerHandler;
}

FrameEvents simulateFrame(const FrameInput& input) {
    FrameEvents events;
    simulateFrame(input, events);
    return events;
}

void stepGame(GameState& state, const FrameInput& input, FrameEvents& events) {
    loadGame(state);
    simulateFrame(input, events);
    saveGame(state);
}

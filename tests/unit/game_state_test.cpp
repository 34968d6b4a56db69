// The game as a value: the input from keys, the canonical encoding and its checksum,
// save and load, and a frame simulated without drawing, sound or boxes.
#include "app/app_state.h"
#include "app/frame.h"
#include "app/key_state.h"
#include "app/platform_headless.h"
#include "command/interpreter.h"
#include "config/key_bindings.h"
#include "game/key_input.h"
#include "game/simulation.h"
#include "sound/sound.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

// Bytes of one encoded player; the bullets' count follows the two players.
constexpr std::size_t playerBytes = 12 * 4 + 1 + 4 + 4 + 1 + 4 + 4 + 16 + 4 + 12 + 16 + 1 + 8;
constexpr std::size_t bulletCountAt = 1 + 2 * playerBytes;

TEST(InputFromKeys, EachBoundActionSetsItsBitAndNothingElseCounts) {
    bindTestKeys();
    KeyBindings[1][ActionJump] = 0;    // unbound
    KeyBindings[1][ActionSword] = 300; // beyond the key table
    KeyBindings[0][4] = 'Z';           // a slot that is no action
    std::uint8_t keys[256] = {};
    for (std::uint8_t k : {'W', 'D', 'R', 'H', 'Z', 'L', 'K', 'N'}) keys[k] = 1;
    keys[300 & 0xFF] = 1;
    keys[0] = 1;

    EXPECT_EQ(inputFromKeys(keys, 0).held, InputJump | InputRight | InputAimUp | InputSword);
    EXPECT_EQ(inputFromKeys(keys, 1).held, InputRight | InputAimDown | InputAttack);
    EXPECT_EQ(inputFromKeys(keys, -1).held, 0);
    EXPECT_EQ(inputFromKeys(keys, 2).held, 0);
    const FrameInput both = frameInputFromKeys(keys);
    EXPECT_EQ(both.players[0], inputFromKeys(keys, 0));
    EXPECT_EQ(both.players[1], inputFromKeys(keys, 1));
    resetCommandLanguageState();
}

// A live game in the middle of things: bullets in flight, a hook out, a sword
// charging, a swing in progress, gravity and the snapshot changed.
GameState busyState(Arena& arena) {
    ExecuteCommandLine("SET GRAV 0.3");
    arena.game().frames(40, {player1Keys.attack, player2Keys.attack, player2Keys.jump});
    arena.game().frames(12, {player1Keys.sword, player2Keys.grapple});
    arena.game().frames(25, {player2Keys.grapple, player1Keys.left});
    configSnapshot.players[1].x = 123;
    return saveGame();
}

TEST(StateEncoding, RoundTripsThroughBytesAndTheLiveGame) {
    Arena arena;
    const GameState state = busyState(arena);
    ASSERT_FALSE(state.bullets.empty());
    const std::vector<std::uint8_t> bytes = encodeState(state);

    GameState decoded;
    ASSERT_TRUE(decodeState(bytes, decoded));
    EXPECT_EQ(encodeState(decoded), bytes);

    // Loaded into a live game elsewhere in the match, then saved: the same bytes.
    arena.game().frames(30, {player1Keys.jump});
    ASSERT_NE(encodeState(saveGame()), bytes);
    loadGame(decoded);
    EXPECT_EQ(encodeState(saveGame()), bytes);
    EXPECT_FALSE(stateChangedSince(stateChecksum(state)));
}

TEST(StateEncoding, FloatsKeepTheirExactBits) {
    const float values[] = {-0.0f,
                            std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::max(),
                            0.1f};
    for (float v : values) {
        GameState state;
        for (int i = 0; i < 2; ++i) state.players[i].side = i, state.players[i].opponent = 1 - i;
        state.players[1].hookEndY = v;
        state.gravity = v;
        state.bullets.emplace_back(0.0f, 0.0f, 0, 1);
        state.bullets[0].dy = v;
        GameState decoded;
        ASSERT_TRUE(decodeState(encodeState(state), decoded)) << v;
        EXPECT_EQ(std::memcmp(&decoded.players[1].hookEndY, &v, 4), 0) << v;
        EXPECT_EQ(std::memcmp(&decoded.gravity, &v, 4), 0) << v;
        EXPECT_EQ(std::memcmp(&decoded.bullets[0].dy, &v, 4), 0) << v;
    }
}

// The layout is fixed whatever the compiler: these bytes are what every program
// writes for this state.
TEST(StateEncoding, LittleEndianFixedWidthsWithoutPadding) {
    GameState state;
    state.players[0].x = 1.0f;     // 00 00 80 3F
    state.players[0].onGround = 1; // one byte, right after the twelve floats
    state.players[0].grappleState = 0x01020304;
    const std::size_t withoutBullets = encodeState(state).size();
    state.bullets.emplace_back(0.0f, 0.0f, 0, 1);
    const std::vector<std::uint8_t> bytes = encodeState(state);

    EXPECT_EQ(bytes.size(), withoutBullets + 20); // dx, dy, x, y, shooter
    EXPECT_EQ(bytes[0], stateEncodingVersion);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 1, bytes.begin() + 5),
              (std::vector<std::uint8_t>{0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(bytes[1 + 48], 1);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 50, bytes.begin() + 54),
              (std::vector<std::uint8_t>{0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(
        std::vector<std::uint8_t>(bytes.begin() + bulletCountAt, bytes.begin() + bulletCountAt + 4),
        (std::vector<std::uint8_t>{1, 0, 0, 0}));
    // Player 2's jump velocity, -7.0 by default, is his fifth float.
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 1 + playerBytes + 16,
                                        bytes.begin() + 1 + playerBytes + 20),
              (std::vector<std::uint8_t>{0x00, 0x00, 0xE0, 0xC0}));
}

TEST(StateEncoding, RefusesBadBytesAndLeavesTheStateAlone) {
    Arena arena;
    const GameState good = busyState(arena);
    const std::vector<std::uint8_t> bytes = encodeState(good);
    GameState target;
    target.frame = 77;
    const std::vector<std::uint8_t> untouched = encodeState(target);

    auto refused = [&](const std::vector<std::uint8_t>& b) {
        return !decodeState(b, target) && encodeState(target) == untouched;
    };

    // Every length short of the whole, and one byte too many.
    for (std::size_t n = 0; n < bytes.size(); ++n)
        ASSERT_TRUE(refused({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)})) << n;
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_TRUE(refused(longer));

    struct Case {
        const char* what;
        std::size_t at;
        std::vector<std::uint8_t> bytes;
    };
    const std::size_t p1 = 1;
    const std::size_t p2 = 1 + playerBytes;
    const Case cases[] = {
        {"another version", 0, {stateEncodingVersion + 1}},
        {"a huge bullet count", bulletCountAt, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"a count one past the bytes",
         bulletCountAt,
         {static_cast<std::uint8_t>(good.bullets.size() + 1), 0, 0, 0}},
        {"player 1 on side 5", p1 + 48 + 1 + 4 + 4 + 1 + 4 + 4 + 16 + 4 + 12 + 8, {5, 0, 0, 0}},
        {"player 2 facing 2", p2 + 48 + 1 + 4 + 4 + 1 + 4 + 4 + 16, {2, 0, 0, 0}},
        {"a swing of 100 frames", p1 + 48 + 1 + 4 + 4 + 1 + 4, {100, 0, 0, 0}},
        {"a grapple charge below 0", p2 + 48 + 1 + 4, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"a hero 2^31 pixels wide", p1 + 48 + 1 + 4 + 4 + 1 + 4 + 4 + 8, {0, 0, 0, 0x80}},
        {"a death timer about to overflow", p1 + 115, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bad = bytes;
        ASSERT_LE(c.at + c.bytes.size(), bad.size()) << c.what;
        std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + static_cast<std::ptrdiff_t>(c.at));
        EXPECT_TRUE(refused(bad)) << c.what;
    }
    EXPECT_TRUE(decodeState(bytes, target)); // the unchanged bytes are fine
}

// Whatever a decoder accepts, the game can play and draw: every byte of a busy
// state's encoding set to a few extreme values in turn, and each accepted state
// played for a few frames (the sanitizers see any overflow or stray index).
TEST(StateEncoding, EveryAcceptedStatePlaysAndDraws) {
    Arena arena({.width = 320, .height = 240});
    const std::vector<std::uint8_t> bytes = encodeState(busyState(arena));
    FrameInput input{};
    input.players[0].held = InputAttack | InputGrapple | InputJump;
    input.players[1].held = InputSword | InputLeft;
    FrameEvents events;
    int accepted = 0;
    for (std::size_t at = 1; at < bytes.size(); ++at) {
        for (std::uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
            std::vector<std::uint8_t> changed = bytes;
            changed[at] = value;
            GameState state;
            if (!decodeState(changed, state)) continue;
            ++accepted;
            loadGame(state);
            for (int frame = 0; frame < 8; ++frame) {
                simulateFrame(input, events);
                drawFrame(events);
            }
        }
    }
    EXPECT_GT(accepted, static_cast<int>(bytes.size()));
}

TEST(StateChecksum, IsFnv1aOfTheEncodingAndSeesEveryBit) {
    const std::uint8_t a[] = {'a'};
    EXPECT_EQ(checksumBytes({}), 0xcbf29ce484222325u);
    EXPECT_EQ(checksumBytes(a), 0xaf63dc4c8601ec8cu);

    Arena arena;
    GameState state = busyState(arena);
    EXPECT_EQ(stateChecksum(state), checksumBytes(encodeState(state)));
    const std::uint64_t before = stateChecksum(state);
    std::uint32_t bits;
    std::memcpy(&bits, &state.bullets.back().x, 4);
    bits ^= 1; // the lowest bit of the last bullet's x
    std::memcpy(&state.bullets.back().x, &bits, 4);
    EXPECT_NE(stateChecksum(state), before);
}

TEST(StateChecksum, ACommandThatChangesTheGameIsSeenAndOneThatDoesNotIsNot) {
    Arena arena;
    arena.game().frames(3);
    const std::uint64_t before = stateChecksum(saveGame());
    ExecuteCommandLine("SET VOLUME 20"); // the volume is no part of the game
    ExecuteCommandLine("BIND 1 JUMP SPACE");
    EXPECT_FALSE(stateChangedSince(before));
    ExecuteCommandLine("SET GRAVITY HIGH");
    EXPECT_TRUE(stateChangedSince(before));
}

TEST(SimulateFrame, DrawsPlaysAndShowsNothingButReportsItInOrder) {
    Arena arena;
    hangInAir(arena, 100.0f, 300.0f, 400.0f, 300.0f);
    arena.player(2).hp = 1;
    std::vector<SoundEvent> heard;
    soundListener = [](const SoundEvent&) { ADD_FAILURE() << "a sound was raised"; };
    const std::vector<std::uint32_t> screen = arena.game().window().frontBuffer;

    FrameInput fire{};
    fire.players[0].held = InputAttack;
    FrameEvents events;
    int deaths = 0;
    std::vector<FrameDeath> boxes;
    for (int frame = 0; frame < 200 && boxes.empty(); ++frame) {
        simulateFrame(fire, events);
        heard.insert(heard.end(), events.sounds.begin(), events.sounds.end());
        boxes = events.deaths;
        deaths += static_cast<int>(events.deaths.size());
    }
    soundListener = nullptr;
    EXPECT_EQ(arena.game().window().frontBuffer, screen);
    EXPECT_TRUE(headless_platform::messageBoxes.empty());

    ASSERT_EQ(deaths, 1);
    EXPECT_EQ(boxes[0].side, 1);
    EXPECT_EQ(boxes[0].message.caption.empty(), false);
    ASSERT_GE(heard.size(), 3u);
    EXPECT_EQ(heard.front().effect, SoundEffect::Shot);
    const SoundEvent death{SoundEffect::Death, 1, 0};
    EXPECT_EQ(events.sounds.at(boxes[0].soundsBefore - 1), death);
    EXPECT_EQ(arena.player(2).hp, arena.player(2).maxHp); // the new game has begun
}

// Player 1's death box opens before player 2's update; the new game that follows
// it starts with no key held, whatever player 2 held when the frame began.
TEST(SimulateFrame, AfterPlayerOnesDeathBoxPlayerTwoHoldsNothing) {
    for (const bool viaKeys : {false, true}) {
        SCOPED_TRACE(viaKeys ? "runFrame with keys" : "simulateFrame with inputs");
        Arena arena;
        arena.player(1).damage(100, CauseBullet);
        arena.game().frames(6);
        ASSERT_TRUE(arena.player(1).dead);
        if (viaKeys) {
            arena.game().frame({player2Keys.right, player2Keys.aimUp});
            ASSERT_EQ(headless_platform::messageBoxes.size(), 1u);
        } else {
            FrameInput input{};
            input.players[1].held = InputRight | InputAimUp;
            ASSERT_EQ(simulateFrame(input).deaths.size(), 1u);
        }
        // Fresh from the snapshot: facing left and aiming straight ahead, as he starts.
        EXPECT_EQ(arena.player(2).facing, 1);
        EXPECT_EQ(arena.player(2).aimAngle, 180.0f);
        EXPECT_EQ(arena.player(2).gunCooldown, 1u); // his update ran
    }
}

// The same state gives the same death phrase; the seed decides which one.
TEST(SimulateFrame, AReplayedDeathNamesTheSamePhrase) {
    Arena arena;
    hangInAir(arena, 100.0f, 300.0f, 400.0f, 300.0f);
    arena.player(2).damage(100, CauseHeadshot);
    std::set<std::string> phrases;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        deathPhrases.seed(seed);
        const GameState before = saveGame();
        std::string first;
        for (int frame = 0; frame < 7 && first.empty(); ++frame) {
            const FrameEvents events = simulateFrame(FrameInput{});
            if (!events.deaths.empty()) first = events.deaths[0].message.text;
        }
        ASSERT_FALSE(first.empty());
        loadGame(before);
        std::string again;
        for (int frame = 0; frame < 7 && again.empty(); ++frame) {
            const FrameEvents events = simulateFrame(FrameInput{});
            if (!events.deaths.empty()) again = events.deaths[0].message.text;
        }
        EXPECT_EQ(again, first) << seed;
        phrases.insert(first);
        loadGame(before);
    }
    EXPECT_EQ(phrases.size(), 3u);
}

// Drawing shows the frame the simulation left and changes nothing: the centre
// offsets are taken by the first simulated frame, not by the first picture, and a
// swing is counted down by the simulation, once per frame.
TEST(DrawFrame, ChangesNoGameState) {
    Arena arena;
    hangInAir(arena, 100.0f, 300.0f, 160.0f, 300.0f);
    forgetCentreOffsets();
    FrameEvents still;
    simulateFrame(FrameInput{}, still);
    const std::uint64_t first = stateChecksum(saveGame());
    drawFrame(still);
    EXPECT_FALSE(stateChangedSince(first));

    arena.player(1).swordCooldown = 100;
    arena.game().frames(12, {player1Keys.sword});
    FrameEvents events;
    simulateFrame(FrameInput{}, events); // the strike
    EXPECT_EQ(events.swingShown[0], 6);
    EXPECT_EQ(arena.player(1).swingFrames, 5);
    const std::uint64_t before = stateChecksum(saveGame());
    drawFrame(events);
    drawFrame(events);
    EXPECT_FALSE(stateChangedSince(before));
    simulateFrame(FrameInput{}, events);
    EXPECT_EQ(events.swingShown[0], 5);
}

} // namespace

// The game as a value and the frame as a function of it. GameState is everything
// the simulation and the commands change; simulateFrame steps the live game by one
// frame from both players' inputs, with no drawing, sound or platform call, and
// reports what the program should play, show and draw.
#pragma once

#include "ai/cpu_player.h"
#include "game/bullet.h"
#include "game/damage.h"
#include "game/game_state.h"
#include "game/player_input.h"
#include "game/player_state.h"
#include "graphics/handles.h"
#include "sound/sound.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Everything a frame reads and writes, as one value. Bitmaps, pens, the renderer,
// key bindings, the console and the sound volume stay outside.
//
// Adding a member: declare it here, copy it in saveGame/loadGame and visit it in
// visitState (game/simulation.cpp), then raise stateEncodingVersion.
struct GameState {
    PlayerState players[2];
    std::vector<Bullet> bullets;
    std::uint8_t clearBulletsRequested = 0;
    float gravity = defaultGravity;
    ConfigSnapshot configSnapshot{};
    Bounds playArea{};
    CentreOffsets centreOffsets{};
    PhraseGenerator deathPhrases{};
    std::uint32_t frame = 0; // frames simulated since start-up
    CpuState cpu[2]{};       // the computer players (level Off for a person's fighter)
};

// The first byte of every encoding.
constexpr std::uint8_t stateEncodingVersion = 2;

// The canonical bytes of a state: a version byte, then every member in a fixed
// order, fixed widths, little-endian, floats as their IEEE-754 bits, no padding.
// The same bytes on every program.
std::vector<std::uint8_t> encodeState(const GameState& state);
// Appends the encoding to `out` (reuses its storage).
void encodeState(const GameState& state, std::vector<std::uint8_t>& out);
// Reads an encoding back. False (and `state` unchanged) for bytes of another
// version, cut short, with bytes left over, or with values no game can reach that
// would make the game index outside its tables (a side other than 0 or 1, ...).
bool decodeState(std::span<const std::uint8_t> bytes, GameState& state);

// FNV-1a, 64 bits, over the canonical encoding.
std::uint64_t stateChecksum(const GameState& state);
std::uint64_t checksumBytes(std::span<const std::uint8_t> bytes);

// The live game (the globals the game code works on) as a value, and back. Loading
// keeps every player's bitmaps and pens.
GameState saveGame();
void saveGame(GameState& out); // reuses out's storage
void loadGame(const GameState& state);
// Whether the live game differs from the one that had this checksum (a console
// session or script between frames changed it).
bool stateChangedSince(std::uint64_t checksum);

// A death of the frame: the box to show and where in the frame it opens.
struct FrameDeath {
    std::int32_t side;
    DeathMessage message;
    // Sounds of the frame heard before the box opens (the death sound included):
    // the program plays them, shows the box, clears its keys, then plays the rest.
    std::size_t soundsBefore;
};

// What one simulated frame reports. Nothing in it feeds back into the simulation.
struct FrameEvents {
    std::vector<SoundEvent> sounds; // in the order the game raised them
    std::vector<FrameDeath> deaths; // at most one per player
    // For drawing the frame: every bullet pixel in the order drawn, and the swing
    // frame each player shows (6 down to 1, 0 for none).
    std::vector<BulletPixel> bulletPixels;
    std::int32_t swingShown[2] = {0, 0};

    void clear();
};

// Called at the moment a death box opens, with the frame's events so far (the
// death last); the frame then goes on as it did after the box. The program shows
// the box from here so that it opens where it always did, in the middle of the
// frame; the handler must not change the game.
using DeathBoxHandler = void (*)(const FrameEvents& soFar);

// Simulates one frame of the live game. The events' storage is reused.
void simulateFrame(const FrameInput& input, FrameEvents& events,
                   DeathBoxHandler onDeathBox = nullptr);
FrameEvents simulateFrame(const FrameInput& input);

// The same on a value: loads it, simulates, saves it back. The live game is left
// holding the new state.
void stepGame(GameState& state, const FrameInput& input, FrameEvents& events);

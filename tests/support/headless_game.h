// The real start-up, frame step, players, bullets and interpreter, with the
// software renderer and the headless platform: a game tests can drive key by key.
#pragma once

#include "game/player.h"
#include "graphics/software_surfaces.h"
#include "tests/support/scratch_folder.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

// Puts every global of the program back to its value at process start.
void resetProgramState();

// Puts back only what commands and scripts set outside the players: gravity, the
// snapshot, key bindings, the echo flag, console text and history, aliases, the
// running scripts and the sound volume. The players and the renderer stay as they are.
void resetCommandLanguageState();

// The keys the game tests bind to each player's actions (virtual-key codes).
struct ActionKeys {
    std::uint8_t jump, left, right, grapple, aimUp, aimDown, attack, sword;
};
inline constexpr ActionKeys player1Keys{'W', 'A', 'D', 'E', 'R', 'F', 'G', 'H'};
inline constexpr ActionKeys player2Keys{'I', 'J', 'L', 'O', 'U', 'K', 'N', 'M'};

// Overwrites both rows of KeyBindings with player1Keys and player2Keys.
void bindTestKeys();

// One row of a key table: `frames` frames with exactly `keys` held.
struct HeldKeys {
    int frames;
    std::vector<std::uint8_t> keys;
};

class HeadlessGame {
  public:
    struct Options {
        int width = 800;
        int height = 600;
    };

    // Starts the game (sprites, "config.cfg", "autoexec.cfg" from the working folder)
    // in a headless window of the given client size.
    HeadlessGame() : HeadlessGame(Options{}) {}
    explicit HeadlessGame(Options options);
    // Shuts the game down and resets the program's globals.
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Runs one frame with exactly these keys held (virtual-key codes).
    void frame(std::initializer_list<std::uint8_t> heldKeys = {});
    void frames(int count, std::initializer_list<std::uint8_t> heldKeys = {});
    // Plays a key table row by row; `afterFrame` (when set) runs after every frame
    // with the number of frames played so far.
    void play(const std::vector<HeldKeys>& table,
              const std::function<void(int framesPlayed)>& afterFrame = {});

    // Key events as a layer's window procedure hands them on: keyState follows them,
    // and the console key's presses, repeats and releases go to the console session,
    // which decides whether the key counts as down. step() then runs one frame with
    // keyState as the events left it.
    void keyDown(std::uint8_t key, bool repeat = false);
    void keyUp(std::uint8_t key);
    void step();

    // Puts a player on the floor at x, standing still (as if he had landed there).
    void standOnFloor(int number, float x);

    Player& player(int number) { return players[number - 1]; }
    const WindowObject& window() const { return headlessWindow; }

  private:
    WindowObject headlessWindow;
};

// A match in a scratch folder of its own: a solid hero.bmp of the given size and an
// empty config.cfg are written there, the real start-up runs, the message boxes of
// start-up are forgotten and both players get the test keys. Player 1 starts at
// the left edge facing right, player 2 at the right edge facing left, both at the top.
class Arena {
  public:
    struct Options {
        int width = 800;
        int height = 600;
        int heroWidth = 60; // two frames side by side
        int heroHeight = 40;
    };
    Arena() : Arena(Options{}) {}
    explicit Arena(Options options);

    HeadlessGame& game() { return *headless; }
    Player& player(int number) { return headless->player(number); }
    const ScratchFolder& folder() const { return scratch; }

  private:
    ScratchFolder scratch;
    std::unique_ptr<HeadlessGame> headless;
};

// Turns gravity off and leaves both players hanging still in the air at these places,
// so that only what the test does moves them.
void hangInAir(Arena& arena, float x1, float y1, float x2, float y2);

// The real start-up, frame step, players, bullets and interpreter, with the
// software renderer and the native platform: a game tests can drive key by key.
#pragma once

#include "game/player.h"
#include "graphics/native_surfaces.h"

#include <cstdint>
#include <initializer_list>

// Puts every global of the program back to its value at process start.
void resetProgramState();

class HeadlessGame {
  public:
    struct Options {
        int width = 800;
        int height = 600;
    };

    // Starts the game (sprites, "config.cfg", "autoexec.cfg" from the working folder)
    // in a native window of the given client size.
    HeadlessGame() : HeadlessGame(Options{}) {}
    explicit HeadlessGame(Options options);
    // Shuts the game down and resets the program's globals.
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Runs one frame with exactly these keys held (virtual-key codes).
    void frame(std::initializer_list<std::uint8_t> heldKeys = {});
    void frames(int count, std::initializer_list<std::uint8_t> heldKeys = {});

    Player& player(int number) { return players[number - 1]; }
    const WindowObject& window() const { return nativeWindow; }

  private:
    WindowObject nativeWindow;
};

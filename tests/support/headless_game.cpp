#include "tests/support/headless_game.h"

#include "app/app_state.h"
#include "app/frame.h"
#include "app/key_state.h"
#include "app/platform_native.h"
#include "app/startup.h"
#include "command/aliases.h"
#include "command/console_text.h"
#include "command/interpreter.h"
#include "config/console.h"
#include "config/key_bindings.h"
#include "config/script_files.h"
#include "game/game_state.h"
#include "graphics/renderer.h"
#include "graphics/weapon_sprites.h"

#include <cstring>

void resetProgramState() {
    players[0].release();
    players[1].release();
    players[0] = Player{};
    players[1] = Player{};
    releaseWeaponSprites();
    if (renderer.initialised()) renderer.shutdown();
    renderer = Renderer{};
    forgetCentreOffsets();

    clearKeyState();
    bullets.clear();
    clearBulletsRequested = 0;
    gravity = defaultGravity;
    configSnapshot = ConfigSnapshot{};
    std::memset(KeyBindings, 0, sizeof KeyBindings);
    echoEnabled = true;
    consoleText.clear();
    commandHistory.clear();
    AliasTable.clear();
    aliasRunStack.clear();
    ActiveScriptFiles.clear();
    historyPos = -1;
    isActive = 1;
    playArea = Bounds{};
    mainWindow = nullptr;
    native_platform::reset();
}

HeadlessGame::HeadlessGame(Options options) {
    resetProgramState();
    nativeWindow.width = options.width;
    nativeWindow.height = options.height;
    mainWindow = &nativeWindow;
    startGame(&nativeWindow);
}

HeadlessGame::~HeadlessGame() {
    shutdownGame();
    resetProgramState();
}

void HeadlessGame::frame(std::initializer_list<std::uint8_t> heldKeys) {
    clearKeyState();
    for (std::uint8_t key : heldKeys) keyState[key] = 1;
    runFrame();
}

void HeadlessGame::frames(int count, std::initializer_list<std::uint8_t> heldKeys) {
    for (int i = 0; i < count; ++i) frame(heldKeys);
}

#include "tests/support/headless_game.h"

#include "ai/cpu_players.h"
#include "app/app_state.h"
#include "app/frame.h"
#include "app/gamepads_headless.h"
#include "app/key_state.h"
#include "app/platform.h"
#include "app/platform_headless.h"
#include "app/startup.h"
#include "command/aliases.h"
#include "command/console_text.h"
#include "command/interpreter.h"
#include "config/console.h"
#include "config/console_headless.h"
#include "config/console_session.h"
#include "config/key_bindings.h"
#include "config/script_files.h"
#include "game/game_state.h"
#include "graphics/renderer.h"
#include "graphics/weapon_sprites.h"
#include "sound/audio_output_headless.h"
#include "sound/sound.h"
#include "tests/support/test_bitmaps.h"

#include <cstring>

void resetCommandLanguageState() {
    gravity = defaultGravity;
    configSnapshot = ConfigSnapshot{};
    std::memset(KeyBindings, 0, sizeof KeyBindings);
    echoEnabled = true;
    consoleText.clear();
    commandHistory.clear();
    AliasTable.clear();
    aliasRunStack.clear();
    ActiveScriptFiles.clear();
    setSoundVolume(defaultSoundVolume);
}

void resetProgramState() {
    players[0].release();
    players[1].release();
    players[0] = Player{};
    players[1] = Player{};
    releaseWeaponSprites();
    if (renderer.initialised()) renderer.shutdown();
    renderer = Renderer{};
    forgetCentreOffsets();
    deathPhrases = PhraseGenerator{};
    framesSimulated = 0;
    frameHooks = FrameHooks{};
    cpuPlayers[0] = cpuPlayers[1] = CpuState{};

    clearKeyState();
    bullets.clear();
    clearBulletsRequested = 0;
    resetCommandLanguageState();
    historyPos = -1;
    consoleKeyUp(); // forgets a console key held since the console last opened or closed
    headlessConsoleDriver = nullptr;
    isActive = 1;
    playArea = Bounds{};
    mainWindow = nullptr;
    headless_platform::reset();
    headless_gamepads::reset();
    headless_audio::reset();
}

HeadlessGame::HeadlessGame(Options options) {
    resetProgramState();
    headlessWindow.width = options.width;
    headlessWindow.height = options.height;
    mainWindow = &headlessWindow;
    startGame(&headlessWindow);
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

void HeadlessGame::keyDown(std::uint8_t key, bool repeat) {
    if (key == keyForCharacter('`') && !consoleKeyDown(repeat)) return;
    keyState[key] = 1;
}

void HeadlessGame::keyUp(std::uint8_t key) {
    keyState[key] = 0;
    if (key == keyForCharacter('`')) consoleKeyUp();
}

void HeadlessGame::step() {
    runFrame();
}

void HeadlessGame::frames(int count, std::initializer_list<std::uint8_t> heldKeys) {
    for (int i = 0; i < count; ++i) frame(heldKeys);
}

void HeadlessGame::play(const std::vector<HeldKeys>& table,
                        const std::function<void(int framesPlayed)>& afterFrame) {
    int played = 0;
    for (const HeldKeys& row : table) {
        for (int i = 0; i < row.frames; ++i) {
            clearKeyState();
            for (std::uint8_t key : row.keys) keyState[key] = 1;
            runFrame();
            ++played;
            if (afterFrame) afterFrame(played);
        }
    }
}

void HeadlessGame::standOnFloor(int number, float x) {
    Player& p = player(number);
    p.x = x;
    p.y = static_cast<float>(playArea.bottom - p.frameHeight());
    p.vx = 0.0f;
    p.vy = 0.0f;
    p.onGround = 1;
}

void bindTestKeys() {
    const ActionKeys rows[2] = {player1Keys, player2Keys};
    std::memset(KeyBindings, 0, sizeof KeyBindings);
    for (int row = 0; row < 2; ++row) {
        KeyBindings[row][ActionJump] = rows[row].jump;
        KeyBindings[row][ActionLeft] = rows[row].left;
        KeyBindings[row][ActionRight] = rows[row].right;
        KeyBindings[row][ActionGrapple] = rows[row].grapple;
        KeyBindings[row][ActionAimUp] = rows[row].aimUp;
        KeyBindings[row][ActionAimDown] = rows[row].aimDown;
        KeyBindings[row][ActionAttack] = rows[row].attack;
        KeyBindings[row][ActionSword] = rows[row].sword;
    }
}

Arena::Arena(Options options) {
    // The scratch folder is the working folder from here on.
    writeSolidBitmap("hero.bmp", options.heroWidth, options.heroHeight, 0x00C08040);
    scratch.write("config.cfg", "");
    headless = std::make_unique<HeadlessGame>(HeadlessGame::Options{options.width, options.height});
    headless_platform::messageBoxes.clear();
    bindTestKeys();
}

void hangInAir(Arena& arena, float x1, float y1, float x2, float y2) {
    gravity = 0.0f;
    for (int n = 1; n <= 2; ++n) {
        Player& p = arena.player(n);
        p.x = n == 1 ? x1 : x2;
        p.y = n == 1 ? y1 : y2;
        p.vx = p.vy = 0.0f;
        p.onGround = 0;
    }
}

// A running game in a scratch folder, shared by the command fuzz targets, and the
// reset of everything the command language can change between two inputs.
#pragma once

#include "app/platform_headless.h"
#include "command/aliases.h"
#include "command/interpreter.h"
#include "config/key_bindings.h"
#include "config/script_files.h"
#include "tests/support/headless_game.h"
#include "tests/support/scratch_folder.h"

#include <memory>

inline void startFuzzGame() {
    static ScratchFolder folder; // files stay inside this temporary folder
    static std::unique_ptr<HeadlessGame> game;
    if (game) return;
    folder.write("config.cfg", "BIND 1 JUMP SPACE\nSET POS 1 10 20\nALIAS CFG ECHO CFG\n"
                               "EXEC CONFIG.CFG\n");
    folder.write("autoexec.cfg", "ECHO HI\n");
    folder.write("A.CFG", "ECHO A\nEXEC B.CFG\nA\n");
    folder.write("b.cfg", "ECHO B;EXEC A.CFG\n//comment\nSET GRAV 2\n");
    folder.write("cmdlist.txt", "commands\nlisted\n");
    folder.write("varlist.txt", "variables\r\n");
    game = std::make_unique<HeadlessGame>(HeadlessGame::Options{160, 120});
}

// Puts back everything a command line can change, keeping the initialised players.
inline void resetCommandState() {
    resetCommandLanguageState();
    for (Player& player : players) {
        player.setMaxHp(50);
        player.setJumpVelocity(-7.0f);
    }
    restartGame();
    headless_platform::reset();
}

// What must hold after any input.
inline void checkCommandState() {
    if (!aliasRunStack.empty() || !ActiveScriptFiles.empty()) __builtin_trap();
    for (const auto& row : KeyBindings)
        for (int action = 0; action < actionSlots; ++action)
            if (row[action] > 255) __builtin_trap();
}

#include "app/startup.h"

#include "app/app_state.h"
#include "config/script_files.h"
#include "game/player.h"
#include "graphics/renderer.h"
#include "graphics/weapon_sprites.h"
#include "net/online_match.h"
#include "sound/sound.h"

void startGame(WindowHandle window) {
    renderer.init(window);
    playArea = renderer.clientRect();

    players[0].init(renderer, 0.0f, 0.0f, 0, 1);
    players[1].init(renderer, 0.0f, 0.0f, 1, 2);
    players[1].setPosition(playArea.right - players[1].frameSize().width, 0);

    generateWeaponSprites(renderer);

    LoadConfiguration();
    ExecuteScriptFile("autoexec.cfg"); // a missing autoexec.cfg is silent

    startSound(); // silent, and no message, without an audio device
}

void shutdownGame() {
    // However the program closes (QUIT, the window's close box, the system's quit),
    // the other player of an online match hears it at once.
    leaveOnlineMatch(net::ByeReason::Quit);
    stopSound();
    players[0].release();
    players[1].release();
    releaseWeaponSprites();
    renderer.shutdown();
}

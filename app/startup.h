// The start-up and shutdown steps that follow window creation, shared by the
// Windows program and the headless driver.
#pragma once

#include "graphics/handles.h"

// Renderer, play area, players (player 2 at the right edge), weapon sprites,
// "config.cfg", "autoexec.cfg" and the sound, in that order. The window stays hidden.
void startGame(WindowHandle window);

// Leaves an online match (telling the other player the game quit), stops the
// sound, releases player 1 and player 2, the weapon sprites and the Renderer, in
// that order.
void shutdownGame();

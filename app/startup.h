// The start-up and shutdown steps that follow window creation, shared by the
// Windows program and the headless driver.
#pragma once

#include "graphics/handles.h"

// Renderer, play area, players (player 2 at the right edge), weapon sprites,
// "config.cfg" and "autoexec.cfg", in that order. The window stays hidden.
void startGame(WindowHandle window);

// Releases player 1 and player 2, the weapon sprites and the Renderer, in that order.
void shutdownGame();

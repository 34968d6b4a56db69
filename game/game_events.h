// How the game code reports what a simulated frame raised: sounds and the death box.
// Inside simulateFrame they are gathered into its FrameEvents; outside one (a test
// calling Bullet::step directly) a sound goes straight to the mixer.
#pragma once

#include "game/damage.h"
#include "sound/sound.h"

void gameSound(SoundEffect effect, int side, int level = 0);
// The death sound, then the box, of the player on `side`.
void gameDeath(int side, const DeathMessage& message);

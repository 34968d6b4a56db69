// Damage, death and the death message.
#pragma once

#include <string>

// The message box that announces a death.
struct DeathMessage {
    std::string text;    // "Player 2 died headless..."
    std::string caption; // "Headshot", "Swordkill" or "Game Over"
    unsigned style;      // the platform's message box style
};

// The message for the player on `side` killed by `cause`; `phrase` picks one of
// the three phrases of a head shot or a sword kill (taken modulo 3).
DeathMessage composeDeathMessage(int side, int cause, unsigned phrase);

// A random phrase index from the game state's generator (deathPhrases).
unsigned randomPhrase();

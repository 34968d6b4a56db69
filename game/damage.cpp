// Damage, the dead player's timer, the death message and the restart after it.
#include "game/damage.h"

#include "app/app_state.h"
#include "app/key_state.h"
#include "app/platform.h"
#include "game/player.h"
#include "sound/sound.h"

#include <cstdint>
#include <limits>
#include <random>

namespace {

constexpr std::int32_t framesBeforeMessage = 7;

// Each phrase follows " died" directly.
const char* const headshotPhrases[3] = {
    " with a bullet through his head!",
    " headless...",
    " of scrambled brains.",
};
const char* const swordPhrases[3] = {
    " by his enemy's sword.",
    " in two pieces...",
    " from a split skull.",
};

} // namespace

DeathMessage composeDeathMessage(int side, int cause, unsigned phrase) {
    DeathMessage message;
    message.text = "Player " + std::to_string(side + 1) + " died";
    switch (cause) {
    case CauseHeadshot:
        message.text += headshotPhrases[phrase % 3];
        message.caption = "Headshot";
        message.style = MessageBoxIconHand;
        break;
    case CauseSword:
        message.text += swordPhrases[phrase % 3];
        message.caption = "Swordkill";
        message.style = MessageBoxIconExclamation;
        break;
    default:
        message.text += ".";
        message.caption = "Game Over";
        message.style = MessageBoxOk;
        break;
    }
    return message;
}

unsigned randomPhrase() {
    // A generator of our own rather than the C library's shared one, seeded once
    // from the tick count just before the first phrase of the run is picked.
    static std::minstd_rand generator(tickCount());
    return static_cast<unsigned>(generator() % 3);
}

void Player::damage(int amount, int cause) {
    if (dead) return; // the first lethal cause is the one that counts

    // Hit points may go below zero; they saturate rather than wrap.
    const std::int64_t left = static_cast<std::int64_t>(hp) - amount;
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    hp = static_cast<std::int32_t>(left < lowest ? lowest : (left > highest ? highest : left));

    if (cause == CauseSword) grappleControl(false, false); // a sword hit drops the hook
    if (hp <= 0) {
        dead = 1;
        deathCause = cause;
    }
}

void Player::deathStep() {
    if (!dead) return;
    if (++deathTimer < framesBeforeMessage) return;

    const bool phrased = deathCause == CauseHeadshot || deathCause == CauseSword;
    const DeathMessage message =
        composeDeathMessage(side, deathCause, phrased ? randomPhrase() : 0);
    // Heard as the box opens; while it is open no frame runs, so nothing new starts.
    raiseSound(SoundEffect::Death, side);
    showMessageBox(mainWindow, message.text.c_str(), message.caption.c_str(), message.style);

    // The box swallowed the key releases: no key counts as held in the new game.
    initPlayersForNewGame();
    clearKeyState();
    restorePlayersFromSnapshot();
    deathTimer = 0;
}

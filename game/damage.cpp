// Damage, the dead player's timer, the death message and the restart after it.
#include "game/damage.h"

#include "app/platform.h"
#include "game/game_events.h"
#include "game/game_state.h"
#include "game/player.h"

#include <cstdint>
#include <limits>

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
    // A generator of our own, part of the game state, so that a replayed death
    // names the same phrase. The frame driver seeds it from the tick count.
    return static_cast<unsigned>(deathPhrases.next() % 3);
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
    // The program plays the death sound and shows the box here, between this
    // player's update and the rest of the frame; the box swallows the key releases,
    // so no key counts as held in the new game (simulateFrame empties the inputs of
    // the updates that follow).
    gameDeath(side, message);

    // A new game, as restartGame but keeping the art: the simulation loads nothing.
    players[0].resetForNewGame(0.0f, 0.0f, 0, 1);
    players[1].resetForNewGame(0.0f, 0.0f, 1, 2);
    restorePlayersFromSnapshot();
    deathTimer = 0;
}

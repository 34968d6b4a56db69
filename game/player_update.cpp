// The per-frame update of a player: the order of its steps. Each step lives with
// its own concern (player_movement.cpp, player_weapons.cpp, grapple.cpp, damage.cpp).
#include "game/player.h"

void Player::update(PlayerInput input) {
    // Facing: LEFT wins when both are held; the aim is mirrored with it.
    if (input.has(InputLeft))
        setFacing(1);
    else if (input.has(InputRight))
        setFacing(0);

    aimStep(input);
    grappleKeyStep(input);
    movementStep(input);

    ++gunCooldown;
    ++swordTick;
    ++swordCooldown;

    weaponStep(input);
    deathStep();
}

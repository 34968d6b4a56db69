// The per-frame update of a player: the order of its steps. Each step lives with
// its own concern (player_movement.cpp, player_weapons.cpp, grapple.cpp, damage.cpp).
#include "game/player.h"

#include "config/key_bindings.h"

bool Player::held(int action, const std::uint8_t* keys) const {
    // A side outside 0..1 has no row of bindings: nothing counts as held.
    if (side < 0 || side > 1 || action < 0 || action >= actionSlots) return false;
    const std::uint16_t code = KeyBindings[side][action];
    // Unbound slots (0) and codes beyond the 256-entry key table are never held.
    if (code == 0 || code > 255) return false;
    return keys[code] != 0;
}

void Player::update(const std::uint8_t* keys) {
    // Facing: LEFT wins when both are held; the aim is mirrored with it.
    if (held(ActionLeft, keys))
        setFacing(1);
    else if (held(ActionRight, keys))
        setFacing(0);

    aimStep(keys);
    grappleKeyStep(keys);
    movementStep(keys);

    ++gunCooldown;
    ++swordTick;
    ++swordCooldown;

    weaponStep(keys);
    deathStep();
}

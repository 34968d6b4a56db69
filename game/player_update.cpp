// STUB: replaced by the movement, weapons, grapple and death steps.
#include "game/player.h"
void Player::update(const std::uint8_t*) {}
void Player::damage(int, int) {}
void Player::grappleControl(bool, bool) {}

// STUB: replaced by the player drawing.
#include "game/player.h"
void Player::draw(Renderer&) {}

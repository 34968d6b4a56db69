// STUB: replaced by the bullet step and hit zones.
#include "game/bullet.h"
Bullet::Bullet(float startX, float startY, int, int shooterSide)
    : dx(1), dy(0), x(startX), y(startY), shooter(shooterSide) {}
bool Bullet::step(bool) {
    return false;
}
void Bullet::draw(Renderer&) const {}

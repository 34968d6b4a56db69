// A bullet's flight, its hit zones on the target, and its pixel.
#include "game/bullet.h"

#include "app/app_state.h"
#include "game/game_events.h"
#include "game/player.h"
#include "graphics/renderer.h"

namespace {

struct Zone {
    int left, top, right, bottom; // inclusive
};

bool inside(float x, float y, const Zone& z) {
    return static_cast<float>(z.left) <= x && x <= static_cast<float>(z.right) &&
           static_cast<float>(z.top) <= y && y <= static_cast<float>(z.bottom);
}

} // namespace

Bullet::Bullet(float startX, float startY, int angleDegrees, int shooterSide)
    : x(startX), y(startY), shooter(shooterSide) {
    const PointF direction = unitVector(angleDegrees);
    dx = direction.x;
    dy = -direction.y; // angles count upward on a y-down screen
}

bool Bullet::step(bool hitTest) {
    x += dx;
    y += dy;
    // A bullet exactly on the right or bottom edge is still inside.
    if (x < 0.0f || y < 0.0f || x > static_cast<float>(playArea.right) ||
        y > static_cast<float>(playArea.bottom))
        return false;
    if (!hitTest) return true;

    Player& target = players[shooter == 0 ? 1 : 0];
    const Bounds b = target.hitBox();
    const int L = b.left, T = b.top, R = b.right, B = b.bottom;

    // Tested in this order; the zones overlap and the first one wins.
    const Zone head{L + 3, T + 3, R - 3, B + 2 - 2 * ((B - T - 3) / 3)};
    const int bodyTop = T + (B - T) / 3 - 2;
    const Zone body{L, bodyTop, R, B - (B - bodyTop) / 3};
    const Zone legs{L + 1, T + 2 * ((B - T) / 3), R - 1, B};

    if (inside(x, y, head)) {
        gameSound(SoundEffect::HitHead, target.side);
        target.damage(3, CauseHeadshot);
        return false;
    }
    if (inside(x, y, body)) {
        gameSound(SoundEffect::HitBody, target.side);
        target.damage(2, CauseBullet);
        return false;
    }
    if (inside(x, y, legs)) {
        gameSound(SoundEffect::HitLegs, target.side);
        target.damage(1, CauseBullet);
        return false;
    }
    return true;
}

BulletPixel Bullet::pixel() const {
    return {truncateToInt(x), truncateToInt(y)};
}

void drawBulletPixel(Renderer& renderer, BulletPixel pixel) {
    renderer.setPixel(pixel.x, pixel.y, rgb(255, 255, 255));
}

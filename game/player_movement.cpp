// Walking, jumping, gravity, bouncing off the other player, and the walls, floor
// and ceiling of the play area.
#include "game/player.h"

#include "app/app_state.h"
#include "game/game_events.h"
#include "game/game_state.h"

#include <cmath>
#include <limits>

namespace {

constexpr float walkAcceleration = 0.2f;
constexpr float snapFrom = 2.8f; // from here up to topSpeed, the next push snaps to topSpeed
constexpr float topSpeed = 3.0f;
constexpr float friction = 0.1f;

// A sum of two huge finite speeds (a huge gravity on a huge knock-back) would
// overflow to infinity; it saturates at the largest float instead, which the
// walls, floor and ceiling then stop like any other speed.
float saturatedSum(float a, float b) {
    const float sum = a + b;
    if (std::isfinite(sum)) return sum;
    constexpr float largest = std::numeric_limits<float>::max();
    return sum > 0.0f ? largest : -largest;
}

} // namespace

void Player::movementStep(PlayerInput input) {
    if (grappleState != GrappleNone) {
        grappleMovement();
        return;
    }

    const int fw = frameWidth();
    const int fh = frameHeight();

    if (onGround) {
        if (input.has(InputJump)) {
            onGround = 0;
            vy = jumpVelocity;
            gameSound(SoundEffect::Jump, side);
        }
        if (input.has(InputLeft)) {
            if (vx > -snapFrom)
                vx -= walkAcceleration;
            else if (vx > -topSpeed)
                vx = -topSpeed; // a faster leftward speed is left alone
        } else if (input.has(InputRight)) {
            if (vx < snapFrom)
                vx += walkAcceleration;
            else if (vx < topSpeed)
                vx = topSpeed;
        } else if (!input.has(InputJump)) {
            if (vx > 0.0f && vx < friction)
                vx = 0.0f;
            else if (vx > 0.0f)
                vx -= friction;
            else if (vx > -friction && vx < 0.0f)
                vx = 0.0f;
            else if (vx < 0.0f)
                vx += friction;
        }
    } else {
        vy = saturatedSum(vy, gravity);
    }

    Player& other = players[opponent];

    // Running into the other player: stop one pixel short of him and bounce back.
    x += vx;
    if (boxesOverlap(hitBox(), other.hitBox())) {
        if (vx > 0.0f)
            x = other.x - static_cast<float>(fw) - 1.0f;
        else
            x = other.x + static_cast<float>(fw) + 1.0f;
        vx = -vx;
    }

    // Landing on (or jumping into) him: a bounce, never a place to stand.
    y += vy;
    if (boxesOverlap(hitBox(), other.hitBox())) {
        if (vy > 0.0f)
            y = other.y - static_cast<float>(fh) - 1.0f;
        else
            y = other.y + static_cast<float>(fh) + 1.0f;
        vy = -vy;
    }

    const float rightLimit = static_cast<float>(playArea.right - fw);
    if (x <= 0.0f) {
        x = 0.0f;
        vx = 0.0f;
    } else if (x >= rightLimit) {
        x = rightLimit;
        vx = 0.0f;
    }

    const float floorLimit = static_cast<float>(playArea.bottom - fh);
    if (y >= floorLimit) {
        y = floorLimit;
        vy = 0.0f;
        onGround = 1;
    } else if (y <= 0.0f) {
        y = 0.0f;
        vy = 0.0f;
    }
}

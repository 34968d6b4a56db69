// Aiming, the sword (charge and strike) and the gun.
#include "game/player.h"

#include "app/frame.h"
#include "game/game_events.h"

#include <cmath>

namespace {

constexpr float aimStepDegrees = 1.5f;
// Absolute limits of the aim: straight up and down are never reached.
constexpr float aimRightUp = 89.0f;
constexpr float aimRightDown = -89.0f;
constexpr float aimLeftUp = 91.0f;
constexpr float aimLeftDown = 269.0f;

constexpr std::uint32_t gunCadence = 18;    // frames between shots
constexpr int muzzleSteps = 35;             // bullet steps from the centre to the muzzle
constexpr std::uint32_t swordRecovery = 50; // frames after a strike before charging
constexpr std::uint32_t framesPerChargePoint = 10;
constexpr std::int32_t maxSwordCharge = 30;
constexpr float swordReach = 50.0f;
constexpr int swingAnimationFrames = 6;

} // namespace

void Player::aimStep(PlayerInput input) {
    const bool up = input.has(InputAimUp);
    const bool down = !up && input.has(InputAimDown);
    if (up) {
        if (facing == 0) {
            if (aimAngle < aimRightUp) {
                aimAngle += aimStepDegrees;
                if (aimAngle > aimRightUp) aimAngle = aimRightUp;
            }
        } else if (aimAngle > aimLeftUp) {
            aimAngle -= aimStepDegrees;
            if (aimAngle < aimLeftUp) aimAngle = aimLeftUp;
        }
    } else if (down) {
        if (facing == 0) {
            if (aimAngle > aimRightDown) {
                aimAngle -= aimStepDegrees;
                if (aimAngle < aimRightDown) aimAngle = aimRightDown;
            }
        } else if (aimAngle < aimLeftDown) {
            aimAngle += aimStepDegrees;
            if (aimAngle > aimLeftDown) aimAngle = aimLeftDown;
        }
    }
    // Recomputed whenever a key is held, also at a limit; never otherwise.
    if (up || down) recomputeAimDirection();
}

void Player::weaponStep(PlayerInput input) {
    if (input.has(InputSword) && swordCooldown >= swordRecovery) {
        if (swordTick >= framesPerChargePoint && swordCharge < maxSwordCharge) {
            ++swordCharge;
            swordTick = 0;
            gameSound(SoundEffect::SwordCharge, side, swordCharge);
        }
    } else if (swordCharge > 0) {
        swordStrike();
    } else if (input.has(InputAttack) && gunCooldown >= gunCadence) {
        fireGun();
    }
}

void Player::swordStrike() {
    Player& other = players[opponent];
    const PointF c = centre();
    const PointF oc = other.centre();
    const Bounds box = other.hitBox();
    const float d = distance(c, clampToBox(c, box));
    gameSound(SoundEffect::SwordStrike, side);

    if (d <= swordReach) {
        int a = angleTo(c, oc);
        if (a >= 360) a -= 360;
        // Directions 31..149 (below the striker) are a blind cone.
        if (a >= 150 || a <= 30) {
            const float charge = static_cast<float>(swordCharge);
            gameSound(SoundEffect::SwordHit, other.side, swordCharge);
            other.damage(swordCharge, CauseSword);

            float knockX = 0.0f;
            float knockY = 0.0f;
            if (d > 0.0f) {
                knockX = charge * (oc.x - c.x) / d;
                knockY = charge * (oc.y - c.y) / d;
            }
            // From inside the opponent's box (d = 0), or so close that the quotient
            // overflows, the blow throws him away from the striker's centre at the
            // blow's charge, and straight up when the two centres coincide.
            if (d <= 0.0f || !std::isfinite(knockX) || !std::isfinite(knockY)) {
                const double apartX = static_cast<double>(oc.x) - c.x;
                const double apartY = static_cast<double>(oc.y) - c.y;
                const double apart = std::sqrt(apartX * apartX + apartY * apartY);
                if (apart > 0.0) {
                    knockX = static_cast<float>(charge * apartX / apart);
                    knockY = static_cast<float>(charge * apartY / apart);
                } else {
                    knockX = 0.0f;
                    knockY = -charge;
                }
            }
            other.knockBack(knockX, knockY);
        }
    }

    swingFrames = swingAnimationFrames;
    swordCharge = 0;
    swordCooldown = 0;
}

void Player::fireGun() {
    const PointF c = centre();
    bullets.emplace_back(c.x, c.y, truncateToInt(aimAngle), side);
    gameSound(SoundEffect::Shot, side);
    for (int i = 0; i < muzzleSteps; ++i) {
        // A bullet that leaves the play area before the muzzle is gone at once.
        if (!bullets.back().step(false)) {
            bullets.pop_back();
            break;
        }
    }
    gunCooldown = 0;
}

int Player::takeSwingFrame() {
    // A charging sword is held back: the swing neither shows nor counts down.
    if (swordCharge > 0 || swingFrames < 1) return 0;
    return swingFrames--;
}

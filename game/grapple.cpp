// The grappling hook: the key, the throw and the movement while a hook is out.
#include "game/player.h"

#include "app/app_state.h"
#include "game/game_events.h"

#include <cmath>

namespace {

constexpr std::int32_t framesToThrow = 20;
constexpr float wallTravelSpeed = 3.5f;
constexpr float pullSpeed = 3.0f;
constexpr float hookKnock = 3.0f;

bool strictlyInside(PointF p, const Bounds& b) {
    return static_cast<float>(b.left) < p.x && p.x < static_cast<float>(b.right) &&
           static_cast<float>(b.top) < p.y && p.y < static_cast<float>(b.bottom);
}

} // namespace

void Player::grappleKeyStep(PlayerInput input) {
    if (input.has(InputGrapple)) {
        if (grappleState == GrappleNone) {
            grappleControl(true, true);
            grappleKeyReleased = 0;
        } else if (grappleKeyReleased) {
            grappleControl(false, true);
        }
        // A hook out with the key held since the throw stays out.
    } else {
        grappleKeyReleased = 1;
        if (grappleState == GrappleNone && grappleCharge != 0) grappleCharge = 0;
    }
}

void Player::grappleControl(bool engage, bool byKey) {
    // While the sword is charged the key neither charges a throw nor drops a hook.
    if (byKey && swordCharge > 0) {
        grappleCharge = 0;
        return;
    }
    if (!engage) {
        // The hook is dropped; the speed of the last grapple move is kept.
        if (grappleState != GrappleNone) gameSound(SoundEffect::HookDropped, side);
        grappleCharge = 0;
        grappleState = GrappleNone;
        return;
    }
    if (++grappleCharge != framesToThrow) return;

    // The throw: a ray along the aim from the centre, to the opponent or the edge.
    hookVelX = aimDirX;
    hookVelY = aimDirY;
    Player& other = players[opponent];
    const Bounds target = other.hitBox();
    const float width = static_cast<float>(playArea.right);
    const float height = static_cast<float>(playArea.bottom);

    // From a point inside the play area the unit-length ray leaves it within W + H
    // steps; the cap only guards against a ray that makes no progress.
    const long long maxSteps = 2LL * (static_cast<long long>(playArea.right) + playArea.bottom) + 2;
    PointF p = centre();
    bool hit = false;
    for (long long i = 0; i <= maxSteps; ++i) {
        if (strictlyInside(p, target)) {
            hit = true;
            break;
        }
        if (!(0.0f < p.x && p.x < width && 0.0f < p.y && p.y < height)) break;
        p.x += hookVelX;
        p.y += hookVelY;
    }
    hookEndX = p.x;
    hookEndY = p.y;
    gameSound(SoundEffect::HookThrown, side);
    gameSound(hit ? SoundEffect::HookOpponent : SoundEffect::HookEdge, side);

    if (hit) {
        grappleState = GrappleOpponent;
        other.knockBack(hookVelX * hookKnock, hookVelY * hookKnock);
        grappleCharge = 0;
        onGround = 0;
    } else {
        hookVelX *= wallTravelSpeed;
        hookVelY *= wallTravelSpeed;
        grappleState = GrappleWall;
        grappleCharge = 0;
        onGround = 0;
        vx = hookVelX;
        vy = hookVelY;
    }
}

void Player::grappleMovement() {
    Player& other = players[opponent];
    if (grappleState == GrappleOpponent) {
        const PointF o = other.position();
        // Worked in double: the pull's length is 3 whatever the distance, and two
        // players at the same spot (only possible by placing them there) have no
        // direction between them, so the rope then holds the thrower still.
        const double apartX = static_cast<double>(o.x) - x;
        const double apartY = static_cast<double>(o.y) - y;
        const double d = std::sqrt(apartX * apartX + apartY * apartY);
        if (d > 0.0 && std::isfinite(d)) {
            hookVelX = static_cast<float>(apartX / d * pullSpeed);
            hookVelY = static_cast<float>(apartY / d * pullSpeed);
        } else {
            hookVelX = 0.0f;
            hookVelY = 0.0f;
        }
        const PointF end = other.centre();
        hookEndX = end.x;
        hookEndY = end.y;
        vx = hookVelX;
        vy = hookVelY;
    }

    const float fromX = x;
    const float fromY = y;
    x += hookVelX;
    y += hookVelY;
    // A move that would overlap the hooked opponent or cross an edge is undone whole
    // (back to the exact starting point, so a hanging player never creeps).
    const bool blocked =
        (grappleState == GrappleOpponent && boxesOverlap(hitBox(), other.hitBox())) ||
        x > static_cast<float>(playArea.right - frameWidth()) || x < 0.0f ||
        y > static_cast<float>(playArea.bottom - frameHeight()) || y < 0.0f;
    if (blocked) {
        x = fromX;
        y = fromY;
    }
}

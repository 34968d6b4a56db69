// Drawing one player: hit points, hero frame, rope, grapple charge, gun and sword.
#include "game/player.h"

#include "graphics/renderer.h"
#include "graphics/weapon_sprites.h"

#include <cmath>
#include <string>

namespace {

constexpr Colour black = rgb(0, 0, 0);
constexpr Colour white = rgb(255, 255, 255);
constexpr Colour red = rgb(255, 0, 0);
constexpr Colour orange = rgb(255, 120, 0);
constexpr Colour yellow = rgb(255, 255, 0);

constexpr std::uint8_t transparentBackground = 1;
constexpr std::uint8_t opaqueBackground = 0;

Colour hitPointColour(int hp, int maxHp) {
    // With no maximum the ratio is infinite or not a number: white while alive, red otherwise.
    if (maxHp == 0) return hp > 0 ? white : red;
    const float ratio = static_cast<float>(hp) / static_cast<float>(maxHp);
    if (ratio < 0.25f) return red;
    if (ratio < 0.5f) return orange;
    if (ratio < 0.75f) return yellow;
    return white;
}

// The sword held back while charging: 210 degrees facing right, 330 facing left.
struct HeldSword {
    int angle;
    float cos, sin;     // of the angle
    float cos25, sin25; // 25 pixels out: the sprite's centre
    float cos35, sin35; // 35 pixels out: where the charge line starts
};

constexpr HeldSword heldRight{210, -0.8660254f, -0.5f, -21.650635f, -12.5f, -30.310889f, -17.5f};
constexpr HeldSword heldLeft{330, 0.8660254f, -0.5f, 21.650635f, -12.5f, 30.310889f, -17.5f};

// The swing's angle for swingFrames s (6 down to 1).
int swingAngle(int facing, int s) {
    if (facing == 0) {
        const int a = 40 * s - 70;
        return a < 0 ? a + 360 : a;
    }
    return 250 - 40 * s;
}

} // namespace

void Player::draw(Renderer& renderer, int swingShown) const {
    // Hit points above the head.
    const std::string hitPoints = std::to_string(hp);
    renderer.drawText(hitPoints.c_str(), truncateToInt(x - 4), truncateToInt(y - 20),
                      transparentBackground, hitPointColour(hp, maxHp), black);

    // Hero frame: the left half of the bitmap facing right, the right half facing left.
    if (heroBitmap != nullptr) {
        const int fw = heroBounds.right >> 1;
        const int fh = heroBounds.bottom;
        renderer.drawMasked(heroBitmap, heroMask, truncateToInt(x), truncateToInt(y), facing * fw,
                            heroBounds.top, (facing + 1) * fw, fh);
    }

    const PointF c = centre();

    // Rope of an out grappling hook.
    if (grappleState != GrappleNone) {
        renderer.drawLine(truncateToInt(hookEndX), truncateToInt(hookEndY), truncateToInt(c.x),
                          truncateToInt(c.y), ropePen, opaqueBackground, black);
    }

    // Grapple throw charging: a line along the aim, shorter as the throw nears.
    if (grappleCharge != 0) {
        const int k = 20 - grappleCharge;
        const int ex = truncateToInt(static_cast<float>(4 * k) * aimDirX);
        const int ey = truncateToInt(static_cast<float>(4 * k) * aimDirY);
        renderer.drawLine(
            truncateToInt(c.x), truncateToInt(c.y), truncateToInt(c.x + static_cast<float>(ex)),
            truncateToInt(c.y + static_cast<float>(ey)), grappleChargePen, opaqueBackground, black);
    }

    // Gun at the relative aim, positive up, in either facing.
    if (facing == 0) {
        drawWeaponSprite(renderer, 0, truncateToInt(x - 5), truncateToInt(y - 10),
                         truncateToInt(aimAngle), SpriteGun);
    } else {
        drawWeaponSprite(renderer, 1, truncateToInt(x - 22), truncateToInt(y - 10),
                         truncateToInt(180.0f - aimAngle), SpriteGun);
    }

    // Sword: held back with its charge line, or one frame of the swing.
    const HeldSword& held = facing == 0 ? heldRight : heldLeft;
    if (swordCharge > 0) {
        drawWeaponSprite(renderer, 0, truncateToInt(c.x + held.cos25),
                         truncateToInt(c.y - held.sin25), held.angle, SpriteSword);
        const int k = swordCharge >> 1;
        const float kf = static_cast<float>(k);
        renderer.drawLine(truncateToInt(c.x + held.cos35), truncateToInt(c.y - held.sin35),
                          truncateToInt(c.x + held.cos35 + kf * held.cos),
                          truncateToInt(c.y - held.sin35 - kf * held.sin), swordChargePen,
                          opaqueBackground, black);
    } else if (swingShown >= 1) {
        const int a = swingAngle(facing, swingShown);
        const double r = a * 3.14159265358979323846 / 180.0;
        drawWeaponSprite(renderer, 0, truncateToInt(static_cast<float>(c.x + std::cos(r) * 25.0)),
                         truncateToInt(static_cast<float>(c.y - std::sin(r) * 25.0)), a,
                         SpriteSword);
    }
}

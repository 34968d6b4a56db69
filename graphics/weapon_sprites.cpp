// The rotated gun and sword tables: generated once at start-up under the loading
// dialog, drawn by table lookup during play, released at shutdown.
#include "graphics/weapon_sprites.h"

#include "graphics/loading_dialog.h"
#include "graphics/renderer.h"

BitmapHandle gunSprites[2][gunAngles];
BitmapHandle gunMasks[2][gunAngles];
BitmapHandle swordSprites[swordAngles];
BitmapHandle swordMasks[swordAngles];
SpriteSize gunSize;
SpriteSize swordSize;

namespace {

// Degrees to radians with pi/180 held in single precision.
constexpr float degreesToRadians = 0.017453292f;

double radiansOf(int degrees) {
    return static_cast<double>(static_cast<float>(degrees) * degreesToRadians);
}

SpriteSize sizeOf(const Renderer& renderer, BitmapHandle bitmap) {
    const Bounds b = renderer.bitmapBounds(bitmap);
    return {b.left, b.top, b.right + 1, b.bottom + 1};
}

constexpr int overallSteps = 1440; // 360 + 360 for the gun, 360 + 360 for the sword
constexpr int stageSteps = 360;

void generateGun(Renderer& renderer) {
    BitmapHandle gun = renderer.loadBitmap("gun.bmp");
    BitmapHandle gunMirror = renderer.mirrorBitmap(gun);
    if (gun != nullptr) {
        loading_dialog::setStageRange(stageSteps);
        gunSize = sizeOf(renderer, gun);
        const int pivotY = (gunSize.height >> 1) + 1;
        // The mirror turns about column W - 18 (one right of the exact mirror of 18).
        const int mirrorPivotX = gunSize.width - 18;

        loading_dialog::setStatus("Generating rotated gun images...");
        loading_dialog::setStagePosition(0);
        for (int angle = -90; angle <= 89; ++angle) {
            const int i = angle + 90;
            const double radians = radiansOf(angle);
            gunSprites[0][i] = renderer.rotateBitmap(gun, radians, 18, pivotY);
            gunSprites[1][i] = renderer.rotateBitmap(gunMirror, radians, mirrorPivotX, pivotY);
            loading_dialog::advance(2);
            loading_dialog::pump();
        }

        loading_dialog::setStatus("Generating masks for rotated gun images...");
        loading_dialog::setStagePosition(0);
        for (int i = 0; i < gunAngles; ++i) {
            gunMasks[0][i] = renderer.makeMask(gunSprites[0][i]);
            gunMasks[1][i] = renderer.makeMask(gunSprites[1][i]);
            loading_dialog::advance(2);
            loading_dialog::pump();
        }
    }
    deleteBitmap(gun);
    deleteBitmap(gunMirror);
}

void generateSword(Renderer& renderer) {
    BitmapHandle sword = renderer.loadBitmap("sword.bmp");
    if (sword == nullptr) return;
    swordSize = sizeOf(renderer, sword);

    loading_dialog::setStatus("Generating rotated sword images...");
    loading_dialog::setStageRange(stageSteps);
    loading_dialog::setStagePosition(0);
    for (int i = 0; i < swordAngles; ++i) {
        swordSprites[i] = renderer.rotateBitmap(sword, radiansOf(i - 90), 25, 25);
        loading_dialog::advance(1);
        loading_dialog::pump();
    }

    loading_dialog::setStatus("Generating masks for rotated sword images...");
    loading_dialog::setStagePosition(0);
    for (int i = 0; i < swordAngles; ++i) {
        swordMasks[i] = renderer.makeMask(swordSprites[i]);
        loading_dialog::advance(1);
        loading_dialog::pump();
    }
    deleteBitmap(sword);
}

// Wraps any whole-degree angle into [low, low + 360).
int wrapDegrees(int angle, int low) {
    long long offset = (static_cast<long long>(angle) - low) % 360;
    if (offset < 0) offset += 360;
    return static_cast<int>(low + offset);
}

} // namespace

void generateWeaponSprites(Renderer& renderer) {
    // Run once at start-up; a second run replaces the tables rather than leaking them.
    releaseWeaponSprites();

    loading_dialog::open(overallSteps);
    generateGun(renderer);
    generateSword(renderer);
    loading_dialog::close();
}

void drawWeaponSprite(Renderer& renderer, int facing, int x, int y, int angle, int kind) {
    if (kind == SpriteGun) {
        if (facing != 0 && facing != 1) return;
        // The caller keeps the angle within the table (-90..89 facing right, -89..90
        // facing left). An angle outside it (one set from the console without a
        // clamp) is wrapped to a direction and shown at the nearest angle the table
        // holds, so the gun stays in the player's hand.
        int i = wrapDegrees(angle, -180) + 90;
        if (facing == 1) i = 180 - i;
        if (i < 0) i = 0;
        if (i > gunAngles - 1) i = gunAngles - 1;
        // A missing image draws nothing.
        if (gunSprites[facing][i] == nullptr || gunMasks[facing][i] == nullptr) return;
        renderer.drawMasked(gunSprites[facing][i], gunMasks[facing][i], x, y, gunSize.left,
                            gunSize.top, gunSize.width, gunSize.height);
    } else if (kind == SpriteSword) {
        // The index is an absolute angle, so any value wraps to the same picture.
        const int i = wrapDegrees(angle, 0);
        if (swordSprites[i] == nullptr || swordMasks[i] == nullptr) return;
        renderer.drawMasked(swordSprites[i], swordMasks[i], x - (swordSize.width >> 1),
                            y - (swordSize.height >> 1), swordSize.left, swordSize.top,
                            swordSize.width, swordSize.height);
    }
    // Any other kind draws nothing.
}

void releaseWeaponSprites() {
    for (int i = 0; i < gunAngles; ++i) {
        for (int facing = 0; facing < 2; ++facing) {
            deleteBitmap(gunSprites[facing][i]);
            deleteBitmap(gunMasks[facing][i]);
            gunSprites[facing][i] = nullptr;
            gunMasks[facing][i] = nullptr;
        }
    }
    for (int i = 0; i < swordAngles; ++i) {
        deleteBitmap(swordSprites[i]);
        deleteBitmap(swordMasks[i]);
        swordSprites[i] = nullptr;
        swordMasks[i] = nullptr;
    }
    gunSize = {};
    swordSize = {};
}

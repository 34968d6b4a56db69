// One shot of a gun: moves one pixel per sub-step along a fixed direction.
#pragma once

#include <cstdint>

class Renderer;

// Where a bullet shows: its position, truncated, after a sub-step it survived.
struct BulletPixel {
    std::int32_t x;
    std::int32_t y;
};

struct Bullet {
    Bullet(float startX, float startY, int angleDegrees, int shooterSide);

    // Moves one step. False when the bullet left the play area or (with hit
    // testing on) hit the opposing player; the caller then removes it.
    bool step(bool hitTest);
    BulletPixel pixel() const;

    float dx;
    float dy;
    float x;
    float y;
    std::int32_t shooter;
};

// One white pixel.
void drawBulletPixel(Renderer& renderer, BulletPixel pixel);

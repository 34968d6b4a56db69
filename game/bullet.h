// One shot of a gun: moves one pixel per sub-step along a fixed direction.
#pragma once

#include <cstdint>

class Renderer;

struct Bullet {
    Bullet(float startX, float startY, int angleDegrees, int shooterSide);

    // Moves one step. False when the bullet left the play area or (with hit
    // testing on) hit the opposing player; the caller then removes it.
    bool step(bool hitTest);
    // One white pixel at the bullet's position.
    void draw(Renderer& renderer) const;

    float dx;
    float dy;
    float x;
    float y;
    std::int32_t shooter;
};

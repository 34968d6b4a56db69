// Every rotation of the gun and sword images, made once at start-up so that
// drawing a weapon during play is a table lookup and one masked draw.
#pragma once

#include "graphics/handles.h"

class Renderer;

enum SpriteKind : int {
    SpriteGun = 0,
    SpriteSword = 2,
};

constexpr int gunAngles = 180;   // -90 .. +89 degrees
constexpr int swordAngles = 360; // -90 .. +269 degrees

struct SpriteSize {
    int left, top, width, height;
};

extern BitmapHandle gunSprites[2][gunAngles];
extern BitmapHandle gunMasks[2][gunAngles];
extern BitmapHandle swordSprites[swordAngles];
extern BitmapHandle swordMasks[swordAngles];
extern SpriteSize gunSize;
extern SpriteSize swordSize;

// Fills the tables from "gun.bmp" and "sword.bmp" under the loading dialog.
void generateWeaponSprites(Renderer& renderer);
// Gun: angle relative to the facing (-90..89 facing right, -89..90 facing left),
// top-left corner at (x, y). Sword: angle is the table index 0..359, centred on (x, y).
void drawWeaponSprite(Renderer& renderer, int facing, int x, int y, int angle, int kind);
void releaseWeaponSprites();

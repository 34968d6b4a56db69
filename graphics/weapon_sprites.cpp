// STUB: replaced by the weapon sprite tables.
#include "graphics/weapon_sprites.h"
BitmapHandle gunSprites[2][gunAngles];
BitmapHandle gunMasks[2][gunAngles];
BitmapHandle swordSprites[swordAngles];
BitmapHandle swordMasks[swordAngles];
SpriteSize gunSize;
SpriteSize swordSize;
void generateWeaponSprites(Renderer&) {}
void drawWeaponSprite(Renderer&, int, int, int, int, int) {}
void releaseWeaponSprites() {}

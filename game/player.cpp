// Player construction, initialisation, release, accessors and setters, and the
// start of a new game.
#include "game/player.h"

#include "app/frame.h"
#include "game/game_state.h"
#include "graphics/renderer.h"

namespace {

constexpr float aimRight = 0.0f;
constexpr float aimLeft = 180.0f;

} // namespace

void Player::init(Renderer& renderer, float startX, float startY, int startFacing, int number) {
    loadArt(renderer);
    resetForNewGame(startX, startY, startFacing, number);
}

void Player::loadArt(Renderer& renderer) {
    // A player that already has his bitmap keeps it; a missing file is tried again
    // at every init.
    if (heroBitmap == nullptr) {
        heroBitmap = renderer.loadBitmap("hero.bmp");
        if (heroBitmap != nullptr) heroMask = renderer.makeMask(heroBitmap);
    }

    if (ropePen == nullptr) ropePen = createSolidPen(1, rgb(0, 255, 0));
    if (grappleChargePen == nullptr) grappleChargePen = createSolidPen(2, rgb(0, 0, 255));
    if (swordChargePen == nullptr) swordChargePen = createSolidPen(1, rgb(255, 0, 0));

    // A missing bitmap reports {0, 0, -1, -1}: the frame is then 0 x 0.
    heroBounds = renderer.bitmapBounds(heroBitmap);
    heroBounds.right += 1;
    heroBounds.bottom += 1;
}

void Player::resetForNewGame(float startX, float startY, int startFacing, int number) {
    if (maxHp <= 0) maxHp = 50;
    hp = maxHp;

    side = number - 1;
    opponent = side == 0 ? 1 : 0;

    x = startX;
    y = startY;
    onGround = 0;
    grappleState = GrappleNone;
    facing = startFacing;

    if (facing == 0) {
        aimAngle = aimRight;
        aimDirX = 1.0f;
    } else {
        aimAngle = aimLeft;
        aimDirX = -1.0f;
    }
    aimDirY = 0.0f;
    vy = 0.0f;
    vx = 0.0f;
    gunCooldown = swordTick = swordCooldown = 0;

    swordCharge = 0;
    swingFrames = 0;
    dead = 0;
    deathTimer = 0;
}

void Player::release() {
    deleteBitmap(heroBitmap);
    deleteBitmap(heroMask);
    deletePen(ropePen);
    deletePen(grappleChargePen);
    deletePen(swordChargePen);
    heroBitmap = heroMask = nullptr;
    ropePen = grappleChargePen = swordChargePen = nullptr;
}

void Player::setPosition(int newX, int newY) {
    x = static_cast<float>(newX);
    y = static_cast<float>(newY);
    vx = vy = 0.0f;
    onGround = 0;
}

FrameSize Player::frameSize() const {
    return {frameWidth(), frameHeight()};
}

void Player::recomputeAimDirection() {
    const PointF direction = unitVector(truncateToInt(aimAngle));
    aimDirX = direction.x;
    aimDirY = -direction.y;
}

void Player::setAimAngle(int relativeDegrees) {
    // Mirrored in double: 180 - a cannot overflow for any int a.
    double absolute = relativeDegrees;
    if (facing == 1) absolute = 180.0 - absolute;
    aimAngle = static_cast<float>(absolute);
    recomputeAimDirection();
}

int Player::relativeAimAngle() const {
    if (facing == 0) return truncateToInt(aimAngle);
    return truncateToInt(180.0f - aimAngle);
}

void Player::setFacing(int newFacing) {
    if (newFacing == facing) return;
    aimAngle = 180.0f - aimAngle; // mirrored: the relative aim stays the same
    recomputeAimDirection();
    facing = newFacing;
}

void Player::setJumpVelocity(float v) {
    jumpVelocity = v;
    if (v > 0.0f) jumpVelocity = -v;
}

PointF Player::centre() const {
    // The offsets come from the first player that asks and are kept for the run:
    // both players load the same "hero.bmp". They are part of the game state.
    if (!centreOffsets.taken) {
        centreOffsets.x = heroBounds.right >> 2;
        centreOffsets.y = heroBounds.bottom >> 1;
        centreOffsets.taken = 1;
    }
    return {x + static_cast<float>(centreOffsets.x), y + static_cast<float>(centreOffsets.y)};
}

void forgetCentreOffsets() {
    centreOffsets = CentreOffsets{};
}

Bounds Player::hitBox() const {
    const int left = truncateToInt(x);
    const int top = truncateToInt(y);
    return {left, top, left + frameWidth(), top + frameHeight()};
}

void Player::knockBack(float newVx, float newVy) {
    if (grappleState != GrappleNone) return;
    vx = newVx;
    vy = newVy;
    onGround = 0;
}

void initPlayersForNewGame() {
    players[0].init(renderer, 0.0f, 0.0f, 0, 1);
    players[1].init(renderer, 0.0f, 0.0f, 1, 2);
}

void restorePlayersFromSnapshot() {
    clearBulletsRequested = 1;
    // Angles before facings: the snapshot holds relative angles, set against the
    // facing init gave and then mirrored by setFacing.
    for (int i = 0; i < 2; ++i) players[i].setAimAngle(configSnapshot.players[i].aimAngle);
    for (int i = 0; i < 2; ++i) players[i].setFacing(configSnapshot.players[i].facing);
    for (int i = 0; i < 2; ++i)
        players[i].setPosition(configSnapshot.players[i].x, configSnapshot.players[i].y);
}

void restartGame() {
    initPlayersForNewGame();
    restorePlayersFromSnapshot();
}

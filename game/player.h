// One fighter. Exactly two live in `players`, indexed by side (0 for player 1).
#pragma once

#include "game/geometry.h"
#include "graphics/handles.h"

#include <cstdint>

class Renderer;

enum GrappleState : std::int32_t {
    GrappleNone = 0,
    GrappleWall = 1,
    GrappleOpponent = 2,
};

// Causes of lethal damage, as the death message names them.
enum DeathCause : std::int32_t {
    CauseBullet = 0,
    CauseHeadshot = 1,
    CauseSword = 2,
};

struct FrameSize {
    int width;
    int height;
};

class Player {
  public:
    Player() = default; // jumpVelocity -7.0, maxHp 0, no handles, everything else 0

    // Sets the player up for a new game; keeps what the command language configured.
    void init(Renderer& renderer, float x, float y, int facing, int number);
    // Deletes the hero bitmap, its mask and the three pens.
    void release();

    // Per-frame operations.
    void update(const std::uint8_t* keys); // movement, weapons, grapple, death
    void draw(Renderer& renderer);         // hit points, hero, rope, gun, sword
    void damage(int amount, int cause);
    void grappleControl(bool engage, bool byKey);
    void knockBack(float newVx, float newVy);

    // Accessors and setters used by start-up, the command language and the snapshot.
    void setPosition(int newX, int newY);
    PointF position() const { return {x, y}; }
    FrameSize frameSize() const;
    void setMaxHp(int n) { maxHp = n; }
    void refillHp() { hp = maxHp; }
    void setHp(int n) { hp = n; }
    void setAimAngle(int relativeDegrees);
    int relativeAimAngle() const;
    void setFacing(int newFacing);
    int currentFacing() const { return facing; }
    void setJumpVelocity(float v);

    // Geometry shared by the game code.
    PointF centre() const;
    Bounds hitBox() const;
    int frameWidth() const { return heroBounds.right >> 1; }
    int frameHeight() const { return heroBounds.bottom; }

    // State, in the order of the record. Public: the game code and the tests read it.
    float x{};
    float y{};
    float vx{};
    float vy{};
    float jumpVelocity{-7.0f};
    float aimAngle{};
    float aimDirX{};
    float aimDirY{};
    float hookVelX{}, hookVelY{};
    float hookEndX{}, hookEndY{};
    PenHandle ropePen{};
    PenHandle grappleChargePen{};
    PenHandle swordChargePen{};
    std::uint8_t onGround{};
    std::int32_t grappleState{};
    std::int32_t grappleCharge{};
    std::uint8_t grappleKeyReleased{};
    std::int32_t swordCharge{};
    std::int32_t swingFrames{};
    BitmapHandle heroBitmap{};
    BitmapHandle heroMask{};
    Bounds heroBounds{};
    std::int32_t facing{};
    std::uint32_t gunCooldown{};
    std::uint32_t swordTick{};
    std::uint32_t swordCooldown{};
    std::int32_t hp{};
    std::int32_t maxHp{};
    std::int32_t side{};
    std::int32_t opponent{};
    std::uint8_t dead{};
    std::int32_t deathTimer{};
    std::int32_t deathCause{};

  private:
    // Steps of update(), in their order (player_movement.cpp, player_weapons.cpp,
    // grapple.cpp, damage.cpp).
    bool held(int action, const std::uint8_t* keys) const;
    void aimStep(const std::uint8_t* keys);
    void grappleKeyStep(const std::uint8_t* keys);
    void movementStep(const std::uint8_t* keys);
    void grappleMovement();
    void weaponStep(const std::uint8_t* keys);
    void swordStrike();
    void fireGun();
    void deathStep();
    void recomputeAimDirection();
};

// The two fighters: players[0] is player 1, players[1] is player 2.
extern Player players[2];

// Begins a new game from the configuration snapshot (after a death, RESTART, RESET).
void restartGame();

// The death handling splits restartGame around its clearing of the keys: first
// both players are initialised, then the snapshot is restored.
void initPlayersForNewGame();
void restorePlayersFromSnapshot();

// Tests that switch between hero bitmaps of different sizes forget the cached
// centre offsets (the game itself takes them once per run).
void forgetCentreOffsets();

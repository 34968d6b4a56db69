// One fighter. Exactly two live in `players`, indexed by side (0 for player 1).
#pragma once

#include "game/geometry.h"
#include "game/player_input.h"
#include "game/player_state.h"
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

// The game fields (PlayerState) are public: the game code and the tests read them.
class Player : public PlayerState {
  public:
    Player() = default; // jumpVelocity -7.0, maxHp 0, no handles, everything else 0

    // Sets the player up for a new game; keeps what the command language configured.
    // init loads the hero bitmap and pens when missing, then resets the game fields.
    void init(Renderer& renderer, float x, float y, int facing, int number);
    void loadArt(Renderer& renderer); // a missing bitmap is tried again; sets heroBounds
    void resetForNewGame(float x, float y, int facing, int number); // game fields only
    // Deletes the hero bitmap, its mask and the three pens.
    void release();

    // Per-frame operations.
    void update(PlayerInput input); // movement, weapons, grapple, death
    // Hit points, hero, rope, gun and sword; `swingShown` is the swing frame the
    // simulation counted down this frame (0 for none). Changes nothing.
    void draw(Renderer& renderer, int swingShown) const;
    void damage(int amount, int cause);
    void grappleControl(bool engage, bool byKey);
    void knockBack(float newVx, float newVy);
    // The swing frame to show this frame (0 for none, or while the sword charges),
    // counted down: the simulation takes it once per frame after the updates.
    int takeSwingFrame();

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

    // Drawing resources: outside the game state, kept across new games.
    PenHandle ropePen{};
    PenHandle grappleChargePen{};
    PenHandle swordChargePen{};
    BitmapHandle heroBitmap{};
    BitmapHandle heroMask{};

  private:
    // Steps of update(), in their order (player_movement.cpp, player_weapons.cpp,
    // grapple.cpp, damage.cpp).
    void aimStep(PlayerInput input);
    void grappleKeyStep(PlayerInput input);
    void movementStep(PlayerInput input);
    void grappleMovement();
    void weaponStep(PlayerInput input);
    void swordStrike();
    void fireGun();
    void deathStep();
    void recomputeAimDirection();
};

// The two fighters: players[0] is player 1, players[1] is player 2.
extern Player players[2];

// Begins a new game from the configuration snapshot (after a death, RESTART, RESET).
void restartGame();

// restartGame's two halves: both players initialised (art included), then the
// snapshot restored. A death in a frame does the same without touching the art.
void initPlayersForNewGame();
void restorePlayersFromSnapshot();

// Tests that switch between hero bitmaps of different sizes forget the cached
// centre offsets (the game itself takes them once per run).
void forgetCentreOffsets();

// The game's sound effects: the events the game raises where it decides them, the
// volume, and the start and stop of the mixer and the platform's audio output.
// Raising an event changes no game state: the simulation never reads anything back.
#pragma once

#include <cstdint>

// One effect for each thing a player should hear.
enum class SoundEffect : std::uint8_t {
    Shot,         // a bullet fired
    HitHead,      // a bullet in the head zone
    HitBody,      // a bullet in the body zone
    HitLegs,      // a bullet in the legs zone
    SwordCharge,  // one more charge point; the pitch rises with the charge
    SwordStrike,  // the sword swung, hit or miss
    SwordHit,     // the blow landed
    HookThrown,   // the hook leaves the thrower
    HookOpponent, // the hook caught the opponent
    HookEdge,     // the hook caught the edge of the play area
    HookDropped,  // a hook that was out is let go (key or sword hit)
    Jump,         // a jump from the floor
    Death,        // a death, just before its message box
};
constexpr int soundEffectCount = 13;

// What the game raised: the effect, the side of the player it belongs to (0 or 1;
// the mixer places player 1 to the left and player 2 to the right), and a level
// (the sword's charge for SwordCharge and SwordHit, 0 otherwise).
struct SoundEvent {
    SoundEffect effect;
    std::int8_t side;
    std::uint8_t level;
    bool operator==(const SoundEvent&) const = default;
};

// Raises an effect; called by the game code on the game thread. It only posts the
// event to the mixer (and to the listener, when one is set); nothing is read back.
void raiseSound(SoundEffect effect, int side, int level = 0);

// Raises an effect with an id of the caller's (not 0) that cutSound() can end: for
// sounds that later frames may take back. Otherwise as raiseSound().
void raiseTaggedSound(SoundEffect effect, int side, int level, std::uint32_t id);
// Cuts short every sound raised with `id`: it fades out within a few milliseconds
// (at once if it has not sounded yet). An id that ended or never sounded is
// harmless; 0 (untagged) cuts nothing.
void cutSound(std::uint32_t id);

// Called with every raised event when set (the headless layer records them).
extern void (*soundListener)(const SoundEvent& event);
// When set: called after soundListener with every event raised with an id, and
// with the id of every cut.
extern void (*taggedSoundListener)(const SoundEvent& event, std::uint32_t id);
extern void (*soundCutListener)(std::uint32_t id);

// Master volume, 0 (silent) to 100; RESTART and RESET leave it alone.
constexpr int defaultSoundVolume = 70;
void setSoundVolume(int percent); // values outside 0..100 are ignored
int soundVolume();

// Synthesises the effects (once per process) and starts the platform's audio
// output. With no audio device the game stays silent and nothing is reported.
void startSound();
// Stops the audio output; sounds still playing are cut.
void stopSound();

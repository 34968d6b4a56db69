// One tick of the game: console key, inputs, simulation, its sounds and death
// boxes, drawing, present.
//
// The simulation (game/simulation.h) is a function of the game state and the two
// inputs; it draws, plays and shows nothing. A death box opens in the middle of a
// frame, after the dying player's update: the simulation calls back at that point
// (showDeathBox), and this driver plays the frame's sounds so far, shows the box and
// clears the keys (the box swallowed their releases) before the simulation goes on.
// The rest of the frame then runs as it always did after the box: both players reset
// from the snapshot, and player 2's update, when player 1 died, with no key held
// (the simulation empties that input itself, so that a replay does the same).
#include "app/frame.h"

#include "app/app_state.h"
#include "app/gamepads.h"
#include "app/key_state.h"
#include "app/platform.h"
#include "config/console.h"
#include "game/key_input.h"
#include "game/player.h"
#include "game/simulation.h"
#include "graphics/renderer.h"
#include "net/online_match.h"
#include "sound/sound.h"

#include <cstddef>

FrameHooks frameHooks;

namespace {

// Reused from frame to frame: a frame with many bullets allocates nothing.
FrameEvents frameEvents;

// Sounds of the current frame already played (the ones before a death box).
std::size_t soundsPlayed = 0;

void playSounds(const FrameEvents& events, std::size_t upTo) {
    for (; soundsPlayed < upTo && soundsPlayed < events.sounds.size(); ++soundsPlayed) {
        const SoundEvent& e = events.sounds[soundsPlayed];
        raiseSound(e.effect, e.side, e.level);
    }
}

void showDeathBox(const FrameDeath& death) {
    showMessageBox(mainWindow, death.message.text.c_str(), death.message.caption.c_str(),
                   death.message.style);
    clearKeyState();
}

void showDeathBoxNow(const FrameEvents& soFar) {
    // Heard as the box opens; while it is open no frame runs, so nothing new starts.
    const FrameDeath& death = soFar.deaths.back();
    playSounds(soFar, death.soundsBefore);
    showDeathBox(death);
}

// A new game after a death keeps the players' art, but a hero bitmap that was
// missing is looked for again, as every new game does. Only a bitmap found now
// changes the frame size: a state loaded from elsewhere keeps its own otherwise.
void retryMissingArt() {
    for (Player& p : players) {
        if (p.heroBitmap != nullptr) continue;
        const Bounds kept = p.heroBounds;
        p.loadArt(renderer);
        if (p.heroBitmap == nullptr) p.heroBounds = kept;
    }
}

} // namespace

void playFrameEvents(const FrameEvents& events, bool showBoxes) {
    soundsPlayed = 0;
    for (const FrameDeath& death : events.deaths) {
        playSounds(events, death.soundsBefore);
        if (showBoxes) showDeathBox(death);
    }
    playSounds(events, events.sounds.size());
}

void drawFrame(const FrameEvents& events) {
    for (const BulletPixel& pixel : events.bulletPixels) drawBulletPixel(renderer, pixel);
    players[0].draw(renderer, events.swingShown[0]);
    players[1].draw(renderer, events.swingShown[1]);
}

void runFrame() {
    // The death phrases' generator is seeded once, before the first frame can pick
    // a phrase (or a console session capture the state).
    if (!deathPhrases.seeded()) deathPhrases.seed(tickCount());

    // The pads' levels first, so that everything below sees them as it sees keys.
    pollGamepads();

    // During an online match the match runs the frame.
    if (runOnlineFrame()) return;

    // The key that types a backtick on the current layout, looked up every frame.
    // Opening the console clears keyState, so this frame's inputs hold no key.
    if (keyState[keyForCharacter('`')] != 0) openConsole();
    if (frameHooks.betweenFrames) frameHooks.betweenFrames();

    FrameInput input = frameInputFromKeys(keyState);
    if (frameHooks.input) frameHooks.input(input);

    soundsPlayed = 0;
    simulateFrame(input, frameEvents, frameHooks.showDeathBoxes ? showDeathBoxNow : nullptr);
    playSounds(frameEvents, frameEvents.sounds.size());
    if (!frameEvents.deaths.empty()) retryMissingArt();

    drawFrame(frameEvents);
    renderer.present(1);

    if (frameHooks.afterFrame) frameHooks.afterFrame(frameEvents);
}

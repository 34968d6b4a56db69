// One tick of the game: console key, player updates, bullets, player drawing, present.
#include "app/frame.h"

#include "app/gamepads.h"
#include "app/key_state.h"
#include "app/platform.h"
#include "config/console.h"
#include "game/player.h"
#include "graphics/renderer.h"

#include <cstddef>

std::uint8_t clearBulletsRequested = 0;

namespace {

// Moves every bullet up to six sub-steps, drawing it after each one it survives.
// A bullet removed at sub-step k has been drawn k - 1 times. The list is compacted
// in one pass, so survivors keep their order and removing many bullets in one
// frame costs no more than removing one; nothing is allocated.
void stepAndDrawBullets() {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < bullets.size(); ++i) {
        Bullet bullet = bullets[i];
        bool alive = true;
        for (int s = 0; s < bulletStepsPerFrame; ++s) {
            if (!bullet.step(true)) {
                alive = false;
                break;
            }
            bullet.draw(renderer);
        }
        if (alive) bullets[kept++] = bullet;
    }
    bullets.erase(bullets.begin() + static_cast<std::ptrdiff_t>(kept), bullets.end());
}

} // namespace

void runFrame() {
    // The pads' levels first, so that everything below sees them as it sees keys.
    pollGamepads();

    // The key that types a backtick on the current layout, looked up every frame.
    // Opening the console clears keyState, so this frame's updates see no key down.
    if (keyState[keyForCharacter('`')] != 0) openConsole();

    players[0].update(keyState);
    players[1].update(keyState);

    stepAndDrawBullets();

    if (clearBulletsRequested) {
        clearBulletsRequested = 0;
        bullets.clear();
    }

    players[0].draw(renderer);
    players[1].draw(renderer);

    renderer.present(1);
}

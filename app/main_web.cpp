// The web program: the game window is the page's canvas. Start-up as in the Windows
// program, then the main loop, which waits on the page instead of blocking it.
#include "app/app_state.h"
#include "app/frame.h"
#include "app/frame_pacing.h"
#include "app/page_web.h"
#include "app/startup.h"
#include "graphics/software_surfaces.h"

namespace {

// The canvas is the game window; it does not change size after start-up.
WindowObject canvasWindow;

// One frame per 10 ms slice while the page is active; nothing at all while it is
// hidden or without the keyboard focus. The pacer starts its cadence afresh after
// such a pause, so no burst of missed frames follows it.
//
// The page handles its events (keys, repaints) only while the loop waits, so every
// frame is preceded by a wait: the sleep until its slice begins, or, when frames take
// a whole slice or more (a slow machine, a very large window) and there is nothing to
// sleep, a turn given to the page at once. All waiting events are thus handled before
// each frame, as the Windows program's loop handles its messages.
void runMainLoop() {
    FramePacer pacer;
    bool waited = true;
    while (!page::quitRequested()) {
        if (!isActive) {
            page::waitUntilActive();
            waited = true;
            continue;
        }
        const std::uint32_t pause = pacer.millisecondsUntilFrame(page::microseconds());
        if (pause) {
            page::sleep(pause);
            waited = true;
            continue;
        }
        if (!waited) {
            page::yield();
            // What the page handled meanwhile may have ended or paused the game.
            if (page::quitRequested() || !isActive) continue;
        }
        page::frameStarted();
        runFrame();
        page::frameEnded();
        waited = false;
    }
}

} // namespace

int main() {
    const page::CanvasSize size = page::canvasSize();
    canvasWindow.width = size.width;
    canvasWindow.height = size.height;
    mainWindow = &canvasWindow;
    page::attach(canvasWindow);

    startGame(mainWindow);
    page::showGame();

    runMainLoop();

    shutdownGame();
    page::showEnded();
    return 0;
}

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
void runMainLoop() {
    FramePacer pacer;
    while (!page::quitRequested()) {
        if (!isActive) {
            page::waitUntilActive();
            continue;
        }
        const std::uint32_t pause = pacer.millisecondsUntilFrame(page::microseconds());
        if (pause) {
            page::sleep(pause);
            continue;
        }
        page::frameStarted();
        runFrame();
        page::frameEnded();
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

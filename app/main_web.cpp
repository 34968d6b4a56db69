// The web program: the game window is the page's canvas. Start-up as in the Windows
// program, then the main loop, which waits on the page instead of blocking it.
#include "app/app_state.h"
#include "app/frame.h"
#include "app/main_loop.h"
#include "app/page_web.h"
#include "app/startup.h"
#include "command/console_text.h"
#include "graphics/software_surfaces.h"
#include "net/online_match.h"
#include "net/websocket_web.h"

#include <string>

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
// sleep, a turn given to the page at once (frameDue). All waiting events are thus
// handled before each frame, as the Windows program's loop handles its messages.
bool waitedSinceFrame = true;

// A room link in the page's address (net/room_link.h) joins that room between frames,
// once the game runs, as if JOIN had been typed; its answer goes to the console.
void joinLinkedRoom() {
    net::RoomLink link;
    if (!takePageRoomLink(link)) return;
    const std::string answer =
        joinRelayMatch(link.relay + " " + std::string(relay::codeText(link.code)));
    insertConsoleText("Room link: " + answer + "\r\n");
}

// The page's events are handled while the loop waits; only the quit and a room link
// are left to take.
MainLoopHooks::Event takeEvent() {
    if (page::quitRequested()) return MainLoopHooks::Event::quit;
    joinLinkedRoom();
    return MainLoopHooks::Event::none;
}

void waitUntilActive() {
    page::waitUntilActive();
    waitedSinceFrame = true;
}

void sleepMilliseconds(std::uint32_t milliseconds) {
    page::sleep(milliseconds);
    waitedSinceFrame = true;
}

bool frameDue() {
    if (waitedSinceFrame) return true;
    page::yield();
    waitedSinceFrame = true;
    // What the page handled meanwhile may have ended or paused the game.
    return !page::quitRequested() && isActive;
}

void frameStarting() {
    page::frameStarted();
}

void frameEnded() {
    page::frameEnded();
    waitedSinceFrame = false;
}

void runGame() {
    MainLoopHooks hooks;
    hooks.takeEvent = takeEvent;
    hooks.waitForEvent = waitUntilActive;
    hooks.sleep = sleepMilliseconds;
    hooks.clock = page::microseconds;
    hooks.runFrame = runFrame;
    hooks.frameDue = frameDue;
    hooks.frameStarting = frameStarting;
    hooks.frameEnded = frameEnded;
    runMainLoop(hooks);
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

    runGame();

    shutdownGame();
    page::showEnded();
    return 0;
}

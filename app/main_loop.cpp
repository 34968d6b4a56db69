#include "app/main_loop.h"

#include "app/app_state.h"
#include "app/frame_pacing.h"
#include "net/online_match.h"

void runMainLoop(const MainLoopHooks& hooks) {
    FramePacer pacer;
    for (;;) {
        const MainLoopHooks::Event event = hooks.takeEvent();
        if (event == MainLoopHooks::Event::quit) return;
        if (event == MainLoopHooks::Event::handled) continue;
        // An online match goes on while the window is inactive (its keys released).
        if (!isActive && !onlineMatchActive()) {
            // Activation comes as an event, so frames resume on the next idle pass.
            hooks.waitForEvent();
            continue;
        }
        const std::uint32_t pause = pacer.millisecondsUntilFrame(hooks.clock());
        if (pause) {
            hooks.sleep(pause);
            continue;
        }
        if (hooks.frameDue != nullptr && !hooks.frameDue()) continue;
        if (hooks.frameStarting != nullptr) hooks.frameStarting();
        hooks.runFrame();
        pacer.delayNextSlice(onlinePacingStretchUs());
        if (hooks.frameEnded != nullptr) hooks.frameEnded();
    }
}

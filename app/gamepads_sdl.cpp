// The desktop layer's pads: SDL's game controllers, laid out by SDL's database of
// controller mappings (a user can add mappings of his own with SDL's
// SDL_GAMECONTROLLERCONFIG variable). The subsystem starts when the first frame asks
// for the pads. Controllers are looked for at every frame, so one plugged in plays from
// the next frame (also one plugged in while the game waited for an event: no frame ran,
// and the next finds it); pad 1 is the first found and pad 2 the second, and each keeps
// its number until it is pulled out, whatever happens to the other.
#include "app/gamepads_sdl.h"
#include "app/gamepads.h"

#include <SDL.h>

namespace {

bool startTried = false;
bool started = false;
SDL_GameController* controllers[padCount] = {};
PadSlots slots; // by joystick instance id

void start() {
    startTried = true;
    // The pads are read, and plugged-in or pulled-out ones noticed, by the update at
    // every frame (readGamepads). Left to SDL, its event waiting would update them
    // too, and to do so would wake every millisecond once a pad is plugged in: the
    // paused game and the console would spin instead of sleeping until an event.
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void closePad(int pad) {
    SDL_GameControllerClose(controllers[pad]);
    controllers[pad] = nullptr;
    slots.releasePad(pad);
}

// Frees the pads whose controller was pulled out.
void dropDetached() {
    for (int p = 0; p < padCount; ++p)
        if (controllers[p] && !SDL_GameControllerGetAttached(controllers[p])) closePad(p);
}

// Gives the free pads to controllers that have none, in SDL's device order.
void openAttached() {
    if (slots.taken(0) && slots.taken(1)) return;
    const int count = SDL_NumJoysticks();
    for (int device = 0; device < count; ++device) {
        if (!SDL_IsGameController(device)) continue;
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
        if (id < 0 || slots.find(id) >= 0) continue;
        const int pad = slots.claim(id);
        if (pad < 0) return; // both pads taken
        controllers[pad] = SDL_GameControllerOpen(device);
        if (!controllers[pad]) {
            slots.releasePad(pad);
            continue;
        }
        SDL_GameControllerSetPlayerIndex(controllers[pad], pad); // its player light
    }
}

PadState stateOf(SDL_GameController* controller) {
    struct Button {
        SDL_GameControllerButton sdl;
        PadControl control;
    };
    static constexpr Button buttons[] = {
        {SDL_CONTROLLER_BUTTON_A, PadA},
        {SDL_CONTROLLER_BUTTON_B, PadB},
        {SDL_CONTROLLER_BUTTON_X, PadX},
        {SDL_CONTROLLER_BUTTON_Y, PadY},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PadLB},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PadRB},
        {SDL_CONTROLLER_BUTTON_BACK, PadBack},
        {SDL_CONTROLLER_BUTTON_START, PadStart},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, PadUp},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadDown},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadLeft},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadRight},
    };
    PadState pad;
    pad.connected = true;
    for (const Button& button : buttons)
        if (SDL_GameControllerGetButton(controller, button.sdl))
            pad.buttons |= padButton(button.control);
    // Triggers run from 0 to 32767; the stick's y axis is positive downward.
    pad.leftTrigger =
        padAxisFromSteps(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
    pad.rightTrigger =
        padAxisFromSteps(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    pad.stickX = padAxisFromSteps(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    pad.stickY =
        -padAxisFromSteps(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    return pad;
}

} // namespace

void readGamepads(PadState pads[padCount]) {
    if (!startTried) start();
    if (!started) return;
    // Reads the devices and notices those plugged in or pulled out, whether or not the
    // layer's event loop ran since the last frame.
    SDL_GameControllerUpdate();
    dropDetached();
    openAttached();
    for (int p = 0; p < padCount; ++p)
        if (controllers[p]) pads[p] = stateOf(controllers[p]);
}

void closeGamepads() {
    for (int p = 0; p < padCount; ++p)
        if (controllers[p]) closePad(p);
    if (started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    startTried = false;
    started = false;
}

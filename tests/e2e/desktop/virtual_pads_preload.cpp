// Pads for the desktop program's end-to-end tests, where no real pad can be plugged in:
// loaded into the game with LD_PRELOAD, it plugs in SDL virtual controllers, which SDL
// maps and reports as it does real ones. Nothing of it is in the program.
//
// When the game starts SDL's game controller subsystem (its first frame), pad 1 is
// plugged in, at rest. When a byte is written to the named pipe
// BRAWLEX_TEST_PAD_FIFO, pad 2 is plugged in with its d-pad held left: from another
// thread, as a pad comes while the game waits for an event. Each is reported on
// standard error ("virtual pad N plugged in").
#include <SDL.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

void plugIn(int number, bool leftHeld) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Brawlex test pad";
    const int device = SDL_JoystickAttachVirtualEx(&desc);
    SDL_Joystick* joystick = device >= 0 ? SDL_JoystickOpen(device) : nullptr;
    if (joystick == nullptr) {
        std::fprintf(stderr, "virtual pad %d: %s\n", number, SDL_GetError());
        return;
    }
    // The triggers at rest at the low end of their joystick axes, as a pad reports
    // them (SDL takes the first values as the rest state). The joystick stays open for
    // the life of the process, so its values hold.
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    if (leftHeld) SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
    std::fprintf(stderr, "virtual pad %d plugged in\n", number);
    std::fflush(stderr);
}

void secondPadOnSignal(const char* fifo) {
    // Opening a pipe for reading blocks, without using the processor, until the test
    // opens it for writing.
    const int fd = open(fifo, O_RDONLY);
    if (fd < 0) return;
    char byte = 0;
    const bool signalled = read(fd, &byte, 1) == 1;
    close(fd);
    if (signalled) plugIn(2, true);
}

} // namespace

extern "C" int SDL_InitSubSystem(Uint32 flags) {
    using InitSubSystem = int (*)(Uint32);
    static const auto real = reinterpret_cast<InitSubSystem>(dlsym(RTLD_NEXT, "SDL_InitSubSystem"));
    static bool plugged = false;
    const int result = real(flags);
    if (result == 0 && (flags & SDL_INIT_GAMECONTROLLER) != 0 && !plugged) {
        plugged = true;
        plugIn(1, false);
        if (const char* fifo = std::getenv("BRAWLEX_TEST_PAD_FIFO"))
            std::thread(secondPadOnSignal, fifo).detach();
    }
    return result;
}

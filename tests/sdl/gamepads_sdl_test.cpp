// The desktop layer's pads, driven through SDL's virtual controllers: SDL maps them as
// it maps a real pad, so this runs the layer's reading, its hotplug and its numbering of
// the pads against SDL itself, where no real pad can be plugged in.
#include "app/gamepads.h"
#include "app/gamepads_sdl.h"
#include "app/key_state.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

// One virtual controller, plugged in for the life of the object (or until pulled out).
class VirtualPad {
  public:
    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Brawlex test pad";
        const int device = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(device, 0) << SDL_GetError();
        id = SDL_JoystickGetDeviceInstanceID(device);
        joystick = SDL_JoystickOpen(device);
        EXPECT_NE(joystick, nullptr) << SDL_GetError();
        // At rest, as a pad reports itself when plugged in: the triggers' joystick axes
        // at their low end. (SDL takes the first values it gets as the rest state.)
        trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0.0);
        trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.0);
        SDL_JoystickUpdate();
    }
    ~VirtualPad() { pullOut(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    void button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
    }
    void axis(SDL_GameControllerAxis axis, Sint16 value) {
        SDL_JoystickSetVirtualAxis(joystick, axis, value);
    }
    // SDL maps a trigger's whole joystick axis (-32768 to 32767) onto its travel.
    void trigger(SDL_GameControllerAxis axis, double travel) {
        SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(travel * 65535.0 - 32768.0));
    }
    void pullOut() {
        if (!joystick) return;
        SDL_JoystickClose(joystick);
        joystick = nullptr;
        for (int device = 0; device < SDL_NumJoysticks(); ++device)
            if (SDL_JoystickGetDeviceInstanceID(device) == id) SDL_JoystickDetachVirtual(device);
    }

  private:
    SDL_JoystickID id = -1;
    SDL_Joystick* joystick = nullptr;
};

class SdlGamepadsTest : public ::testing::Test {
  protected:
    SdlGamepadsTest() {
        // The subsystem the layer starts by itself; started here too so that virtual
        // pads can be plugged in before the first read.
        EXPECT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        std::memset(keyState, 0, sizeof keyState);
    }
    ~SdlGamepadsTest() override {
        closeGamepads();
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    // One frame's pads, read into keyState as the frame step does.
    static void frame() { pollGamepads(); }
    static bool held(int pad, PadControl control) {
        return keyState[padKeyCodes[pad][control]] != 0;
    }
    static int heldCount(int pad) {
        int count = 0;
        for (int c = 0; c < padControlCount; ++c) count += held(pad, PadControl(c));
        return count;
    }
    static PadState read(int pad) {
        PadState pads[padCount] = {};
        readGamepads(pads);
        return pads[pad];
    }
};

TEST_F(SdlGamepadsTest, NoPadReadsAsAllReleased) {
    EXPECT_FALSE(read(0).connected);
    EXPECT_FALSE(read(1).connected);
    keyState[padKeyCodes[0][PadA]] = 1; // a stale level
    frame();
    EXPECT_EQ(heldCount(0), 0);
}

TEST_F(SdlGamepadsTest, APadPluggedInWhileRunningIsReadFromTheNextFrame) {
    frame(); // the layer is running before the pad comes
    VirtualPad pad;
    frame(); // the next frame has it, at rest
    EXPECT_TRUE(read(0).connected);
    EXPECT_FALSE(read(1).connected);
    EXPECT_EQ(heldCount(0), 0);
    pad.button(SDL_CONTROLLER_BUTTON_A, true);
    pad.button(SDL_CONTROLLER_BUTTON_START, true);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    pad.button(SDL_CONTROLLER_BUTTON_RIGHTSTICK, true); // no name: never read
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -20000);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 20000); // SDL's y grows downward
    pad.trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 1.0 / 3.0);
    pad.trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 2.0 / 3.0);
    frame();
    EXPECT_TRUE(held(0, PadA));
    EXPECT_TRUE(held(0, PadStart));
    EXPECT_TRUE(held(0, PadLeft));
    EXPECT_TRUE(held(0, PadStickLeft));
    EXPECT_TRUE(held(0, PadStickDown));
    EXPECT_FALSE(held(0, PadLT));
    EXPECT_TRUE(held(0, PadRT));
    EXPECT_EQ(heldCount(0), 6);
    EXPECT_EQ(heldCount(1), 0);

    // Inside the dead zone, and everything let go.
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 6000);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -6000);
    pad.button(SDL_CONTROLLER_BUTTON_A, false);
    pad.button(SDL_CONTROLLER_BUTTON_START, false);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    pad.trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.0);
    frame();
    EXPECT_EQ(heldCount(0), 0);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    pad.button(SDL_CONTROLLER_BUTTON_Y, true);
    frame();
    EXPECT_TRUE(held(0, PadStickUp));
    EXPECT_TRUE(held(0, PadY));
}

TEST_F(SdlGamepadsTest, APadPulledOutLetsGoAndTheOtherKeepsItsNumber) {
    VirtualPad first;
    VirtualPad second;
    first.button(SDL_CONTROLLER_BUTTON_B, true);
    second.button(SDL_CONTROLLER_BUTTON_X, true);
    frame();
    EXPECT_TRUE(held(0, PadB));
    EXPECT_TRUE(held(1, PadX));

    first.pullOut(); // while its button is held
    frame();
    EXPECT_EQ(heldCount(0), 0);
    EXPECT_TRUE(held(1, PadX));

    VirtualPad third; // takes the free pad 1
    third.button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    frame();
    EXPECT_TRUE(held(0, PadLB));
    EXPECT_TRUE(held(1, PadX));

    VirtualPad fourth; // no pad left for it
    fourth.button(SDL_CONTROLLER_BUTTON_A, true);
    frame();
    EXPECT_FALSE(held(0, PadA));
    EXPECT_FALSE(held(1, PadA));
}

} // namespace

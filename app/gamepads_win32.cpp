// The Windows layer's pads: XInput, loaded from the system folder when the first frame
// asks for the pads. xinput1_4.dll comes with Windows 8 and later, xinput9_1_0.dll with
// Windows Vista and 7; without either the game plays on the keyboard alone. Pad 1 is
// XInput's user 0 (the pad whose ring lights its first quarter), pad 2 user 1.
#include "app/gamepads_win32.h"
#include "app/gamepads.h"
#include "app/platform.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

// XINPUT_GAMEPAD and XINPUT_STATE as XInput lays them out; declared here so that the
// build needs neither xinput.h nor an import library.
struct XInputGamepad {
    WORD buttons;
    BYTE leftTrigger;
    BYTE rightTrigger;
    SHORT thumbLX;
    SHORT thumbLY;
    SHORT thumbRX;
    SHORT thumbRY;
};
struct XInputState {
    DWORD packetNumber;
    XInputGamepad gamepad;
};
using XInputGetStateFunction = DWORD(WINAPI*)(DWORD userIndex, XInputState* state);

// Asking XInput about a user with no pad is slow (it looks for the device anew each
// time), so a pad not connected is asked about once a second, and at every frame only
// for a while after Windows reports a device change.
constexpr std::uint32_t absentPadRetryMs = 1000;
constexpr std::uint32_t deviceChangeWatchMs = 3000;

XInputGetStateFunction getState = nullptr;
bool loadTried = false;
bool connected[padCount] = {};
std::uint32_t nextAsk[padCount] = {};
bool asked[padCount] = {};
std::uint32_t watchUntil = 0;
bool watching = false;

// Whether the clock has reached `when` (the 32-bit tick count wraps).
bool reached(std::uint32_t now, std::uint32_t when) {
    return static_cast<std::int32_t>(now - when) >= 0;
}

// A DLL of the system folder by its full path, so that a file of the same name in the
// game's folder is never loaded in its place.
HMODULE loadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + std::strlen(name) + 1 > MAX_PATH) return nullptr;
    path[length] = '\\';
    std::strcpy(path + length + 1, name);
    return LoadLibraryA(path);
}

void loadXInput() {
    loadTried = true;
    for (const char* name : {"xinput1_4.dll", "xinput9_1_0.dll"}) {
        HMODULE module = loadSystemLibrary(name);
        if (!module) continue;
        // Through void (*)(), which converts to any function pointer type.
        const auto function =
            reinterpret_cast<void (*)()>(GetProcAddress(module, "XInputGetState"));
        if (function) {
            getState = reinterpret_cast<XInputGetStateFunction>(function);
            return; // the module stays loaded until the process ends
        }
        FreeLibrary(module);
    }
}

} // namespace

void noteDeviceChange() {
    watching = true;
    watchUntil = tickCount() + deviceChangeWatchMs;
}

void readGamepads(PadState pads[padCount]) {
    if (!loadTried) loadXInput();
    if (!getState) return;
    const std::uint32_t now = tickCount();
    if (watching && reached(now, watchUntil)) watching = false;
    for (int p = 0; p < padCount; ++p) {
        if (!connected[p] && asked[p] && !watching && !reached(now, nextAsk[p])) continue;
        XInputState state{};
        asked[p] = true;
        connected[p] = getState(static_cast<DWORD>(p), &state) == ERROR_SUCCESS;
        if (!connected[p]) {
            nextAsk[p] = now + absentPadRetryMs;
            continue;
        }
        const XInputGamepad& g = state.gamepad;
        pads[p] = padFromXInput(g.buttons, g.leftTrigger, g.rightTrigger, g.thumbLX, g.thumbLY);
    }
}

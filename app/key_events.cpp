#include "app/key_events.h"

#include "app/key_state.h"
#include "app/platform.h"
#include "config/console_session.h"
#include "config/key_bindings.h"

namespace {

// An event came with the system key held since the last one that came without it.
bool systemKeyHeld = false;

} // namespace

bool handleGameKey(const KeyEvent& event) {
    const bool withSystemKey = (event.modifiers & keyModifierSystem) != 0;
    if (systemKeyHeld && !withSystemKey) gameKeysLost(); // releases under it may be lost
    systemKeyHeld = withSystemKey;

    const std::uint8_t key = event.virtualKey;
    if (key == 0) return false;
    const bool consoleKey = key == keyForCharacter('`');
    if (!event.down) {
        keyState[key] = 0;
        if (consoleKey) consoleKeyUp();
        return false;
    }
    const bool systemKey =
        IsSystemKey(key) || (event.modifiers & (keyModifierAlt | keyModifierSystem)) != 0;
    if (systemKey && !event.systemKeysApart) return false;
    if (consoleKey) {
        if (consoleKeyDown(event.repeat)) keyState[key] = 1;
        return true;
    }
    keyState[key] = 1;
    return true;
}

void gameKeysLost() {
    clearKeyState();
    consoleKeyUp();
}

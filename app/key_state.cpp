#include "app/key_state.h"

#include <cstring>

std::uint8_t keyState[256] = {};

void clearKeyState() {
    std::memset(keyState, 0, sizeof keyState);
}

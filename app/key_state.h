// Keyboard levels: one byte per Windows virtual-key code, 1 while the key is down.
#pragma once

#include <cstdint>

extern std::uint8_t keyState[256];

// Every key up: used when the console opens and when a new game starts after a death.
void clearKeyState();

// The few platform services the portable code needs. Each layer has its own file:
// platform_win32.cpp maps them onto user32/kernel32, platform_sdl.cpp and
// platform_web.cpp onto SDL and the page, and platform_headless.cpp records them for
// tests and tools.
#pragma once

#include "graphics/handles.h"

#include <cstdint>

// Message box styles (the values of MB_OK, MB_ICONHAND and MB_ICONEXCLAMATION).
constexpr unsigned MessageBoxOk = 0x00;
constexpr unsigned MessageBoxIconHand = 0x10;
constexpr unsigned MessageBoxIconExclamation = 0x30;

// A modal message box with an OK button; returns when it is dismissed.
void showMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style);

// Posts the quit message; the main loop ends when it takes it from the queue.
void requestQuit(int exitCode);

// The virtual-key code of the key that types `character` on the active keyboard
// layout (the low byte of VkKeyScanA): 255 when no key types it.
std::uint8_t keyForCharacter(char character);

// Milliseconds since some fixed point; wraps at 32 bits.
std::uint32_t tickCount();

// What the desktop layer's files share: the game window on SDL2 and the translation of
// SDL's key events to the Windows virtual-key codes of the US layout.
#pragma once

#include <SDL.h>

#include <cstdint>

struct WindowObject;

namespace desktop {

// The game window; null until created. Hidden until the start-up scripts have run.
extern SDL_Window* gameWindow;
extern bool gameWindowShown;

// Puts a picture of the game window's client size (0x00RRGGBB, rows top-down) on
// the screen. Allocates nothing.
void showPicture(const std::uint32_t* pixels, int width, int height);
// The game window's present hook: shows the frame just presented.
void showFrame(const WindowObject& window);

// The virtual-key code of a key event's key (0 for a key the US layout has not), and
// the modifier keys held, as ConsoleOverlay::Modifier bits.
std::uint8_t virtualKeyOf(const SDL_KeyboardEvent& key);
unsigned modifiersOf(const SDL_KeyboardEvent& key);

} // namespace desktop

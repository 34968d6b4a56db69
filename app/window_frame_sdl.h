// The game window's frame: the window, frame included, sized to the usable area
// before it is first shown.
#pragma once

#include <SDL.h>

namespace desktop {

// Sizes and places the hidden window so that the window with the frame the window
// system will give it covers `area`; where the window system does not say how thick
// that frame is (no window manager), the window's client area covers `area`.
void fitWindowToArea(SDL_Window* window, const SDL_Rect& area);

} // namespace desktop

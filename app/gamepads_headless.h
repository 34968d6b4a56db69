// The headless layer's pads: what tests plug in, hold and pull out.
#pragma once

#include "app/gamepads.h"

namespace headless_gamepads {

// What readGamepads reports for pad 1 (pads[0]) and pad 2; none connected at start.
extern PadState pads[padCount];
// How many times readGamepads ran.
extern int reads;

// Unplugs both pads and sets reads to 0.
void reset();

} // namespace headless_gamepads

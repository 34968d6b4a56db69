// The headless layer's pads: a fake source the tests set directly.
#include "app/gamepads_headless.h"

namespace headless_gamepads {

PadState pads[padCount];
int reads = 0;

void reset() {
    for (PadState& pad : pads) pad = PadState{};
    reads = 0;
}

} // namespace headless_gamepads

void readGamepads(PadState pads[padCount]) {
    ++headless_gamepads::reads;
    for (int p = 0; p < padCount; ++p) pads[p] = headless_gamepads::pads[p];
}

// The desktop layer's pads (SDL game controllers): what the rest of the layer may call.
#pragma once

// Closes the controllers and SDL's game controller subsystem; the next readGamepads
// starts them again. For the shutdown and the tests.
void closeGamepads();

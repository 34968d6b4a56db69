// STUB: replaced by the frame step.
#include "app/frame.h"
std::uint8_t clearBulletsRequested = 0;
void runFrame() {}

// The US English keyboard layout as Windows describes it, for the layers that have no
// layout service of their own (desktop, web, headless).
#pragma once

#include <cstdint>

// The virtual-key code of the key that types `character` on the US layout, as the
// low byte of VkKeyScanA gives it there: 255 when no key types it.
std::uint8_t usLayoutKeyForCharacter(char character);

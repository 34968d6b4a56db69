// STUB: replaced by the pixel algorithms.
#include "graphics/pixel_ops.h"
void rotatePixels(const std::uint32_t*, std::uint32_t*, int, int, double, int, int) {}
void mirrorPixels(const std::uint32_t*, std::uint32_t*, int, int) {}
void maskPixels(std::uint32_t*, int, int) {}

// The load-time pixel algorithms, shared by the GDI and the software renderer.
// Buffers hold 32-bit pixels, rows bottom-up, each pixel blue, green, red and an
// unused fourth byte (0x00RRGGBB as a little-endian integer).
#pragma once

#include <cstdint>
#include <vector>

using PixelRow = std::vector<std::uint32_t>;

// dst (pre-sized w*h) = src rotated by theta radians, counter-clockwise on screen,
// about (pivotX from the left, pivotY from the top). Pixels from outside are black.
void rotatePixels(const std::uint32_t* src, std::uint32_t* dst, int width, int height, double theta,
                  int pivotX, int pivotY);
// Left-right mirror.
void mirrorPixels(const std::uint32_t* src, std::uint32_t* dst, int width, int height);
// Black becomes white (transparent), everything else black (opaque); in place.
void maskPixels(std::uint32_t* pixels, int width, int height);

// Writes small uncompressed BMP files for tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// A 24-bit bottom-up BMP of width x height whose pixel (x, y), counted from the top
// left, has the colour colourAt(x, y) as 0x00RRGGBB.
void writeTestBitmap(const std::string& fileName, int width, int height,
                     const std::function<std::uint32_t(int x, int y)>& colourAt);

// The same, every pixel one colour.
void writeSolidBitmap(const std::string& fileName, int width, int height, std::uint32_t rgb);

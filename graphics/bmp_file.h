// A portable reader for Windows bitmap files (.bmp).
//
// Reads uncompressed images of 1, 4, 8, 16, 24 and 32 bits per pixel, stored
// bottom-up or top-down, with the 12-byte core header, the 40-byte information
// header or one of the larger ones (52, 56, 108, 124 bytes), palettes and 16/32-bit
// colour masks, and 8- and 4-bit images compressed with run-length encoding (stored
// bottom-up). Anything else, and every malformed, truncated or oversized file, gives
// no image: the reader never trusts a size in the file without checking it against
// the bytes actually there. (A compressed image cut short is the one exception: it
// keeps what it drew, as Windows shows it; see bmp_file.cpp.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct BmpImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, rows top-down
};

// Limits on what the reader accepts, well above any picture the game uses.
constexpr int maxBmpSide = 16384;
constexpr std::int64_t maxBmpPixels = std::int64_t{1} << 24;
// The most bytes readBmpFile reads from a file: enough for the largest accepted image.
constexpr std::int64_t maxBmpFileBytes = maxBmpPixels * 4 + (std::int64_t{1} << 20);

// Decodes a whole file held in memory; nothing on any error.
std::optional<BmpImage> decodeBmp(const std::uint8_t* data, std::size_t size);
// Reads and decodes a file; nothing when it is missing, unreadable or not a valid bitmap.
std::optional<BmpImage> readBmpFile(const char* fileName);

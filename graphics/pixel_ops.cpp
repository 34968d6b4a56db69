#include "graphics/pixel_ops.h"

#include <cmath>
#include <cstddef>

namespace {

constexpr std::uint32_t colourBits = 0x00FFFFFFu;

// Writes blue, green and red of `colour` into `target`, leaving its fourth byte alone.
inline void putColour(std::uint32_t& target, std::uint32_t colour) {
    target = (target & ~colourBits) | (colour & colourBits);
}

inline bool usable(const void* buffer, int width, int height) {
    return buffer != nullptr && width > 0 && height > 0;
}

} // namespace

void rotatePixels(const std::uint32_t* src, std::uint32_t* dst, int width, int height, double theta,
                  int pivotX, int pivotY) {
    if (!usable(src, width, height) || dst == nullptr) return;

    // The arithmetic below keeps its single-precision intermediates on purpose: the
    // truncation of every mapped coordinate depends on them, and both renderers
    // must pick the same source pixel.
    const float c = static_cast<float>(std::cos(theta));
    const float s = static_cast<float>(std::sin(theta));
    const float a = static_cast<float>(pivotX);
    // The pivot's row counted from the bottom, as the buffers are bottom-up.
    const float py = static_cast<float>(std::int64_t{height} - 1 - pivotY);
    const float offX = a * (c - 1.0f) - py * s;
    const float offY = py * (c - 1.0f) + a * s;

    const float fw = static_cast<float>(width);
    const double dh = static_cast<double>(height);
    for (int r = 0; r < height; ++r) {
        const float g = static_cast<float>(r) + offY;
        const float gs = g * s;
        const double gc = static_cast<double>(g) * static_cast<double>(c);
        std::uint32_t* out = dst + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
        for (int k = 0; k < width; ++k) {
            const float h = static_cast<float>(k) + offX;
            const float hc = h * c;
            const float hs = h * s;
            const float x = hc + gs;
            const double y = gc - static_cast<double>(hs);
            // Truncation toward zero lands inside [0, n) exactly when -1 < v < n; the
            // test is made before converting so a NaN or huge value never reaches
            // the integer conversion (a NaN angle therefore gives all black).
            if (x > -1.0f && x < fw && y > -1.0 && y < dh) {
                const int sx = static_cast<int>(x);
                const int sy = static_cast<int>(y);
                putColour(out[k],
                          src[static_cast<std::size_t>(sy) * static_cast<std::size_t>(width) +
                              static_cast<std::size_t>(sx)]);
            } else {
                putColour(out[k], 0);
            }
        }
    }
}

void mirrorPixels(const std::uint32_t* src, std::uint32_t* dst, int width, int height) {
    if (!usable(src, width, height) || dst == nullptr) return;
    for (int r = 0; r < height; ++r) {
        const std::size_t row = static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
        for (int k = 0; k < width; ++k) {
            putColour(dst[row + static_cast<std::size_t>(k)],
                      src[row + static_cast<std::size_t>(width - 1 - k)]);
        }
    }
}

void maskPixels(std::uint32_t* pixels, int width, int height) {
    if (!usable(pixels, width, height)) return;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) {
        putColour(pixels[i], (pixels[i] & colourBits) == 0 ? colourBits : 0);
    }
}

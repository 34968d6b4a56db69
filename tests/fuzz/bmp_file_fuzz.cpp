// Feeds arbitrary bytes to the bitmap reader, and whatever it accepts through the
// renderer's pixel transformations.
#include "graphics/bmp_file.h"
#include "graphics/pixel_ops.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<BmpImage> image = decodeBmp(data, size);
    if (!image) return 0;
    const std::size_t count =
        static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height);
    if (image->width <= 0 || image->height <= 0 || image->pixels.size() != count) std::abort();
    for (std::uint32_t pixel : image->pixels) {
        if ((pixel >> 24) != 0) std::abort();
    }
    // Keep the transformations to small images so the fuzzer stays fast.
    if (count <= 4096) {
        PixelRow out(count);
        rotatePixels(image->pixels.data(), out.data(), image->width, image->height, 0.7,
                     image->width / 2, image->height / 2);
        mirrorPixels(image->pixels.data(), out.data(), image->width, image->height);
        maskPixels(out.data(), image->width, image->height);
    }
    return 0;
}

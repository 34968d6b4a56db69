// Load-time and per-frame costs of the software renderer: the pixel
// transformations the weapon sprite tables are made with, reading a bitmap file,
// and the present-and-clear every frame ends with.
#include "graphics/bmp_file.h"
#include "graphics/pixel_ops.h"
#include "graphics/renderer.h"
#include "graphics/software_surfaces.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

PixelRow sprite(int width, int height) {
    PixelRow pixels(static_cast<std::size_t>(width * height));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = (i % 7 == 0) ? 0 : static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    }
    return pixels;
}

// One angle's worth of a sprite table: rotate, then the mask and the mirror.
void BM_RotateMaskMirror(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const PixelRow source = sprite(side, side);
    PixelRow rotated(source.size());
    PixelRow mirrored(source.size());
    int degrees = 0;
    for (auto _ : state) {
        rotatePixels(source.data(), rotated.data(), side, side, degrees * 0.0174532925, 18,
                     side / 2);
        mirrorPixels(rotated.data(), mirrored.data(), side, side);
        maskPixels(rotated.data(), side, side);
        benchmark::DoNotOptimize(mirrored.data());
        degrees = (degrees + 1) % 360;
    }
}

// Decoding a 24-bit file of side x side pixels.
void BM_DecodeBmp(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(side) * 3 + 3) & ~3u;
    std::vector<std::uint8_t> file(54 + rowBytes * static_cast<std::uint32_t>(side), 0x5A);
    const std::uint32_t header[] = {
        static_cast<std::uint32_t>(file.size()), 0, 54, 40, static_cast<std::uint32_t>(side),
        static_cast<std::uint32_t>(side)};
    file[0] = 'B';
    file[1] = 'M';
    for (int i = 0; i < 6; ++i) {
        for (int b = 0; b < 4; ++b)
            file[2 + 4 * i + b] = static_cast<std::uint8_t>(header[i] >> (8 * b));
    }
    for (int b = 26; b < 54; ++b) file[static_cast<std::size_t>(b)] = 0;
    file[26] = 1;  // planes
    file[28] = 24; // bits per pixel
    if (!decodeBmp(file.data(), file.size())) state.SkipWithError("the file does not decode");
    for (auto _ : state) {
        std::optional<BmpImage> image = decodeBmp(file.data(), file.size());
        benchmark::DoNotOptimize(image);
    }
}

// The end of every frame: copy the back buffer to the window, then clear it.
void BM_PresentAndClear(benchmark::State& state) {
    WindowObject window{1920, 1040, {}, 0};
    Renderer renderer;
    renderer.init(&window);
    for (auto _ : state) renderer.present(1);
    renderer.shutdown();
}

} // namespace

BENCHMARK(BM_RotateMaskMirror)->Arg(50)->Arg(200);
BENCHMARK(BM_DecodeBmp)->Arg(60)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentAndClear)->Unit(benchmark::kMicrosecond);

// The headless driver's picture of a scene, for the desktop program's end-to-end check
// that its frames are the software renderer's: runs the real start-up in the working
// folder (its config.cfg and autoexec.cfg) in a headless window of the given size,
// plays the given number of frames with no key held, and writes the last frame as a
// binary PPM.
//     brawlex_headless_frame <width> <height> <frames> <out.ppm>
#include "app/platform_headless.h"
#include "tests/support/headless_game.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <width> <height> <frames> <out.ppm>\n", argv[0]);
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    const int frames = std::atoi(argv[3]);
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192 || frames < 1) return 2;

    HeadlessGame::Options options;
    options.width = width;
    options.height = height;
    HeadlessGame game(options);
    game.frames(frames);
    const WindowObject& window = game.window();

    std::FILE* out = std::fopen(argv[4], "wb");
    if (out == nullptr) return 1;
    std::fprintf(out, "P6\n%d %d\n255\n", window.width, window.height);
    for (int y = 0; y < window.height; ++y)
        for (int x = 0; x < window.width; ++x) {
            const std::uint32_t p = window.pixel(x, y);
            const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                          static_cast<unsigned char>(p >> 8),
                                          static_cast<unsigned char>(p)};
            std::fwrite(rgb, 1, 3, out);
        }
    return std::fclose(out) == 0 && headless_platform::messageBoxes.empty() ? 0 : 1;
}

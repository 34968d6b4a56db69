#include "tests/support/test_bitmaps.h"

#include <fstream>
#include <vector>

namespace {

void put16(std::vector<unsigned char>& out, std::uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

void writeTestBitmap(const std::string& fileName, int width, int height,
                     const std::function<std::uint32_t(int x, int y)>& colourAt) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + imageBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, imageBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int row = height - 1; row >= 0; --row) {
        std::uint32_t written = 0;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colourAt(x, row);
            out.push_back(c & 0xFF);
            out.push_back((c >> 8) & 0xFF);
            out.push_back((c >> 16) & 0xFF);
            written += 3;
        }
        for (; written < rowBytes; ++written) out.push_back(0);
    }
    std::ofstream(fileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
}

void writeSolidBitmap(const std::string& fileName, int width, int height, std::uint32_t rgb) {
    writeTestBitmap(fileName, width, height, [rgb](int, int) { return rgb; });
}

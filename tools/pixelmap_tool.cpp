// Turns a text pixel map into an uncompressed 24-bit .bmp or a 32 x 32 16-colour .ico.
//
//   pixelmap_tool bmp <input.pixmap> <output.bmp>
//   pixelmap_tool ico <input.pixmap> <output.ico>
//
// A pixel map is plain text:
//
//   # a comment (also blank lines are ignored outside the pixel rows)
//   size 60 40          width and height of the picture
//   mirror              optional: each row gives the left half; the right half is
//                       that row reversed (a picture whose right half mirrors its left)
//   colour . 000000     a palette entry: one character, then RRGGBB in hex
//   colour K 1c1c24
//   pixels              the rows follow, top row first, one character per pixel
//   ....KK....
//
// Pure black (000000) is the transparent colour of the game's sprites; outlines
// use a dark colour that is not pure black. In the .ico the black pixels are also
// transparent (their AND-mask bit is set).
//
// No dependencies beyond the standard library; errors name the file and line and
// give exit code 1, so a bad map fails the build instead of shipping a broken picture.

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct PixelMap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
    std::vector<std::uint32_t> palette; // the declared colours, in declaration order
};

struct Failure {
    std::string message;
};

[[noreturn]] void fail(const std::string& file, int line, const std::string& what) {
    std::ostringstream text;
    text << file;
    if (line > 0) text << ":" << line;
    text << ": " << what;
    throw Failure{text.str()};
}

bool parseHex(const std::string& text, std::uint32_t& value) {
    if (text.size() != 6) return false;
    value = 0;
    for (char c : text) {
        value <<= 4;
        if (c >= '0' && c <= '9')
            value |= static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value |= static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return false;
    }
    return true;
}

std::string stripLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return line;
}

// Limits keep a typo from asking for gigabytes.
constexpr int maxSide = 4096;

PixelMap readPixelMap(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) fail(file, 0, "cannot open");

    PixelMap map;
    bool mirror = false;
    std::map<char, std::uint32_t> colours;
    std::string line;
    int lineNumber = 0;
    bool inPixels = false;
    int row = 0;

    while (std::getline(in, line)) {
        ++lineNumber;
        line = stripLineEnd(line);
        if (!inPixels) {
            std::istringstream words(line);
            std::string keyword;
            if (!(words >> keyword) || keyword[0] == '#') continue;
            if (keyword == "size") {
                if (!(words >> map.width >> map.height) || map.width <= 0 || map.height <= 0 ||
                    map.width > maxSide || map.height > maxSide)
                    fail(file, lineNumber,
                         "size needs a width and a height of 1.." + std::to_string(maxSide));
            } else if (keyword == "mirror") {
                mirror = true;
            } else if (keyword == "colour") {
                std::string symbol, hex;
                std::uint32_t value = 0;
                if (!(words >> symbol >> hex) || symbol.size() != 1 || !parseHex(hex, value))
                    fail(file, lineNumber, "colour needs one character and RRGGBB");
                if (colours.count(symbol[0]))
                    fail(file, lineNumber, std::string("colour '") + symbol + "' given twice");
                colours[symbol[0]] = value;
                map.palette.push_back(value);
            } else if (keyword == "pixels") {
                if (map.width == 0) fail(file, lineNumber, "pixels before size");
                if (mirror && map.width % 2 != 0)
                    fail(file, lineNumber, "mirror needs an even width");
                map.pixels.assign(static_cast<std::size_t>(map.width) * map.height, 0);
                inPixels = true;
            } else {
                fail(file, lineNumber, "unknown keyword '" + keyword + "'");
            }
            continue;
        }
        if (row == map.height) {
            if (line.find_first_not_of(" \t") == std::string::npos) continue;
            fail(file, lineNumber, "more rows than the height " + std::to_string(map.height));
        }
        const int given = mirror ? map.width / 2 : map.width;
        if (static_cast<int>(line.size()) != given)
            fail(file, lineNumber,
                 "row has " + std::to_string(line.size()) + " pixels, expected " +
                     std::to_string(given));
        for (int x = 0; x < given; ++x) {
            const auto found = colours.find(line[static_cast<std::size_t>(x)]);
            if (found == colours.end())
                fail(file, lineNumber,
                     std::string("no colour for '") + line[static_cast<std::size_t>(x)] + "'");
            const std::size_t base = static_cast<std::size_t>(row) * map.width;
            map.pixels[base + static_cast<std::size_t>(x)] = found->second;
            if (mirror)
                map.pixels[base + static_cast<std::size_t>(map.width - 1 - x)] = found->second;
        }
        ++row;
    }
    if (!inPixels) fail(file, 0, "no pixels");
    if (row != map.height)
        fail(file, lineNumber,
             "only " + std::to_string(row) + " rows, expected " + std::to_string(map.height));
    return map;
}

void put16(std::vector<unsigned char>& out, std::uint32_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putInfoHeader(std::vector<unsigned char>& out, int width, int height, int bitCount,
                   std::uint32_t imageBytes, std::uint32_t coloursUsed) {
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bitCount));
    put32(out, 0); // uncompressed
    put32(out, imageBytes);
    put32(out, 2835); // 72 dpi
    put32(out, 2835);
    put32(out, coloursUsed);
    put32(out, 0);
}

std::vector<unsigned char> makeBmp(const PixelMap& map) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(map.width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(map.height);
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 14 + 40 + imageBytes);
    put32(out, 0);
    put32(out, 14 + 40);
    putInfoHeader(out, map.width, map.height, 24, imageBytes, 0);
    for (int y = map.height - 1; y >= 0; --y) { // bottom-up
        std::uint32_t written = 0;
        for (int x = 0; x < map.width; ++x) {
            const std::uint32_t c = map.pixels[static_cast<std::size_t>(y) * map.width + x];
            out.push_back(static_cast<unsigned char>(c & 0xFF));         // blue
            out.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));  // green
            out.push_back(static_cast<unsigned char>((c >> 16) & 0xFF)); // red
            written += 3;
        }
        for (; written < rowBytes; ++written) out.push_back(0);
    }
    return out;
}

std::vector<unsigned char> makeIco(const PixelMap& map, const std::string& file) {
    constexpr int side = 32;
    constexpr int paletteSize = 16;
    if (map.width != side || map.height != side) fail(file, 0, "an icon must be 32 x 32");

    // The palette: black first (the transparent pixels show it through the mask),
    // then the other colours in use, in declaration order.
    std::vector<std::uint32_t> palette{0};
    for (std::uint32_t c : map.palette) {
        bool known = false;
        for (std::uint32_t p : palette) known = known || p == c;
        if (!known) palette.push_back(c);
    }
    if (palette.size() > paletteSize)
        fail(file, 0, "an icon has at most 16 colours, black included");
    palette.resize(paletteSize, 0);

    constexpr std::uint32_t xorRowBytes = side / 2; // 4 bits a pixel, already 4-aligned
    constexpr std::uint32_t andRowBytes = side / 8; // 1 bit a pixel, already 4-aligned
    constexpr std::uint32_t imageBytes = (xorRowBytes + andRowBytes) * side;
    constexpr std::uint32_t resourceBytes = 40 + paletteSize * 4 + imageBytes;

    std::vector<unsigned char> out;
    // Icon directory: one image.
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    out.push_back(side);
    out.push_back(side);
    out.push_back(paletteSize);
    out.push_back(0);
    put16(out, 1); // planes
    put16(out, 4); // bits a pixel
    put32(out, resourceBytes);
    put32(out, 6 + 16);

    // The image: a header of twice the height (colour bits, then the mask).
    putInfoHeader(out, side, side * 2, 4, imageBytes, paletteSize);
    for (std::uint32_t c : palette) {
        out.push_back(static_cast<unsigned char>(c & 0xFF));
        out.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
        out.push_back(static_cast<unsigned char>((c >> 16) & 0xFF));
        out.push_back(0);
    }
    auto indexOf = [&](std::uint32_t c) {
        for (std::size_t i = 0; i < palette.size(); ++i)
            if (palette[i] == c) return static_cast<unsigned>(i);
        return 0u;
    };
    for (int y = side - 1; y >= 0; --y) {
        for (int x = 0; x < side; x += 2) {
            const std::uint32_t a = map.pixels[static_cast<std::size_t>(y) * side + x];
            const std::uint32_t b = map.pixels[static_cast<std::size_t>(y) * side + x + 1];
            out.push_back(static_cast<unsigned char>((indexOf(a) << 4) | indexOf(b)));
        }
    }
    for (int y = side - 1; y >= 0; --y) {
        for (int x = 0; x < side; x += 8) {
            unsigned bits = 0;
            for (int k = 0; k < 8; ++k)
                if (map.pixels[static_cast<std::size_t>(y) * side + x + k] == 0) bits |= 0x80u >> k;
            out.push_back(static_cast<unsigned char>(bits));
        }
    }
    return out;
}

void writeFile(const std::string& file, const std::vector<unsigned char>& bytes) {
    // Write beside the target, then rename, so an interrupted build leaves no half file.
    const std::string temporary = file + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) fail(temporary, 0, "cannot create");
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) fail(temporary, 0, "cannot write");
    }
    std::remove(file.c_str());
    if (std::rename(temporary.c_str(), file.c_str()) != 0)
        fail(file, 0, "cannot rename into place");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::string(argv[1]) != "bmp" && std::string(argv[1]) != "ico")) {
        std::fprintf(stderr, "usage: %s bmp|ico <input.pixmap> <output>\n",
                     argc > 0 ? argv[0] : "pixelmap_tool");
        return 2;
    }
    try {
        const std::string kind = argv[1];
        const PixelMap map = readPixelMap(argv[2]);
        writeFile(argv[3], kind == "bmp" ? makeBmp(map) : makeIco(map, argv[2]));
    } catch (const Failure& failure) {
        std::fprintf(stderr, "pixelmap_tool: %s\n", failure.message.c_str());
        return 1;
    }
    return 0;
}

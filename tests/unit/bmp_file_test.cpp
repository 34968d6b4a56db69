#include "graphics/bmp_file.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace {

// Writes bitmap files of every layout the reader knows, so that each test can
// state its file in a few fields.
struct BmpWriter {
    int width = 4;
    int height = 3;
    int bits = 24;
    bool topDown = false;
    std::uint32_t headerSize = 40;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> palette; // 0x00RRGGBB
    std::array<std::uint32_t, 3> masks{};
    // Pixels written as they are, in place of rows made from `value`: the data of a
    // run-length encoded file.
    std::optional<std::vector<std::uint8_t>> encoded;
    std::uint32_t imageSize = 0;
    // The stored value of pixel (x, y) from the top left: a palette index, a packed
    // 16/32-bit value, or a 0x00RRGGBB colour for 24 bits.
    std::function<std::uint32_t(int, int)> value = [](int x, int y) {
        return 0x00102030u * static_cast<std::uint32_t>(x + 1) + 0x00010101u * y;
    };

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out;
        auto put = [&out](std::uint32_t v, int n) {
            for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        };
        out.push_back('B');
        out.push_back('M');
        put(0, 4); // file size, patched below
        put(0, 4);
        put(0, 4); // pixel offset, patched below
        const std::size_t headerStart = out.size();
        put(headerSize, 4);
        if (headerSize == 12) {
            put(static_cast<std::uint32_t>(width), 2);
            put(static_cast<std::uint32_t>(height), 2);
            put(1, 2);
            put(static_cast<std::uint32_t>(bits), 2);
        } else {
            put(static_cast<std::uint32_t>(width), 4);
            put(static_cast<std::uint32_t>(topDown ? -height : height), 4);
            put(1, 2);
            put(static_cast<std::uint32_t>(bits), 2);
            put(compression, 4);
            put(imageSize, 4);
            put(2835, 4);
            put(2835, 4);
            put(coloursUsed, 4);
            put(0, 4);
            if (headerSize >= 52 || compression == 3) {
                for (std::uint32_t m : masks) put(m, 4);
            }
            while (out.size() < headerStart + headerSize) out.push_back(0);
        }
        for (std::uint32_t colour : palette) put(colour, headerSize == 12 ? 3 : 4);
        const std::size_t pixelOffset = out.size();
        if (encoded) {
            out.insert(out.end(), encoded->begin(), encoded->end());
            patch(out, 2, static_cast<std::uint32_t>(out.size()));
            patch(out, 10, static_cast<std::uint32_t>(pixelOffset));
            return out;
        }

        const std::size_t rowBytes = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
        for (int stored = 0; stored < height; ++stored) {
            const int y = topDown ? stored : height - 1 - stored;
            std::vector<std::uint8_t> row(rowBytes, 0);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t v = value(x, y);
                if (bits < 8) {
                    const int bit = x * bits;
                    row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bits - bit % 8));
                } else {
                    for (int i = 0; i < bits / 8; ++i) {
                        row[static_cast<std::size_t>(x * bits / 8 + i)] =
                            static_cast<std::uint8_t>(v >> (8 * i));
                    }
                }
            }
            out.insert(out.end(), row.begin(), row.end());
        }
        patch(out, 2, static_cast<std::uint32_t>(out.size()));
        patch(out, 10, static_cast<std::uint32_t>(pixelOffset));
        return out;
    }

    static void patch(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
};

std::optional<BmpImage> decode(const std::vector<std::uint8_t>& bytes) {
    return decodeBmp(bytes.data(), bytes.size());
}

// The palette of the run-length tests: index 0 is a colour, not black, so a pixel
// that no run reaches (black) tells apart from one drawn with colour 0.
std::uint32_t paletteColour(std::uint32_t index) {
    return 0x00100000u * index + 0x00000011u;
}

// A run-length encoded file of 8 or 4 bits a pixel, 5 x 3 unless changed after, with
// a palette of 16 colours.
void runLength(BmpWriter& f, int bits, std::vector<std::uint8_t> data) {
    f.bits = bits;
    f.compression = bits == 8 ? 1 : 2;
    f.width = 5;
    f.height = 3;
    f.coloursUsed = 16;
    f.palette.clear();
    for (std::uint32_t i = 0; i < 16; ++i) f.palette.push_back(paletteColour(i));
    if (bits == 8) f.coloursUsed = 3, f.palette.resize(3);
    f.imageSize = static_cast<std::uint32_t>(data.size());
    f.encoded = std::move(data);
}

struct LoadCase {
    const char* name;
    BmpWriter file;
    std::function<std::uint32_t(int, int)> expected;
};

std::vector<LoadCase> loadCases() {
    std::vector<LoadCase> cases;
    const std::vector<std::uint32_t> grey16 = [] {
        std::vector<std::uint32_t> p;
        for (std::uint32_t i = 0; i < 16; ++i) p.push_back(0x00110000u * i + 0x0F - i);
        return p;
    }();
    {
        BmpWriter f;
        f.bits = 1;
        f.width = 11; // two bytes and three bits per row
        f.palette = {0x00000000u, 0x00FFEEDDu};
        f.value = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 2); };
        cases.push_back({"1-bit bottom-up", f,
                         [](int x, int y) { return (x + y) % 2 != 0 ? 0x00FFEEDDu : 0u; }});
    }
    {
        BmpWriter f;
        f.bits = 4;
        f.width = 5;
        f.topDown = true;
        f.palette = grey16;
        f.value = [](int x, int y) { return static_cast<std::uint32_t>((x * 3 + y) % 16); };
        cases.push_back(
            {"4-bit top-down", f, [grey16](int x, int y) { return grey16[(x * 3 + y) % 16]; }});
    }
    {
        BmpWriter f;
        f.bits = 8;
        f.width = 3;
        f.coloursUsed = 3;
        f.palette = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
        f.value = [](int x, int) { return static_cast<std::uint32_t>(x); };
        cases.push_back({"8-bit, short palette", f, [](int x, int) {
                             return std::array{0x00FF0000u, 0x0000FF00u, 0x000000FFu}[x];
                         }});
    }
    {
        BmpWriter f;
        f.headerSize = 12;
        f.bits = 8;
        for (std::uint32_t i = 0; i < 256; ++i) f.palette.push_back(i * 0x00010203u & 0xFFFFFF);
        f.value = [](int x, int y) { return static_cast<std::uint32_t>(x * 40 + y); };
        cases.push_back({"8-bit, core header", f, [](int x, int y) {
                             return static_cast<std::uint32_t>(x * 40 + y) * 0x00010203u & 0xFFFFFF;
                         }});
    }
    const auto sameAsStored = [](int x, int y) {
        return 0x00102030u * static_cast<std::uint32_t>(x + 1) + 0x00010101u * y;
    };
    {
        BmpWriter f;
        f.width = 3; // rows padded from 9 to 12 bytes
        cases.push_back({"24-bit bottom-up", f, sameAsStored});
        f.topDown = true;
        cases.push_back({"24-bit top-down", f, sameAsStored});
        f.headerSize = 108;
        cases.push_back({"24-bit, 108-byte header", f, sameAsStored});
    }
    {
        BmpWriter f;
        f.bits = 32;
        f.value = [sameAsStored](int x, int y) { return sameAsStored(x, y) | 0xAB000000u; };
        cases.push_back({"32-bit, fourth byte ignored", f, sameAsStored});
    }
    {
        BmpWriter f;
        f.bits = 32;
        f.headerSize = 124;
        f.topDown = true;
        f.compression = 3;
        // Colours stored as 0xBBGGRRAA.
        f.masks = {0x0000FF00u, 0x00FF0000u, 0xFF000000u};
        f.value = [](int x, int y) {
            return 0x11223344u * static_cast<std::uint32_t>(x + 1) + static_cast<std::uint32_t>(y);
        };
        cases.push_back({"32-bit masks, 124-byte header", f, [](int x, int y) {
                             const std::uint32_t v =
                                 0x11223344u * static_cast<std::uint32_t>(x + 1) +
                                 static_cast<std::uint32_t>(y);
                             return ((v >> 8) & 0xFF) << 16 | ((v >> 16) & 0xFF) << 8 | (v >> 24);
                         }});
    }
    {
        BmpWriter f;
        f.bits = 16; // five bits a channel, no masks
        f.width = 3;
        f.value = [](int x, int) { return std::array{0x7C00u, 0x03E0u, 0x4210u}[x]; };
        cases.push_back({"16-bit 5-5-5", f, [](int x, int) {
                             return std::array{0x00FF0000u, 0x0000FF00u, 0x00848484u}[x];
                         }});
        f.compression = 3;
        f.masks = {0xF800u, 0x07E0u, 0x001Fu};
        f.value = [](int x, int) { return std::array{0xF800u, 0x07E0u, 0x001Fu}[x]; };
        cases.push_back({"16-bit 5-6-5 masks after a 40-byte header", f, [](int x, int) {
                             return std::array{0x00FF0000u, 0x0000FF00u, 0x000000FFu}[x];
                         }});
    }
    return cases;
}

TEST(BmpFile, LoadsEverySupportedLayoutWithTheRightPixels) {
    for (const LoadCase& c : loadCases()) {
        const std::optional<BmpImage> image = decode(c.file.bytes());
        ASSERT_TRUE(image.has_value()) << c.name;
        ASSERT_EQ(image->width, c.file.width) << c.name;
        ASSERT_EQ(image->height, c.file.height) << c.name;
        for (int y = 0; y < image->height; ++y) {
            for (int x = 0; x < image->width; ++x) {
                ASSERT_EQ(image->pixels[static_cast<std::size_t>(y * image->width + x)],
                          c.expected(x, y))
                    << c.name << " at " << x << "," << y;
            }
        }
    }
}

// Pictures as rows from the top: a hexadecimal digit is that palette colour, '.' a
// pixel no run reached (black).
struct RunLengthCase {
    const char* name;
    int bits;
    int width;
    int height;
    std::vector<std::uint8_t> data;
    std::vector<const char*> picture;
    std::optional<std::uint32_t> imageSize = {}; // the data's size when none
};

TEST(BmpFile, RunLengthEncodedImagesDrawAsWindowsDrawsThem) {
    const RunLengthCase cases[] = {
        {"8-bit: runs, one by one with padding, a move, the end",
         8,
         5,
         3,
         {0x03, 0x01, 0x02, 0x02, 0x00, 0x00, // bottom row: 1 1 1 2 2
          0x00, 0x03, 0x02, 0x00, 0x01, 0x00, // then 2 0 1, padded to 4 bytes
          0x00, 0x02, 0x01, 0x01, 0x02, 0x02, // 1 right and 1 up: 2, and one past the edge
          0x00, 0x01, 0x01, 0x01},            // the end; the last pair is not read
         {"....2", "201..", "11122"}},
        {"4-bit: two colours in turn, one by one with padding",
         4,
         6,
         2,
         {0x05, 0x12, 0x00, 0x00,             // 1 2 1 2 1
          0x00, 0x03, 0x34, 0x50, 0x01, 0xF0, // 3 4 5, then a run of one F
          0x00, 0x01},
         {"345F..", "12121."}},
        {"4-bit: one by one, an odd count padded",
         4,
         6,
         1,
         {0x00, 0x05, 0xAB, 0xCD, 0xE0, 0x00, 0x01, 0x77, 0x00, 0x01},
         {"ABCDE7"}},
        {"runs past the right edge lose the rest, not wrapping",
         8,
         3,
         2,
         {0x05, 0x01, 0x00, 0x00, 0x00, 0x04, 0x01, 0x02, 0x00, 0x01, 0x00, 0x01},
         {"120", "111"}},
        {"a move past the top ends the image",
         8,
         3,
         2,
         {0x01, 0x01, 0x00, 0x02, 0x00, 0x05, 0x03, 0x02},
         {"...", "1.."}},
        {"a move past the right edge draws nothing until the line ends",
         8,
         3,
         2,
         {0x00, 0x02, 0x09, 0x00, 0x02, 0x02, 0x00, 0x00, 0x01, 0x01, 0x00, 0x01},
         {"1..", "..."}},
        {"lines past the top are not drawn",
         8,
         3,
         1,
         {0x01, 0x01, 0x00, 0x00, 0x01, 0x02, 0x00, 0x01},
         {"1.."}},
        {"a row the data leaves unfinished is not shown",
         8,
         3,
         2,
         {0x01, 0x01, 0x00, 0x00, 0x01, 0x02},
         {"...", "1.."}},
        {"a move keeps the row so far",
         8,
         4,
         1,
         {0x01, 0x01, 0x00, 0x02, 0x01, 0x00, 0x01, 0x02},
         {"1..."}},
        {"a run of pixels one by one is no line end",
         8,
         4,
         1,
         {0x01, 0x01, 0x00, 0x03, 0x01, 0x02, 0x01, 0x00},
         {"...."}},
        {"a run of pixels one by one that the data does not hold whole is not drawn",
         8,
         3,
         2,
         {0x02, 0x01, 0x00, 0x00, 0x00, 0x05, 0x02, 0x00},
         {"...", "11."}},
        {"colours the palette lacks stay black",
         8,
         6,
         1,
         {0x02, 0x01, 0x01, 0x09, 0x00, 0x03, 0x01, 0x09, 0x01, 0x00, 0x00, 0x01},
         {"11.1.1"}},
        {"cut inside a move", 8, 3, 1, {0x01, 0x01, 0x00, 0x02, 0x01}, {"1.."}},
        {"the header's image size bounds the data",
         8,
         3,
         2,
         {0x01, 0x01, 0x00, 0x00, 0x01, 0x02, 0x00, 0x01},
         {"...", "1.."},
         4},
        {"an image size past the end of the file reads zeros there",
         8,
         4,
         1,
         {0x01, 0x01, 0x00, 0x03, 0x02},
         {"1200"},
         1000},
        {"an image size of 0 holds no data", 8, 3, 1, {0x01, 0x01, 0x00, 0x01}, {"..."}, 0},
        {"no data at all", 4, 2, 2, {}, {"..", ".."}},
    };
    for (const RunLengthCase& c : cases) {
        BmpWriter f;
        runLength(f, c.bits, c.data);
        f.width = c.width;
        f.height = c.height;
        if (c.imageSize) f.imageSize = *c.imageSize;
        const std::optional<BmpImage> image = decode(f.bytes());
        ASSERT_TRUE(image.has_value()) << c.name;
        ASSERT_EQ(image->width, c.width) << c.name;
        ASSERT_EQ(image->height, c.height) << c.name;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const char want = c.picture[static_cast<std::size_t>(y)][x];
                const std::uint32_t colour =
                    want == '.' ? 0u
                                : paletteColour(static_cast<std::uint32_t>(
                                      std::stoi(std::string(1, want), nullptr, 16)));
                EXPECT_EQ(image->pixels[static_cast<std::size_t>(y * c.width + x)], colour)
                    << c.name << " at " << x << "," << y;
            }
        }
    }
}

// Whatever follows a run-length header, the reader stays inside the file and the
// image (the sanitizers watch), and gives a whole image or none.
TEST(BmpFile, RunLengthDataOfAnyBytesIsReadSafely) {
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(seed >> 24);
    };
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> data(next() % 64);
        // Mostly small counts and escapes, so that every kind of pair comes up.
        for (std::uint8_t& byte : data) byte = next() % 4 == 0 ? next() : next() % 6;
        BmpWriter f;
        runLength(f, round % 2 == 0 ? 8 : 4, data);
        f.width = 1 + next() % 7;
        f.height = 1 + next() % 5;
        if (round % 3 == 0) f.coloursUsed = 0, f.palette.resize(round % 2 == 0 ? 256 : 16);
        if (round % 5 == 0) f.imageSize += next(); // past the end of the file
        const std::optional<BmpImage> image = decode(f.bytes());
        if (image) {
            ASSERT_EQ(image->pixels.size(),
                      static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height));
        }
    }
}

// The fuzz target's seeds are files the reader takes, one of each kind it knows.
TEST(BmpFile, FuzzSeedsAreValidPictures) {
    const std::filesystem::path corpus =
        std::filesystem::path(BRAWLEX_SOURCE_DIR) / "tests/fuzz/bmp_corpus";
    for (const char* name : {"rle8.bmp", "rle4.bmp", "bitfields16.bmp", "bitfields32.bmp"})
        EXPECT_TRUE(readBmpFile((corpus / name).string().c_str()).has_value()) << name;
}

TEST(BmpFile, TrailingBytesAfterThePixelsAreAllowed) {
    std::vector<std::uint8_t> bytes = BmpWriter{}.bytes();
    bytes.resize(bytes.size() + 100, 0xEE);
    EXPECT_TRUE(decode(bytes).has_value());
}

void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    BmpWriter::patch(bytes, at, v);
}

struct HostileCase {
    const char* name;
    std::function<void(BmpWriter&)> write;
    std::function<void(std::vector<std::uint8_t>&)> damage;
};

TEST(BmpFile, MalformedFilesGiveNoImage) {
    const auto none = [](BmpWriter&) {};
    const auto intact = [](std::vector<std::uint8_t>&) {};
    const auto indexed = [](BmpWriter& f) {
        f.bits = 8;
        f.coloursUsed = 2;
        f.palette = {0x00FF0000u, 0x0000FF00u};
        f.value = [](int x, int) { return static_cast<std::uint32_t>(x % 2); };
    };
    // The files the damage is done to are sound to begin with.
    BmpWriter plain, palette;
    indexed(palette);
    ASSERT_TRUE(decode(plain.bytes()).has_value());
    ASSERT_TRUE(decode(palette.bytes()).has_value());

    const HostileCase cases[] = {
        {"empty", none, [](auto& b) { b.clear(); }},
        {"file header only", none, [](auto& b) { b.resize(14); }},
        {"cut in the info header", none, [](auto& b) { b.resize(30); }},
        {"last pixel byte missing", none, [](auto& b) { b.pop_back(); }},
        {"wrong magic", none, [](auto& b) { b[0] = 'M', b[1] = 'B'; }},
        {"zero width", [](BmpWriter& f) { f.width = 0; }, intact},
        {"negative width", none, [](auto& b) { put32(b, 18, static_cast<std::uint32_t>(-4)); }},
        {"zero height", [](BmpWriter& f) { f.height = 0; }, intact},
        {"most negative height", none, [](auto& b) { put32(b, 22, 0x80000000u); }},
        {"huge width", none, [](auto& b) { put32(b, 18, 0x7FFFFFFFu); }},
        {"too many pixels", none, [](auto& b) { put32(b, 18, 16000), put32(b, 22, 16000); }},
        {"large but missing pixels", none, [](auto& b) { put32(b, 18, 4096), put32(b, 22, 4096); }},
        {"pixel offset past the end", none, [](auto& b) { put32(b, 10, 0xFFFFFFF0u); }},
        {"pixel offset inside the headers", none, [](auto& b) { put32(b, 10, 20); }},
        {"pixels run past the end", none, [](auto& b) { put32(b, 10, 60); }},
        {"header size 0", none, [](auto& b) { put32(b, 14, 0); }},
        {"header size 39", none, [](auto& b) { put32(b, 14, 39); }},
        {"header size larger than the file", none, [](auto& b) { put32(b, 14, 124); }},
        {"header size absurd", none, [](auto& b) { put32(b, 14, 0xFFFFFFFFu); }},
        {"two planes", none, [](auto& b) { b[26] = 2; }},
        {"2 bits per pixel", none, [](auto& b) { b[28] = 2; }},
        {"64 bits per pixel", none, [](auto& b) { b[28] = 64; }},
        {"run-length 8-bit on 24 bits", none, [](auto& b) { put32(b, 30, 1); }},
        {"run-length 4-bit on 8 bits", indexed, [](auto& b) { put32(b, 30, 2); }},
        {"run-length 4-bit without its palette", none, [](auto& b) { b[28] = 4, put32(b, 30, 2); }},
        {"run-length top-down",
         [](BmpWriter& f) {
             runLength(f, 8, {0, 1}), f.topDown = true;
         },
         intact},
        {"palette index out of range",
         [indexed](BmpWriter& f) {
             indexed(f);
             f.value = [](int x, int) { return static_cast<std::uint32_t>(x * 2); };
         },
         intact},
        {"palette count beyond the file", indexed, [](auto& b) { put32(b, 46, 0xFFFFFFFFu); }},
        {"palette overlapping the pixels", indexed, [](auto& b) { put32(b, 10, 58); }},
        {"non-contiguous colour mask",
         [](BmpWriter& f) {
             f.bits = 32;
             f.compression = 3;
             f.masks = {0x00FF00FFu, 0x0000FF00u, 0x000000FFu};
         },
         intact},
        {"masks cut off",
         [](BmpWriter& f) {
             f.bits = 16;
             f.compression = 3;
             f.height = 0; // no pixel rows
         },
         [](auto& b) { b.resize(56), put32(b, 22, 1); }},
    };
    for (const HostileCase& c : cases) {
        BmpWriter writer;
        c.write(writer);
        std::vector<std::uint8_t> bytes = writer.bytes();
        c.damage(bytes);
        EXPECT_FALSE(decode(bytes).has_value()) << c.name;
    }
    EXPECT_FALSE(decodeBmp(nullptr, 100).has_value());
}

TEST(BmpFile, ReadsFilesAndRefusesWhatIsNotOne) {
    ScratchFolder folder;
    const std::vector<std::uint8_t> bytes = BmpWriter{}.bytes();
    std::ofstream("picture.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const std::optional<BmpImage> image = readBmpFile("picture.bmp");
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixels, decode(bytes)->pixels);

    std::filesystem::create_directory("folder.bmp");
    folder.write("empty.bmp", "");
    for (const char* name : {"folder.bmp", "empty.bmp", "missing.bmp", ""}) {
        EXPECT_FALSE(readBmpFile(name).has_value()) << name;
    }
    EXPECT_FALSE(readBmpFile(nullptr).has_value());
}

} // namespace

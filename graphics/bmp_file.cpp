#include "graphics/bmp_file.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <fstream>

namespace {

constexpr std::uint32_t compressionNone = 0;      // BI_RGB
constexpr std::uint32_t compressionRle8 = 1;      // BI_RLE8
constexpr std::uint32_t compressionRle4 = 2;      // BI_RLE4
constexpr std::uint32_t compressionBitfields = 3; // BI_BITFIELDS
constexpr std::size_t fileHeaderSize = 14;
constexpr std::uint32_t coreHeaderSize = 12;

// Every read goes through this: an offset past the end gives no value, never a
// read outside the buffer.
class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= size && count <= size - offset;
    }
    std::uint8_t u8(std::uint64_t offset) const { return data[offset]; }
    std::uint16_t u16(std::uint64_t offset) const {
        return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
    }
    std::uint32_t u32(std::uint64_t offset) const {
        return static_cast<std::uint32_t>(u16(offset)) |
               (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
    }
    std::int32_t i32(std::uint64_t offset) const { return static_cast<std::int32_t>(u32(offset)); }

  private:
    const std::uint8_t* data;
    std::size_t size;
};

// One colour channel of a 16- or 32-bit pixel, described by its mask.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    // False for a mask whose set bits are not one contiguous run.
    bool set(std::uint32_t m) {
        mask = m;
        if (m == 0) return true;
        shift = std::countr_zero(m);
        bits = std::popcount(m);
        return (m >> shift) == (bits == 32 ? 0xFFFFFFFFu : ((1u << bits) - 1));
    }
    // The channel as 8 bits, as Windows widens it: the top 8 bits of a wider channel;
    // a narrower one's bits followed once more by its top bits (5-bit 10000 is
    // 10000100, 6-bit 100000 is 10000010; a 1-bit channel gives 0 or 0xC0).
    std::uint32_t value(std::uint32_t pixel) const {
        if (mask == 0) return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        const std::uint32_t wide = v << (8 - bits);
        return (wide | (wide >> bits)) & 0xFFu;
    }
};

struct Header {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows stored top-down
    int bitsPerPixel = 0;
    std::uint32_t compression = compressionNone;
    std::uint32_t coloursUsed = 0;
    std::uint32_t imageSize = 0; // the bytes of the pixels; may be 0 for uncompressed ones
    std::uint64_t pixelOffset = 0;

    bool runLength() const {
        return compression == compressionRle8 || compression == compressionRle4;
    }
};

bool knownHeaderSize(std::uint32_t size) {
    return size == coreHeaderSize || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

bool readHeader(const Bytes& in, Header& header) {
    if (!in.has(0, fileHeaderSize + 4) || in.u8(0) != 'B' || in.u8(1) != 'M') return false;
    header.pixelOffset = in.u32(10);
    header.headerSize = in.u32(fileHeaderSize);
    if (!knownHeaderSize(header.headerSize) || !in.has(fileHeaderSize, header.headerSize)) {
        return false;
    }
    int planes = 0;
    if (header.headerSize == coreHeaderSize) {
        header.width = in.u16(18);
        header.height = in.u16(20);
        planes = in.u16(22);
        header.bitsPerPixel = in.u16(24);
    } else {
        header.width = in.i32(18);
        header.height = in.i32(22);
        planes = in.u16(26);
        header.bitsPerPixel = in.u16(28);
        header.compression = in.u32(30);
        header.imageSize = in.u32(34);
        header.coloursUsed = in.u32(46);
    }
    if (planes != 1) return false;

    switch (header.bitsPerPixel) {
    case 4:
    case 8: {
        // Run-length encoded images are stored bottom-up only, as Windows reads them.
        const std::uint32_t runLength =
            header.bitsPerPixel == 8 ? compressionRle8 : compressionRle4;
        if (header.compression == runLength && header.height > 0) break;
        if (header.compression != compressionNone) return false;
        break;
    }
    case 1:
    case 24:
        if (header.compression != compressionNone) return false;
        break;
    case 16:
    case 32:
        if (header.headerSize == coreHeaderSize) return false;
        if (header.compression != compressionNone && header.compression != compressionBitfields) {
            return false;
        }
        break;
    default:
        return false;
    }

    const std::int64_t rows = header.height < 0 ? -header.height : header.height;
    return header.width > 0 && rows > 0 && header.width <= maxBmpSide && rows <= maxBmpSide &&
           header.width * rows <= maxBmpPixels;
}

// Draws a run-length encoded image (8 or 4 bits a pixel) into `image`, whose pixels
// start black. Pairs of bytes: a count and a colour (two colours for 4 bits, taken in
// turn), or 0 and an escape: 0 ends the line, 1 ends the image, 2 moves right and up
// by the next two bytes, 3 or more is that many pixels stored one by one, padded to
// a whole number of 16-bit words.
//
// The data is the header's image size of bytes from the pixel offset, as the
// Windows program loads these files (checked against its LoadImageA):
// - an image size of 0 gives no data, so the picture stays black;
// - bytes that the image size counts past the end of the file read as 0 (a run of
//   line ends), so a file cut short keeps the rows it has;
// - a pixel no run reaches, or whose colour the palette does not have, stays black
//   (black is transparent in the game); a run past the right edge loses its excess
//   rather than wrapping to the next row;
// - line ends or moves past the top row end the image; so does a move, or a run of
//   pixels one by one with its padding, that the data does not hold whole (the run
//   is then not drawn);
// - where the data runs out in the middle of a row, with no line end, move or end
//   mark after the last pixels drawn, those pixels are not shown: a row is kept from
//   its start, or from the last move, once one of these comes after it.
void drawRunLength(const std::uint8_t* data, std::size_t size, std::uint64_t at, std::uint64_t end,
                   int bitsPerPixel, const std::vector<std::uint32_t>& palette, BmpImage& image) {
    const std::int64_t width = image.width;
    const std::int64_t rows = image.height;
    std::int64_t x = 0;
    std::int64_t row = 0; // counted from the bottom
    const auto has = [&](std::uint64_t count) { return count <= end - at; };
    const auto byte = [&](std::uint64_t offset) -> unsigned {
        return offset < size ? data[offset] : 0u;
    };
    // The colour of the i-th pixel of a run whose byte is `value`.
    const auto indexOf = [bitsPerPixel](unsigned value, unsigned i) {
        if (bitsPerPixel == 8) return value;
        return i % 2 == 0 ? value >> 4 : value & 0x0Fu;
    };
    const auto put = [&](unsigned index) {
        if (x < width && index < palette.size()) {
            const std::int64_t y = rows - 1 - row;
            image.pixels[static_cast<std::size_t>(y * width + x)] = palette[index];
        }
        ++x;
    };

    std::int64_t keptUpTo = 0; // the pixels of the row before it are kept come what may
    bool ended = false;        // by the end mark, the top row, or a move cut short
    while (row < rows && has(2)) {
        const unsigned count = byte(at);
        const unsigned value = byte(at + 1);
        at += 2;
        if (count > 0) { // a run of one colour, or of two in turn
            const std::int64_t drawn = std::clamp<std::int64_t>(width - x, 0, count);
            for (unsigned i = 0; i < drawn; ++i) put(indexOf(value, i));
            x += count - drawn;
        } else if (value == 0) { // end of the line
            x = 0;
            keptUpTo = 0;
            ++row;
        } else if (value == 1) { // end of the image
            ended = true;
            break;
        } else if (value == 2) { // a move right and up
            if (!has(2)) {
                ended = true;
                break;
            }
            x += byte(at);
            row += byte(at + 1);
            keptUpTo = x;
            at += 2;
        } else { // `value` pixels stored one by one, padded to 16 bits
            const std::uint64_t bytes = bitsPerPixel == 8 ? value : (value + 1) / 2;
            const std::uint64_t stored = bytes + (bytes & 1);
            if (!has(stored)) break;
            for (unsigned i = 0; i < value; ++i)
                put(indexOf(byte(at + (bitsPerPixel == 8 ? i : i / 2)), i));
            at += stored;
        }
    }
    if (ended || row >= rows) return;
    const std::int64_t y = rows - 1 - row;
    for (std::int64_t i = keptUpTo; i < std::min(x, width); ++i)
        image.pixels[static_cast<std::size_t>(y * width + i)] = 0;
}

} // namespace

std::optional<BmpImage> decodeBmp(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) return std::nullopt;
    const Bytes in(data, size);
    Header header;
    if (!readHeader(in, header)) return std::nullopt;

    const bool core = header.headerSize == coreHeaderSize;
    std::uint64_t tableOffset = fileHeaderSize + header.headerSize;

    // Colour masks: inside the larger headers, or just after the 40-byte one.
    Channel red, green, blue;
    if (header.bitsPerPixel == 16 || header.bitsPerPixel == 32) {
        std::uint32_t masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
        if (header.bitsPerPixel == 16) {
            masks[0] = 0x7C00u;
            masks[1] = 0x03E0u;
            masks[2] = 0x001Fu;
        }
        if (header.compression == compressionBitfields) {
            const std::uint64_t at = fileHeaderSize + 40;
            if (!in.has(at, 12)) return std::nullopt;
            for (int i = 0; i < 3; ++i) masks[i] = in.u32(at + 4 * static_cast<unsigned>(i));
            if (header.headerSize == 40) tableOffset += 12;
        }
        if (!red.set(masks[0]) || !green.set(masks[1]) || !blue.set(masks[2])) {
            return std::nullopt;
        }
    }

    // The palette of an indexed image. A count above what the depth can address is
    // read as the full table rather than refused: the extra entries are unusable anyway.
    std::vector<std::uint32_t> palette;
    if (header.bitsPerPixel <= 8) {
        const std::uint32_t full = 1u << header.bitsPerPixel;
        const std::uint32_t count = (core || header.coloursUsed == 0 || header.coloursUsed > full)
                                        ? full
                                        : header.coloursUsed;
        const std::uint64_t entrySize = core ? 3 : 4;
        const std::uint64_t tableBytes = count * entrySize;
        if (!in.has(tableOffset, tableBytes) || tableOffset + tableBytes > header.pixelOffset) {
            return std::nullopt;
        }
        palette.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t at = tableOffset + i * entrySize;
            palette.push_back((static_cast<std::uint32_t>(in.u8(at + 2)) << 16) |
                              (static_cast<std::uint32_t>(in.u8(at + 1)) << 8) | in.u8(at));
        }
    }

    const std::int64_t width = header.width;
    const std::int64_t rows = header.height < 0 ? -header.height : header.height;
    if (header.runLength()) {
        // The encoded pixels start after the headers; how far they go is the header's.
        if (header.pixelOffset < tableOffset || header.pixelOffset > size) return std::nullopt;
        BmpImage image;
        image.width = static_cast<int>(width);
        image.height = static_cast<int>(rows);
        image.pixels.assign(static_cast<std::size_t>(width * rows), 0);
        drawRunLength(data, size, header.pixelOffset, header.pixelOffset + header.imageSize,
                      header.bitsPerPixel, palette, image);
        return image;
    }

    // The pixel rows must lie wholly after the headers and inside the file.
    const std::uint64_t rowBytes =
        ((static_cast<std::uint64_t>(width) * header.bitsPerPixel + 31) / 32) * 4;
    if (header.pixelOffset < tableOffset ||
        !in.has(header.pixelOffset, rowBytes * static_cast<std::uint64_t>(rows))) {
        return std::nullopt;
    }

    BmpImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(rows);
    image.pixels.resize(static_cast<std::size_t>(width * rows));
    const bool topDown = header.height < 0;
    for (std::int64_t stored = 0; stored < rows; ++stored) {
        const std::int64_t y = topDown ? stored : rows - 1 - stored;
        const std::uint64_t rowStart =
            header.pixelOffset + static_cast<std::uint64_t>(stored) * rowBytes;
        std::uint32_t* out = image.pixels.data() + static_cast<std::size_t>(y * width);
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint64_t ux = static_cast<std::uint64_t>(x);
            std::uint32_t colour = 0;
            switch (header.bitsPerPixel) {
            case 1:
            case 4:
            case 8: {
                const int bpp = header.bitsPerPixel;
                const std::uint64_t bit = ux * static_cast<std::uint64_t>(bpp);
                const std::uint8_t byte = in.u8(rowStart + bit / 8);
                // The leftmost pixel is in the byte's high bits.
                const unsigned shift = static_cast<unsigned>(8 - bpp - static_cast<int>(bit % 8));
                const std::uint32_t index = (byte >> shift) & ((1u << bpp) - 1u);
                if (index >= palette.size()) return std::nullopt;
                colour = palette[index];
                break;
            }
            case 16: {
                const std::uint32_t p = in.u16(rowStart + ux * 2);
                colour = (red.value(p) << 16) | (green.value(p) << 8) | blue.value(p);
                break;
            }
            case 24: {
                const std::uint64_t at = rowStart + ux * 3;
                colour = (static_cast<std::uint32_t>(in.u8(at + 2)) << 16) |
                         (static_cast<std::uint32_t>(in.u8(at + 1)) << 8) | in.u8(at);
                break;
            }
            default: {
                const std::uint32_t p = in.u32(rowStart + ux * 4);
                colour = (red.value(p) << 16) | (green.value(p) << 8) | blue.value(p);
                break;
            }
            }
            out[x] = colour;
        }
    }
    return image;
}

std::optional<BmpImage> readBmpFile(const char* fileName) {
    if (fileName == nullptr || *fileName == '\0') return std::nullopt;
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) return std::nullopt;
    const std::uintmax_t fileSize = std::filesystem::file_size(fileName, error);
    if (error) return std::nullopt;

    // Bytes past what the largest accepted image needs are never read: a bigger file
    // then fails the decoder's own size checks, or decodes from the part read.
    const std::uintmax_t wanted = fileSize < static_cast<std::uintmax_t>(maxBmpFileBytes)
                                      ? fileSize
                                      : static_cast<std::uintmax_t>(maxBmpFileBytes);
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(wanted));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return decodeBmp(bytes.data(), bytes.size());
}

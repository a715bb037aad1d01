#include "core/skins/bmp_image.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <string>

namespace tivora {

namespace {

constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiRle8 = 1;
constexpr std::uint32_t BiRle4 = 2;
constexpr std::uint32_t BiBitfields = 3;
constexpr std::uint32_t BiAlphaBitfields = 6;

constexpr std::size_t FileHeaderSize = 14;

[[noreturn]] void damaged(const std::string &why)
{
    throw BmpError(why);
}

// Little-endian reads; the caller has checked that the bytes are there.
std::uint16_t u16(std::string_view b, std::size_t at)
{
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

std::uint32_t u32(std::string_view b, std::size_t at)
{
    return std::uint32_t(u16(b, at)) | std::uint32_t(u16(b, at + 2)) << 16;
}

// One colour channel given by a bit mask, widened to 8 bits.
class Channel
{
public:
    Channel() = default;
    explicit Channel(std::uint32_t mask)
        : m_mask(mask), m_shift(mask ? std::countr_zero(mask) : 0), m_bits(std::popcount(mask))
    {
        if (mask && ((mask >> m_shift) & ((mask >> m_shift) + 1)) != 0)
            damaged("colour mask with a gap in its bits");
    }

    std::uint32_t operator()(std::uint32_t pixel) const
    {
        if (m_bits == 0)
            return 0;
        const std::uint32_t v = (pixel & m_mask) >> m_shift;
        if (m_bits >= 8)
            return v >> (m_bits - 8);
        // Repeat the value's bits below itself until 8 bits are filled: with 5 bits,
        // 31 becomes 255 and 16 becomes 132.
        std::uint32_t out = 0;
        int filled = 0;
        while (filled < 8) {
            out = out << m_bits | v;
            filled += m_bits;
        }
        return out >> (filled - 8);
    }

private:
    std::uint32_t m_mask = 0;
    int m_shift = 0;
    int m_bits = 0;
};

struct Header
{
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows from the top
    int bits = 0;
    std::uint32_t compression = BiRgb;
    std::uint32_t coloursUsed = 0;
    std::size_t paletteAt = 0; // where the palette (or the masks after the header) start
    std::size_t paletteEntry = 4;
    Channel red, green, blue;
};

Header readHeader(std::string_view b)
{
    if (b.size() < FileHeaderSize + 4 || b[0] != 'B' || b[1] != 'M')
        damaged("not a BMP file");
    const std::uint32_t infoSize = u32(b, FileHeaderSize);
    switch (infoSize) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        break;
    default:
        damaged("unknown BMP header of " + std::to_string(infoSize) + " bytes");
    }
    if (b.size() < FileHeaderSize + infoSize)
        damaged("header cut short");

    Header h;
    h.paletteAt = FileHeaderSize + infoSize;
    if (infoSize == 12) { // the oldest layout: 16-bit sizes, 3-byte palette entries
        h.width = u16(b, 18);
        h.height = u16(b, 20);
        h.bits = u16(b, 24);
        h.paletteEntry = 3;
    } else {
        h.width = std::int32_t(u32(b, 18));
        h.height = std::int32_t(u32(b, 22));
        h.bits = u16(b, 28);
        h.compression = u32(b, 30);
        h.coloursUsed = u32(b, 46);
    }

    const bool masks = h.compression == BiBitfields || h.compression == BiAlphaBitfields;
    if (infoSize == 64 && h.compression > BiRle4) // this layout's codes 3 and 4 mean others
        damaged("unsupported compression");
    if (h.compression != BiRgb && h.compression != BiRle8 && h.compression != BiRle4 && !masks)
        damaged("unsupported compression " + std::to_string(h.compression));
    switch (h.bits) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        damaged("unsupported depth of " + std::to_string(h.bits) + " bits");
    }
    if ((h.compression == BiRle8 && h.bits != 8) || (h.compression == BiRle4 && h.bits != 4)
        || (masks && h.bits != 16 && h.bits != 32))
        damaged("compression does not match the depth");

    if (h.width < 1 || h.height == 0)
        damaged("unusable picture size");
    if (h.width > MaxBmpSide || std::abs(h.height) > MaxBmpSide
        || std::size_t(h.width * std::abs(h.height)) > MaxBmpPixels)
        damaged("picture of " + std::to_string(h.width) + " x " + std::to_string(std::abs(h.height))
                + " pixels is over the limit of " + std::to_string(MaxBmpSide) + " x "
                + std::to_string(MaxBmpSide));
    if (h.height < 0 && (h.compression == BiRle8 || h.compression == BiRle4))
        damaged("compressed picture stored from the top");

    if (masks) {
        // The masks follow a 40-byte header; longer headers hold them in place.
        std::size_t at = FileHeaderSize + 40;
        if (infoSize == 40) {
            h.paletteAt += h.compression == BiAlphaBitfields ? 16 : 12;
            if (b.size() < h.paletteAt)
                damaged("colour masks cut short");
        }
        h.red = Channel(u32(b, at));
        h.green = Channel(u32(b, at + 4));
        h.blue = Channel(u32(b, at + 8));
    } else if (h.bits == 16) {
        h.red = Channel(0x7c00);
        h.green = Channel(0x03e0);
        h.blue = Channel(0x001f);
    } else if (h.bits == 32) {
        h.red = Channel(0xff0000);
        h.green = Channel(0xff00);
        h.blue = Channel(0xff);
    }
    return h;
}

// The palette: as many entries as the header says (all the depth allows when it says
// none), but never reaching into the pixel data or past the end of the file.
std::vector<std::uint32_t> readPalette(std::string_view b, const Header &h, std::size_t pixelsAt)
{
    std::vector<std::uint32_t> palette;
    if (h.bits > 8)
        return palette;
    std::size_t count = std::size_t(1) << h.bits;
    if (h.coloursUsed != 0 && h.coloursUsed < count)
        count = h.coloursUsed;
    const std::size_t room = (std::min(pixelsAt, b.size()) - h.paletteAt) / h.paletteEntry;
    count = std::min(count, room);
    palette.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = h.paletteAt + i * h.paletteEntry;
        palette.push_back(std::uint32_t(std::uint8_t(b[at + 2])) << 16
                          | std::uint32_t(std::uint8_t(b[at + 1])) << 8 | std::uint8_t(b[at]));
    }
    return palette;
}

std::uint32_t paletteColour(const std::vector<std::uint32_t> &palette, unsigned index)
{
    if (index >= palette.size())
        damaged("colour index " + std::to_string(index) + " outside the palette");
    return palette[index];
}

void decodeRows(std::string_view b, std::size_t at, const Header &h,
                const std::vector<std::uint32_t> &palette, RgbImage &out)
{
    const std::size_t stride = (std::size_t(h.width) * h.bits + 31) / 32 * 4;
    const std::size_t rows = std::size_t(out.height);
    for (std::size_t r = 0; r < rows; ++r) {
        const std::string_view row = b.substr(at + r * stride, stride);
        const std::size_t y = h.height < 0 ? r : rows - 1 - r;
        std::uint32_t *dst = &out.pixels[y * std::size_t(out.width)];
        for (std::size_t x = 0; x < std::size_t(out.width); ++x) {
            std::uint32_t p;
            switch (h.bits) {
            case 1:
                p = paletteColour(palette, (std::uint8_t(row[x / 8]) >> (7 - x % 8)) & 1);
                break;
            case 4:
                p = paletteColour(palette, (std::uint8_t(row[x / 2]) >> (x % 2 ? 0 : 4)) & 15);
                break;
            case 8:
                p = paletteColour(palette, std::uint8_t(row[x]));
                break;
            case 16: {
                const std::uint32_t v = u16(row, 2 * x);
                p = h.red(v) << 16 | h.green(v) << 8 | h.blue(v);
                break;
            }
            case 24:
                p = std::uint32_t(std::uint8_t(row[3 * x + 2])) << 16
                    | std::uint32_t(std::uint8_t(row[3 * x + 1])) << 8 | std::uint8_t(row[3 * x]);
                break;
            default: {
                const std::uint32_t v = u32(row, 4 * x);
                p = h.red(v) << 16 | h.green(v) << 8 | h.blue(v);
                break;
            }
            }
            dst[x] = p;
        }
    }
}

// Run-length encoded pixels (8 or 4 bits). The stream must end with its end-of-picture
// code, or run out exactly where the picture is complete. Pixels that fall outside the
// picture are dropped: encoders commonly run a row on over its padding.
void decodeRle(std::string_view b, std::size_t at, const Header &h,
               const std::vector<std::uint32_t> &palette, RgbImage &out)
{
    const bool four = h.compression == BiRle4;
    const std::size_t w = std::size_t(out.width);
    const std::size_t rows = std::size_t(out.height);
    if (!palette.empty())
        std::fill(out.pixels.begin(), out.pixels.end(), palette[0]);
    std::size_t x = 0, y = 0; // y counts rows from the bottom
    // How many of n pixels from the current position land in the picture; the rest
    // run over the row's end and are dropped in one step.
    const auto visible = [&](std::size_t n) { return y < rows && x < w ? std::min(n, w - x) : 0; };
    const auto put = [&](std::size_t i, unsigned index) {
        out.pixels[(rows - 1 - y) * w + x + i] = paletteColour(palette, index);
    };
    for (;;) {
        if (b.size() - at < 2) {
            if (y >= rows || (y == rows - 1 && x >= w))
                return;
            damaged("RLE data ends before the picture is complete");
        }
        const std::size_t count = std::uint8_t(b[at]);
        const std::uint8_t value = std::uint8_t(b[at + 1]);
        at += 2;
        if (count > 0) { // a run of one value (two alternating nibbles in 4 bits)
            paletteColour(palette, four ? value >> 4 : value);
            if (four && count > 1)
                paletteColour(palette, value & 15);
            const std::size_t n = visible(count);
            for (std::size_t i = 0; i < n; ++i)
                put(i, four ? (i % 2 ? value & 15 : value >> 4) : value);
            x += count;
        } else if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            return;
        } else if (value == 2) { // jump right and up
            if (b.size() - at < 2)
                damaged("RLE data cut short");
            x += std::uint8_t(b[at]);
            y += std::uint8_t(b[at + 1]);
            at += 2;
        } else { // literal pixels, padded to an even number of bytes
            const std::size_t n = value;
            const std::size_t bytes = four ? (n + 1) / 2 : n;
            if (b.size() - at < bytes)
                damaged("RLE data cut short");
            const std::size_t shown = visible(n);
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint8_t c = std::uint8_t(b[at + (four ? i / 2 : i)]);
                const unsigned index = four ? (i % 2 ? c & 15 : c >> 4) : c;
                if (i < shown)
                    put(i, index);
                else
                    paletteColour(palette, index);
            }
            x += n;
            at =
                std::min(at + bytes + bytes % 2, b.size()); // the padding may be missing at the end
        }
    }
}

} // namespace

RgbImage decodeBmp(std::string_view bytes)
{
    const Header h = readHeader(bytes);
    const std::size_t pixelsAt = u32(bytes, 10);
    if (pixelsAt < h.paletteAt)
        damaged("pixel data overlaps the header");
    if (pixelsAt >= bytes.size())
        damaged("pixel data starts past the end of the file");
    const std::vector<std::uint32_t> palette = readPalette(bytes, h, pixelsAt);

    const bool rle = h.compression == BiRle8 || h.compression == BiRle4;
    const std::size_t stride = (std::size_t(h.width) * h.bits + 31) / 32 * 4;
    if (!rle && (bytes.size() - pixelsAt) / stride < std::size_t(std::abs(h.height)))
        damaged("pixel data cut short: the file cannot hold the " + std::to_string(h.width)
                + " x " + std::to_string(std::abs(h.height)) + " pixels it declares");

    RgbImage out;
    out.width = int(h.width);
    out.height = int(std::abs(h.height));
    out.pixels.assign(std::size_t(out.width) * std::size_t(out.height), 0);
    if (rle)
        decodeRle(bytes, pixelsAt, h, palette, out);
    else
        decodeRows(bytes, pixelsAt, h, palette, out);
    return out;
}

} // namespace tivora

#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace tivora {

// Raised for a file that is no BMP image, is damaged, or is larger than the limits.
class BmpError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A decoded picture: width x height pixels, rows from the top, each pixel 0xRRGGBB.
struct RgbImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Skin images are small pictures: a header claiming more than this is refused before
// anything is allocated for it.
inline constexpr int MaxBmpSide = 4096;
inline constexpr std::size_t MaxBmpPixels = std::size_t(MaxBmpSide) * MaxBmpSide;

// Decodes a Windows BMP file: 1, 4 and 8 bits with a palette (uncompressed or RLE), 16
// and 32 bits (default layout or colour masks) and 24 bits; bottom-up or top-down rows.
// Every pixel of the result comes from the file: pixel data shorter than the header
// promises (refused before the picture is allocated), data starting past the end of the file, a broken RLE stream or a colour
// index outside the palette throw BmpError. Channels narrower than 8 bits are widened
// by repeating their bits, so the largest value of any channel becomes 255. Pixels an
// RLE stream skips (end-of-line and delta codes) take the palette's first colour.
RgbImage decodeBmp(std::string_view bytes);

} // namespace tivora

#pragma once

// Builds BMP files byte by byte, for the decoder's tests and the skin loading tests.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tivora::testing {

inline std::string le16(unsigned v)
{
    return {char(v & 0xff), char(v >> 8 & 0xff)};
}

inline std::string le32(std::uint32_t v)
{
    return le16(v & 0xffff) + le16(v >> 16);
}

// A BMP file with a 40-byte header, the palette (0xRRGGBB entries), any colour masks and
// the pixel bytes as given.
inline std::string bmp(std::int32_t w, std::int32_t h, unsigned bits, std::uint32_t compression,
                       const std::vector<std::uint32_t> &palette, const std::string &pixels,
                       const std::string &masks = {})
{
    std::string pal;
    for (std::uint32_t c : palette)
        pal += le32(c);
    const std::uint32_t at = std::uint32_t(14 + 40 + masks.size() + pal.size());
    return "BM" + le32(at + pixels.size()) + le32(0) + le32(at) + le32(40) + le32(w) + le32(h)
        + le16(1) + le16(bits) + le32(compression) + le32(pixels.size()) + le32(0) + le32(0)
        + le32(palette.size()) + le32(0) + masks + pal + pixels;
}

inline std::string bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s += char(b);
    return s;
}

} // namespace tivora::testing

#pragma once

#include <cstdint>

namespace tivora {

// With see-through white on (ShowWhiteBG), the window shows only the pixels that are not
// exactly white: a pixel (0xRRGGBB in its low 24 bits; the top byte is not looked at)
// is see-through when it is exactly white.
constexpr bool isSeeThrough(std::uint32_t pixel)
{
    return (pixel & 0xffffff) == 0xffffff;
}

// Sets the bits first..last (inclusive) of one row of a window shape from that row's
// pixels: a bit (the least significant first in each byte) is set where its pixel is
// shown, cleared where it is see-through; the row's other bits are kept. Returns
// whether any bit changed.
bool markShownRow(const std::uint32_t *pixels, std::uint8_t *bits, int first, int last);

} // namespace tivora

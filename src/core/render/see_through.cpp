#include "core/render/see_through.h"

#include <algorithm>

namespace tivora {

bool markShownRow(const std::uint32_t *pixels, std::uint8_t *bits, int first, int last)
{
    bool changed = false;
    for (int x = first; x <= last;) {
        // Eight pixels (or what is left of them in this byte) at a time.
        const int low = x & 7;
        const int high = std::min(7, low + last - x);
        std::uint8_t shown = 0;
        for (int b = low; b <= high; ++b, ++x)
            shown |= std::uint8_t(!isSeeThrough(pixels[x]) << b);
        const auto inside = std::uint8_t((0xff >> (7 - high)) & (0xff << low));
        std::uint8_t &byte = bits[(x - 1) >> 3];
        const auto updated = std::uint8_t((byte & ~inside) | shown);
        changed |= updated != byte;
        byte = updated;
    }
    return changed;
}

} // namespace tivora

#include "core/render/see_through.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tivora {

namespace {

// The bits of the eight pixels from x (a multiple of 8): set where a pixel is shown.
std::uint8_t shownByte(const std::uint32_t *pixels)
{
#if defined(__SSE2__)
    // Four pixels a step: each lane all ones where its pixel is exactly white.
    const __m128i white = _mm_set1_epi32(0xffffff);
    const auto seeThrough = [&](const std::uint32_t *p) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(v, white), white)));
    };
    return std::uint8_t(~(seeThrough(pixels) | seeThrough(pixels + 4) << 4));
#else
    std::uint8_t shown = 0;
    for (int b = 0; b < 8; ++b)
        shown |= std::uint8_t(!isSeeThrough(pixels[b]) << b);
    return shown;
#endif
}

} // namespace

bool markShownRow(const std::uint32_t *pixels, std::uint8_t *bits, int first, int last)
{
    bool changed = false;
    for (int x = first; x <= last;) {
        std::uint8_t &byte = bits[x >> 3];
        if ((x & 7) == 0 && last - x >= 7) {
            const std::uint8_t shown = shownByte(pixels + x);
            changed |= shown != byte;
            byte = shown;
            x += 8;
            continue;
        }
        // Part of a byte at either end of the range.
        const int low = x & 7;
        const int high = std::min(7, low + last - x);
        std::uint8_t shown = 0;
        for (int b = low; b <= high; ++b, ++x)
            shown |= std::uint8_t(!isSeeThrough(pixels[x]) << b);
        const auto inside = std::uint8_t((0xff >> (7 - high)) & (0xff << low));
        const auto updated = std::uint8_t((byte & ~inside) | shown);
        changed |= updated != byte;
        byte = updated;
    }
    return changed;
}

} // namespace tivora

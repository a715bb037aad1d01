#pragma once

#include <cstdint>

namespace tivora {

// An RGB colour. Stored in files as red + 256 x green + 65536 x blue.
struct Color
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    constexpr std::int32_t ref() const { return r | (g << 8) | (b << 16); }
    static constexpr Color fromRef(std::int32_t ref)
    {
        return {std::uint8_t(ref & 0xff), std::uint8_t((ref >> 8) & 0xff),
                std::uint8_t((ref >> 16) & 0xff)};
    }
    constexpr bool operator==(const Color &) const = default;
};

inline constexpr Color White {255, 255, 255};
inline constexpr Color Black {0, 0, 0};

} // namespace tivora

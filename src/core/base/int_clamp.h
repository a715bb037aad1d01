#pragma once

#include <algorithm>
#include <limits>
#include <type_traits>

namespace tivora {

// A wide value (64-bit integer or floating point) cut into int range: sums and products
// of values from hand-editable files are formed wide and then brought back this way, so
// that nothing overflows.
template<class T> constexpr int clampToInt(T value)
{
    static_assert(std::is_signed_v<T>, "an unsigned value needs no lower bound");
    return int(
        std::clamp(value, T(std::numeric_limits<int>::min()), T(std::numeric_limits<int>::max())));
}

// Coordinates handed to a canvas are cut to this range: far outside any picture, yet small
// enough that widths and heights formed from them cannot overflow an int.
inline constexpr int CoordLimit = 1 << 24;

constexpr int clampCoord(long long value)
{
    return int(std::clamp<long long>(value, -CoordLimit, CoordLimit));
}

} // namespace tivora

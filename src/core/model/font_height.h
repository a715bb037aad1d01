#pragma once

#include "core/base/int_clamp.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tivora {

// Font pixel height of a stored font size: points x dpi / 72, rounded to the nearest
// integer. A size of 0 or less cannot be drawn as it is: a negative size counts as its
// absolute value (the same size given the other way round, as some font tools store it)
// and 0 as 1 point. Drawing and the default text positions both take this height.
inline int fontPixelHeight(int points, int dpi)
{
    // Rounded half away from zero; computed wide so that no size can overflow.
    const std::int64_t size = std::max<std::int64_t>(std::llabs(points), 1);
    const double exact = static_cast<double>(size) * dpi / 72.0;
    const std::int64_t rounded = std::llround(exact);
    return clampToInt(rounded);
}

} // namespace tivora

#include "core/render/scale.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace tivora {

namespace {

int roundToInt(double v)
{
    // Far outside any screen; keeps absurd positions from overflowing.
    constexpr double Limit = 1 << 30;
    return int(std::lround(std::fmax(-Limit, std::fmin(Limit, v))));
}

double usable(double scale)
{
    return std::isfinite(scale) && scale > 0 ? scale : 1;
}

} // namespace

std::optional<double> parseScale(const std::string &text)
{
    if (text.empty() || text.size() > 16)
        return std::nullopt;
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    // strtod takes "inf", "nan" and hexadecimal too; only plain decimals are scales.
    if (end != text.c_str() + text.size()
        || text.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    if (!(v >= MinScale && v <= MaxScale))
        return std::nullopt;
    return v;
}

int scaledLength(int designed, double scale)
{
    return roundToInt(designed * usable(scale));
}

int designedCoordinate(int screen, const ScreenAxis &axis)
{
    return axis.origin + roundToInt((double(screen) - axis.origin) / usable(axis.scale));
}

int screenCoordinate(int designed, const ScreenAxis &axis)
{
    return axis.origin + roundToInt((double(designed) - axis.origin) * usable(axis.scale));
}

} // namespace tivora

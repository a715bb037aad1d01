#pragma once

// Helpers shared by the skin tests: all skin parameters as one comparable value, and a
// record whose every skin parameter differs from its read default.

#include "core/model/settings.h"

#include <tuple>

namespace tivora::testing {

inline auto skinParameters(const TOptions &o)
{
    return std::tie(o.cWindth, o.cHeight, o.strlX, o.strlY, o.h24, o.hLen, o.mLen, o.sLen, o.hColor,
                    o.mColor, o.sColor, o.Digits, o.Date, o.Desc, o.DigAl, o.DateAl, o.DescAl,
                    o.DigposX, o.DigposY, o.DateposX, o.DateposY, o.DescposX, o.DescposY);
}

inline TOptions unusualSkin()
{
    TOptions o;
    o.cWindth = 2048, o.cHeight = 11, // 2048: the largest cell side kept
    o.strlX = -7, o.strlY = 123456, o.h24 = true;
    o.hLen = 65535, o.mLen = 1, o.sLen = 40000, o.hColor = 255, o.mColor = -1;
    o.sColor = 16777215;
    o.Digits = {"DejaVu Sans", 7, 65280, false, true, true, false};
    o.Date = {"Liberation Serif", -12, 123, true, true, false, false};
    o.Desc = {"Courier New", 40, 1, false, false, true, false};
    o.DigAl = 0, o.DateAl = 1, o.DescAl = 255;
    o.DigposX = -2147483647 - 1, o.DigposY = 2147483647, o.DateposX = 0, o.DateposY = -5;
    o.DescposX = 17, o.DescposY = 3;
    return o;
}

} // namespace tivora::testing

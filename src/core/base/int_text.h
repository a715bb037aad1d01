#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tivora {

// Parses a whole text as a 32-bit integer: an optional sign and decimal digits, or
// hexadecimal digits after "0x"/"0X" (longer than the prefix) or "$". Hexadecimal
// values of up to eight digits keep their 32-bit pattern ("0xFFFFFFFF" is -1);
// anything else, including a decimal value outside the 32-bit range, is no integer.
std::optional<std::int32_t> parseInteger(std::string_view text);

inline std::int32_t parseIntegerOr(std::string_view text, std::int32_t defaultValue)
{
    return parseInteger(text).value_or(defaultValue);
}

// A boolean setting is true only when its text is exactly "1".
inline bool parseBoolean(std::string_view text)
{
    return text == "1";
}

// Converts a text to an integer after skipping leading blanks (the low bound when it is
// none) and clamps it to low..high.
std::int32_t StrToIntInRange(std::string_view text, std::int32_t low, std::int32_t high);

} // namespace tivora

#include "core/base/int_text.h"

namespace tivora {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> parseHex(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + std::uint64_t(d);
        if (value > 0xFFFFFFFFu) // leading zeros are fine, a 33rd bit is not
            return std::nullopt;
    }
    // The 32-bit pattern: 0xFFFFFFFF is -1.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

} // namespace

std::optional<std::int32_t> parseInteger(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    if (text[0] == '$')
        return parseHex(text.substr(1));
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return parseHex(text.substr(2));

    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    constexpr std::int64_t Limit = std::int64_t(1) << 31; // |INT32_MIN|
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > Limit)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value >= Limit)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToIntInRange(std::string_view text, std::int32_t low, std::int32_t high)
{
    // Typed numbers may start with blanks.
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    const std::int32_t value = parseInteger(text).value_or(low);
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

} // namespace tivora

#pragma once

#include "core/model/options.h"

#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>

namespace tivora {

// A number field of the skin editor: the name of its control, the range a typed value
// is held to, and the skin parameter it shows and edits.
struct SkinNumberField
{
    const char *name;
    std::int32_t low;
    std::int32_t high;
    std::int64_t (*get)(const TOptions &);
    void (*set)(TOptions &, std::int32_t);
};

template<auto Member>
constexpr SkinNumberField skinNumberField(const char *name, std::int32_t low, std::int32_t high)
{
    using Value = std::remove_reference_t<decltype(std::declval<TOptions &>().*Member)>;
    return {name, low, high, [](const TOptions &o) -> std::int64_t { return o.*Member; },
            [](TOptions &o, std::int32_t v) { o.*Member = static_cast<Value>(v); }};
}

// The editor's number fields, in its tab order: cell size, hand centre, text positions
// and hand lengths. A cell side is at least 10 pixels, texts stand at least 5 pixels in
// and hands are at least 5 pixels long; nothing goes beyond 500.
inline constexpr SkinNumberField SkinNumberFields[] = {
    skinNumberField<&TOptions::cWindth>("clWidth", 10, 500),
    skinNumberField<&TOptions::cHeight>("clHeight", 10, 500),
    skinNumberField<&TOptions::strlX>("psX", 0, 500),
    skinNumberField<&TOptions::strlY>("psY", 0, 500),
    skinNumberField<&TOptions::DigposX>("ptX", 5, 500),
    skinNumberField<&TOptions::DigposY>("ptY", 5, 500),
    skinNumberField<&TOptions::DateposX>("pdX", 5, 500),
    skinNumberField<&TOptions::DateposY>("pdY", 5, 500),
    skinNumberField<&TOptions::DescposX>("peX", 5, 500),
    skinNumberField<&TOptions::DescposY>("peY", 5, 500),
    skinNumberField<&TOptions::hLen>("lh", 5, 500),
    skinNumberField<&TOptions::mLen>("lm", 5, 500),
    skinNumberField<&TOptions::sLen>("ls", 5, 500),
};

// Stores a typed text into the field's parameter: read as an integer (StrToIntInRange:
// text that is none gives the low end) and held to the field's range.
void applySkinNumber(TOptions &options, const SkinNumberField &field, std::string_view typed);

// The alignment lists offer left, right and centre: item i stands for stored code i.
// The item that shows a stored code; none (-1) for a code the lists do not offer.
int alignmentIndex(std::uint8_t code);
// The stored code of an item; no item (-1) is kept as its low 8 bits, 255.
std::uint8_t alignmentCode(int index);

} // namespace tivora

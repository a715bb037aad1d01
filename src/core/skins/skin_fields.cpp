#include "core/skins/skin_fields.h"

#include "core/base/int_text.h"

namespace tivora {

namespace {

constexpr int AlignmentItems = 3;

} // namespace

void applySkinNumber(TOptions &options, const SkinNumberField &field, std::string_view typed)
{
    field.set(options, StrToIntInRange(typed, field.low, field.high));
}

int alignmentIndex(std::uint8_t code)
{
    return code < AlignmentItems ? code : -1;
}

std::uint8_t alignmentCode(int index)
{
    return static_cast<std::uint8_t>(index);
}

} // namespace tivora

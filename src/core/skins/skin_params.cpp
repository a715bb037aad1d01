#include "core/skins/skin_params.h"

#include "core/base/ini_fields.h"
#include "core/base/ini_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <tuple>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace tivora {

namespace {

constexpr const char *Section = "Main";

constexpr const char *DefaultSkinInfo = "Tivora built-in skin: 12-hour dial, 139 x 139 pixels";

// Sums of text positions are kept inside the 32-bit range: an absurd font size in a
// parameter file must not wrap a position round to the other end of the range.
std::int32_t saturate(std::int64_t value)
{
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// Every skin parameter with its key, in the order the parameter file stores them. The
// text positions are read last: their defaults depend on the font sizes.
#define SKIN(member) TIVORA_FIELD(TOptions, member)
constexpr IniField<TOptions> SkinKeys[] = {
    {"strlX", SKIN(strlX)},
    {"strlY", SKIN(strlY)},
    {"h24", SKIN(h24)},
    {"hLen", SKIN(hLen)},
    {"mLen", SKIN(mLen)},
    {"sLen", SKIN(sLen)},
    {"hColor", SKIN(hColor)},
    {"mColor", SKIN(mColor)},
    {"sColor", SKIN(sColor)},
    {"fnt_Digits_name", SKIN(Digits.name)},
    {"fnt_Digits_size", SKIN(Digits.size)},
    {"fnt_Digits_color", SKIN(Digits.color)},
    {"fnt_Digits_bold", SKIN(Digits.bold)},
    {"fnt_Digits_italic", SKIN(Digits.italic)},
    {"fnt_Digits_underline", SKIN(Digits.underline)},
    {"fnt_Date_name", SKIN(Date.name)},
    {"fnt_Date_size", SKIN(Date.size)},
    {"fnt_Date_color", SKIN(Date.color)},
    {"fnt_Date_bold", SKIN(Date.bold)},
    {"fnt_Date_italic", SKIN(Date.italic)},
    {"fnt_Date_underline", SKIN(Date.underline)},
    {"fnt_Desc_name", SKIN(Desc.name)},
    {"fnt_Desc_size", SKIN(Desc.size)},
    {"fnt_Desc_color", SKIN(Desc.color)},
    {"fnt_Desc_bold", SKIN(Desc.bold)},
    {"fnt_Desc_italic", SKIN(Desc.italic)},
    {"fnt_Desc_underline", SKIN(Desc.underline)},
    {"DigposX", SKIN(DigposX), true},
    {"DigposY", SKIN(DigposY), true},
    {"DateposX", SKIN(DateposX), true},
    {"DateposY", SKIN(DateposY), true},
    {"DescposX", SKIN(DescposX), true},
    {"DescposY", SKIN(DescposY), true},
    {"DigAl", SKIN(DigAl)},
    {"DateAl", SKIN(DateAl)},
    {"DescAl", SKIN(DescAl)},
    {"cWindth", SKIN(cWindth)},
    {"cHeight", SKIN(cHeight)},
};
#undef SKIN

// What a new default skin's parameter file holds after its Info line, in order.
struct DefaultSkinValue
{
    const char *key;
    std::int32_t value;
};
constexpr DefaultSkinValue DefaultSkinValues[] = {
    {"strlX", 69}, {"strlY", 69}, {"hLen", 25},  {"mLen", 39},     {"sLen", 39},
    {"hColor", 0}, {"mColor", 0}, {"sColor", 0}, {"cWindth", 139}, {"cHeight", 220},
};

// The text positions' defaults for an image of that size and the fonts of `options`:
// one text under the other just below the image, centred on its middle column.
TOptions textPositionDefaults(const TOptions &options, int imageWidth, int imageHeight, int dpi)
{
    TOptions defaults;
    const std::int64_t digitsHeight = fontPixelHeight(options.Digits.size, dpi);
    const std::int64_t dateHeight = fontPixelHeight(options.Date.size, dpi);
    const std::int64_t below = std::int64_t(imageHeight) + 1;
    defaults.DigposX = defaults.DateposX = defaults.DescposX = imageWidth / 2;
    defaults.DigposY = saturate(below);
    defaults.DateposY = saturate(below + digitsHeight);
    defaults.DescposY = saturate(below + digitsHeight + dateHeight);
    return defaults;
}

} // namespace

void writeDefaultSkinIni(IniFile &ini)
{
    ini.writeString(Section, "Info", DefaultSkinInfo);
    for (const DefaultSkinValue &v : DefaultSkinValues)
        ini.writeInteger(Section, v.key, v.value);
}

void builtInSkinParameters(TOptions &options, int imageWidth, int imageHeight, int dpi)
{
    // Every parameter as a parameter file without keys gives it, then the default
    // skin's own values over them, then the positions that follow from its fonts.
    TOptions skin = options;
    const TOptions builtIn;
    for (const IniField<TOptions> &f : SkinKeys) {
        std::visit([&](auto ref) { ref(skin) = ref(const_cast<TOptions &>(builtIn)); }, f.field);
        for (const DefaultSkinValue &v : DefaultSkinValues) {
            if (std::string_view(v.key) != f.key)
                continue;
            std::visit(
                [&](auto ref) {
                    auto &field = ref(skin);
                    using T = std::remove_reference_t<decltype(field)>;
                    if constexpr (!std::is_same_v<T, std::string>)
                        field = static_cast<T>(v.value);
                },
                f.field);
        }
    }
    const TOptions positions = textPositionDefaults(skin, imageWidth, imageHeight, dpi);
    for (const IniField<TOptions> &f : SkinKeys)
        if (f.late)
            std::visit([&](auto ref) { ref(skin) = ref(const_cast<TOptions &>(positions)); },
                       f.field);
    options = skin;
}

void readSkinParameters(const IniFile &ini, TOptions &options, int imageWidth, int imageHeight,
                        int dpi)
{
    const TOptions builtIn;
    readFields<TOptions>(ini, Section, SkinKeys, options, builtIn);
    // Strike-out is not stored: reading a font clears it.
    options.Digits.strikeOut = options.Date.strikeOut = options.Desc.strikeOut = false;

    readFields<TOptions>(ini, Section, SkinKeys, options,
                         textPositionDefaults(options, imageWidth, imageHeight, dpi), true);

    // A cell larger than any screen would only make a huge window: refused.
    for (auto [key, cell, fallback] : {std::tuple {"cWindth", &options.cWindth, builtIn.cWindth},
                                       std::tuple {"cHeight", &options.cHeight, builtIn.cHeight}}) {
        if (*cell <= MaxCellSide)
            continue;
        std::fprintf(stderr, "tivora: %s=%d in %s is over the limit of %d pixels; using %d\n",
                     key, int(*cell), ini.path().c_str(), MaxCellSide, int(fallback));
        *cell = fallback;
    }
}

void writeSkinParameters(IniFile &ini, const TOptions &options)
{
    writeFields<TOptions>(ini, Section, SkinKeys, options);
}

} // namespace tivora

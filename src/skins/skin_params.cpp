#include "skins/skin_params.h"

#include "base/ini_file.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

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

std::string fontKey(const char *font, const char *suffix)
{
    return std::string("fnt_") + font + suffix;
}

void readFont(const IniFile &ini, const char *name, FontSpec &font)
{
    font.name = ini.readString(Section, fontKey(name, "_name"), "Arial");
    font.size = ini.readInteger(Section, fontKey(name, "_size"), 18);
    font.color = ini.readInteger(Section, fontKey(name, "_color"), 0);
    font.bold = false;
    font.italic = false;
    font.underline = false;
    if (ini.readBool(Section, fontKey(name, "_bold"), true))
        font.bold = true;
    if (ini.readBool(Section, fontKey(name, "_italic"), false))
        font.italic = true;
    if (ini.readBool(Section, fontKey(name, "_underline"), false))
        font.underline = true;
}

void writeFont(IniFile &ini, const char *name, const FontSpec &font)
{
    ini.writeString(Section, fontKey(name, "_name"), font.name);
    ini.writeInteger(Section, fontKey(name, "_size"), font.size);
    ini.writeInteger(Section, fontKey(name, "_color"), font.color);
    ini.writeBool(Section, fontKey(name, "_bold"), font.bold);
    ini.writeBool(Section, fontKey(name, "_italic"), font.italic);
    ini.writeBool(Section, fontKey(name, "_underline"), font.underline);
}

// Narrow fields keep the low bits of the integer read.
std::uint16_t readU16(const IniFile &ini, const char *key, std::uint16_t defaultValue)
{
    return static_cast<std::uint16_t>(ini.readInteger(Section, key, defaultValue));
}

std::uint8_t readU8(const IniFile &ini, const char *key, std::uint8_t defaultValue)
{
    return static_cast<std::uint8_t>(ini.readInteger(Section, key, defaultValue));
}

} // namespace

void writeDefaultSkinIni(IniFile &ini)
{
    ini.writeString(Section, "Info", DefaultSkinInfo);
    ini.writeInteger(Section, "strlX", 69);
    ini.writeInteger(Section, "strlY", 69);
    ini.writeInteger(Section, "hLen", 25);
    ini.writeInteger(Section, "mLen", 39);
    ini.writeInteger(Section, "sLen", 39);
    ini.writeInteger(Section, "hColor", 0);
    ini.writeInteger(Section, "mColor", 0);
    ini.writeInteger(Section, "sColor", 0);
    ini.writeInteger(Section, "cWindth", 139);
    ini.writeInteger(Section, "cHeight", 220);
}

int fontPixelHeight(int points, int dpi)
{
    // Rounded half away from zero; computed wide so that no size can overflow.
    const double exact = static_cast<double>(points) * dpi / 72.0;
    return saturate(static_cast<std::int64_t>(std::llround(exact)));
}

void readSkinParameters(const IniFile &ini, TOptions &options, int imageWidth, int imageHeight,
                        int dpi)
{
    options.strlX = ini.readInteger(Section, "strlX", 69);
    options.strlY = ini.readInteger(Section, "strlY", 69);
    options.h24 = ini.readBool(Section, "h24", false);
    options.hLen = readU16(ini, "hLen", 25);
    options.mLen = readU16(ini, "mLen", 39);
    options.sLen = readU16(ini, "sLen", 39);
    options.hColor = ini.readInteger(Section, "hColor", 0);
    options.mColor = ini.readInteger(Section, "mColor", 0);
    options.sColor = ini.readInteger(Section, "sColor", 0);

    readFont(ini, "Digits", options.Digits);
    readFont(ini, "Date", options.Date);
    readFont(ini, "Desc", options.Desc);

    // By default the three texts stand one under the other just below the image,
    // centred on its middle column.
    const std::int64_t digitsHeight = fontPixelHeight(options.Digits.size, dpi);
    const std::int64_t dateHeight = fontPixelHeight(options.Date.size, dpi);
    const std::int32_t centre = imageWidth / 2;
    const std::int64_t below = std::int64_t(imageHeight) + 1;
    options.DigposX = ini.readInteger(Section, "DigposX", centre);
    options.DigposY = ini.readInteger(Section, "DigposY", saturate(below));
    options.DateposX = ini.readInteger(Section, "DateposX", centre);
    options.DateposY = ini.readInteger(Section, "DateposY", saturate(below + digitsHeight));
    options.DescposX = ini.readInteger(Section, "DescposX", centre);
    options.DescposY =
        ini.readInteger(Section, "DescposY", saturate(below + digitsHeight + dateHeight));

    options.DigAl = readU8(ini, "DigAl", 2);
    options.DateAl = readU8(ini, "DateAl", 2);
    options.DescAl = readU8(ini, "DescAl", 2);

    options.cWindth = readU16(ini, "cWindth", 193);
    options.cHeight = readU16(ini, "cHeight", 214);
}

void writeSkinParameters(IniFile &ini, const TOptions &options)
{
    ini.writeInteger(Section, "strlX", options.strlX);
    ini.writeInteger(Section, "strlY", options.strlY);
    ini.writeBool(Section, "h24", options.h24);
    ini.writeInteger(Section, "hLen", options.hLen);
    ini.writeInteger(Section, "mLen", options.mLen);
    ini.writeInteger(Section, "sLen", options.sLen);
    ini.writeInteger(Section, "hColor", options.hColor);
    ini.writeInteger(Section, "mColor", options.mColor);
    ini.writeInteger(Section, "sColor", options.sColor);

    writeFont(ini, "Digits", options.Digits);
    writeFont(ini, "Date", options.Date);
    writeFont(ini, "Desc", options.Desc);

    ini.writeInteger(Section, "DigposX", options.DigposX);
    ini.writeInteger(Section, "DigposY", options.DigposY);
    ini.writeInteger(Section, "DateposX", options.DateposX);
    ini.writeInteger(Section, "DateposY", options.DateposY);
    ini.writeInteger(Section, "DescposX", options.DescposX);
    ini.writeInteger(Section, "DescposY", options.DescposY);

    ini.writeInteger(Section, "DigAl", options.DigAl);
    ini.writeInteger(Section, "DateAl", options.DateAl);
    ini.writeInteger(Section, "DescAl", options.DescAl);

    ini.writeInteger(Section, "cWindth", options.cWindth);
    ini.writeInteger(Section, "cHeight", options.cHeight);
}

} // namespace tivora

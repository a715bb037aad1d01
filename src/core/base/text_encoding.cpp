#include "core/base/text_encoding.h"

#include <cstdint>

namespace tivora {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// Windows-1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F. 0x98 has no character
// in the code page; it maps to U+0098 as the system converters do, so nothing is lost.
constexpr char16_t Cp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

} // namespace

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool isValidUtf8(std::string_view bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0)
                lo = 0xA0; // overlong
            else if (c == 0xED)
                hi = 0x9F; // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0)
                lo = 0x90; // overlong
            else if (c == 0xF4)
                hi = 0x8F; // above U+10FFFF
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        if (p[1] < lo || p[1] > hi)
            return false;
        for (int i = 2; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += extra + 1;
    }
    return true;
}

std::string cp1251ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else if (c < 0xC0)
            appendUtf8(out, Cp1251High[c - 0x80]);
        else
            appendUtf8(out, char32_t(0x0410 + (c - 0xC0)));
    }
    return out;
}

std::string decodeText(std::string_view bytes)
{
    if (bytes.substr(0, Utf8Bom.size()) == Utf8Bom)
        bytes.remove_prefix(Utf8Bom.size());
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return cp1251ToUtf8(bytes);
}

std::string foldCase(std::string_view text)
{
    std::string out(text);
    const std::size_t n = out.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = char(c + ('a' - 'A'));
        } else if ((c == 0xD0 || c == 0xD2) && i + 1 < n) {
            const auto d = static_cast<unsigned char>(out[i + 1]);
            if (c == 0xD0 && d >= 0x90 && d <= 0x9F) { // А..П -> а..п
                out[i + 1] = char(d + 0x20);
            } else if (c == 0xD0 && d >= 0xA0 && d <= 0xAF) { // Р..Я -> р..я
                out[i] = char(0xD1);
                out[i + 1] = char(d - 0x20);
            } else if (c == 0xD0 && d >= 0x80 && d <= 0x8F) { // Ѐ..Џ -> ѐ..џ
                out[i] = char(0xD1);
                out[i + 1] = char(d + 0x10);
            } else if (c == 0xD2 && d == 0x90) { // Ґ -> ґ
                out[i + 1] = char(0x91);
            }
            ++i;
        }
    }
    return out;
}

} // namespace tivora

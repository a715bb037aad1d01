#pragma once

#include <string>
#include <string_view>

namespace tivora {

// Strict check: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);
// Converts Windows-1251 bytes to UTF-8.
std::string cp1251ToUtf8(std::string_view bytes);
// UTF-8 text as is, anything else read as Windows-1251; a UTF-8 byte-order mark is dropped.
std::string decodeText(std::string_view bytes);

// Lower-cases ASCII letters and the Cyrillic capitals (U+0400..U+042F, U+0490) of a
// UTF-8 text; every other byte is kept. Used to match names without regard to case.
std::string foldCase(std::string_view text);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void appendUtf8(std::string &out, char32_t codePoint);

} // namespace tivora

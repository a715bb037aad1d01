#pragma once

#include <string>
#include <string_view>

namespace tivora {

// Folds the letter case of a UTF-8 text by Unicode's simple case folding, in every script
// that has case ("Été", "ÉTÉ" and "été" fold alike; so do "Ёлка" and "ЁЛКА"); bytes
// that are not UTF-8 are kept. Skin names are matched by it, as the file systems that
// ignore case do. Settings and language files keep the narrower foldCase
// (text_encoding.h), which the names of stored files depend on.
std::string foldLetterCase(std::string_view text);

} // namespace tivora

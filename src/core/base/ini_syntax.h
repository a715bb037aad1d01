#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The syntax of one INI line: blanks, section headers, names and where a file breaks
// its lines. Shared by the reading and the writing side of the INI store.
namespace tivora::ini_syntax {

bool isBlank(char c);
// The text without blanks (spaces, tabs) at either end.
std::string_view trim(std::string_view text);
// The first character that is not a blank, or '\0'.
char firstNonBlank(std::string_view text);
// The name between '[' and ']' (or the end of the line when ']' is missing), trimmed.
std::string_view headerName(std::string_view line);
// Cuts a UTF-8 text after maxChars characters, never inside a character.
std::string_view cutToChars(std::string_view text, std::size_t maxChars);
// The trimmed name; throws std::invalid_argument for a name that would not read back
// as the same section or key.
std::string_view checkedName(std::string_view name, bool isKey);
// The line break the text uses first ("\n" when it has none).
std::string detectNewline(std::string_view text);

} // namespace tivora::ini_syntax

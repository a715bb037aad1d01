#include "core/base/ini_syntax.h"

#include <stdexcept>
#include <string>

namespace tivora::ini_syntax {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char firstNonBlank(std::string_view text)
{
    for (char c : text) {
        if (!isBlank(c))
            return c;
    }
    return '\0';
}

// The name between '[' and ']' (or the end of the line when ']' is missing), trimmed.
std::string_view headerName(std::string_view line)
{
    std::string_view rest = line.substr(line.find('[') + 1);
    const std::size_t close = rest.find(']');
    if (close != std::string_view::npos)
        rest = rest.substr(0, close);
    return trim(rest);
}

// Cuts a UTF-8 text after maxChars characters, never inside a character.
std::string_view cutToChars(std::string_view text, std::size_t maxChars)
{
    if (text.size() <= maxChars)
        return text;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == maxChars)
                return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

std::string_view checkedName(std::string_view name, bool isKey)
{
    const std::string_view trimmed = trim(name);
    bool bad = trimmed.empty() || trimmed.find_first_of("=]\r\n") != std::string_view::npos;
    // A key line starting like a header or a comment would not read back as a key.
    if (isKey && !trimmed.empty() && (trimmed.front() == '[' || trimmed.front() == ';'))
        bad = true;
    if (bad) {
        throw std::invalid_argument(
            std::string(isKey ? "Invalid key name: " : "Invalid section name: ")
            + std::string(name));
    }
    return trimmed;
}

std::string detectNewline(std::string_view text)
{
    const std::size_t pos = text.find_first_of("\r\n");
    if (pos == std::string_view::npos || text[pos] == '\n')
        return "\n";
    if (pos + 1 < text.size() && text[pos + 1] == '\n')
        return "\r\n";
    return "\r";
}

} // namespace tivora::ini_syntax

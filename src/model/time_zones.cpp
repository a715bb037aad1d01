#include "model/time_zones.h"

namespace tivora {

bool isZoneName(std::string_view name)
{
    constexpr std::size_t MaxLength = 128;
    if (name.empty() || name.size() > MaxLength)
        return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = name.find('/', start);
        const std::string_view part = name.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        for (const char c : part) {
            const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            const bool digit = c >= '0' && c <= '9';
            if (!letter && !digit && c != '_' && c != '+' && c != '-' && c != '.')
                return false;
        }
        if (slash == std::string_view::npos)
            return true;
        start = slash + 1;
    }
}

} // namespace tivora

#include "core/time/time_zones.h"

#include <algorithm>
#include <utility>

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

namespace {

// The letters of a name, lower-cased: what two spellings of one name share.
std::string letters(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c >= 'A' && c <= 'Z')
            out += char(c - 'A' + 'a');
        else if (c >= 'a' && c <= 'z')
            out += c;
    }
    return out;
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string zoneCityName(std::string_view zone, std::string_view comment)
{
    // Spellings with an apostrophe, which zone names never hold.
    static constexpr std::pair<std::string_view, std::string_view> Spellings[] = {
        {"St_Johns", "St John's"},
        {"DumontDUrville", "Dumont-d'Urville"},
    };
    const std::size_t slash = zone.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? zone : zone.substr(slash + 1);
    std::string city(last);
    std::replace(city.begin(), city.end(), '_', ' ');
    for (const auto &[id, spelling] : Spellings)
        if (last == id)
            city = spelling;
    // A comment lists places and regions separated by commas, semicolons, slashes,
    // brackets and " - ": a piece that is the city itself gives its spelling.
    const std::string key = letters(city);
    std::size_t start = 0;
    while (start <= comment.size() && !key.empty()) {
        std::size_t end = comment.find_first_of(",;/()", start);
        const std::size_t dash = comment.find(" - ", start);
        if (dash < end)
            end = dash;
        const std::string_view piece =
            trimmed(comment.substr(start, end == std::string_view::npos ? end : end - start));
        if (!piece.empty() && letters(piece) == key)
            return std::string(piece);
        if (end == std::string_view::npos)
            break;
        start = end + (end == dash ? 3 : 1);
    }
    return city;
}

} // namespace tivora

#include "core/time/city_list.h"

#include "core/model/settings.h"
#include "core/base/int_text.h"
#include "core/base/text_encoding.h"
#include "core/time/time_zones.h"
#include "core/options/clock_lines.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

namespace tivora {

namespace fs = std::filesystem;

namespace {

// The fields of a table line separated by tabs; comment and blank lines give none.
std::vector<std::string_view> tableFields(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::vector<std::string_view> fields;
    if (line.empty() || line.front() == '#')
        return fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    return fields;
}

std::map<std::string, std::string> readCountries(const fs::path &file)
{
    std::map<std::string, std::string> countries;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const auto fields = tableFields(line);
        if (fields.size() >= 2 && !fields[0].empty() && !fields[1].empty())
            countries.emplace(std::string(fields[0]), std::string(fields[1]));
    }
    return countries;
}

} // namespace

std::string utcOffsetText(int minutesEast)
{
    const int magnitude = std::abs(minutesEast);
    char text[32];
    std::snprintf(text, sizeof text, "UTC%c%.2d:%.2d", minutesEast < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

std::vector<CityZone> readCityZones(const fs::path &zoneinfoFolder,
                                    const StandardOffsetLookup &standardOffset)
{
    std::vector<CityZone> zones;
    std::ifstream in(zoneinfoFolder / "zone.tab", std::ios::binary);
    if (!in)
        return zones;
    const auto countries = readCountries(zoneinfoFolder / "iso3166.tab");
    std::string line;
    while (std::getline(in, line)) {
        const auto fields = tableFields(line);
        if (fields.size() < 3 || fields[0].empty() || fields[2].empty())
            continue;
        const std::string zoneId(fields[2]);
        const std::optional<int> offset = standardOffset(zoneId);
        if (!offset)
            continue;
        const std::string code(fields[0]);
        const auto country = countries.find(code);
        // Named city first, so that the sorted list runs by city and typing a city's
        // first letters finds it.
        const std::string_view comment = fields.size() >= 4 ? fields[3] : std::string_view();
        std::string name = zoneCityName(zoneId, comment) + ", "
            + (country != countries.end() ? country->second : code) + " (" + utcOffsetText(*offset)
            + ")";
        if (!isValidUtf8(name))
            name = cp1251ToUtf8(name);
        zones.push_back({zoneId, std::move(name), -*offset});
    }
    return zones;
}

std::vector<CityItem> cityItems(const std::vector<CityZone> &zones, int localBias)
{
    struct Keyed
    {
        std::string key;
        CityItem item;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(zones.size());
    for (const CityZone &zone : zones) {
        std::string text = zone.displayName + "|" + std::to_string(localBias - zone.bias);
        std::string key = foldCase(text);
        keyed.push_back({std::move(key), {std::move(text), zone.zoneId}});
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const Keyed &a, const Keyed &b) { return a.key < b.key; });
    std::vector<CityItem> items;
    items.reserve(keyed.size());
    for (Keyed &k : keyed)
        items.push_back(std::move(k.item));
    return items;
}

std::string_view cityItemName(std::string_view item)
{
    return item.substr(0, item.find('|'));
}

std::optional<int> cityItemOffset(std::string_view item)
{
    const std::size_t bar = item.find('|');
    if (bar == std::string_view::npos)
        return std::nullopt;
    const std::string_view text = item.substr(bar + 1);
    // A signed decimal number only: no blanks, no hexadecimal forms.
    const std::size_t digits = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (text.size() == digits
        || text.find_first_not_of("0123456789", digits) != std::string_view::npos)
        return std::nullopt;
    return parseInteger(text);
}

bool refreshZoneOffsets(TClockList &clocks, const StandardOffsetLookup &standardOffset,
                        int localStandardOffset)
{
    bool changed = false;
    for (TClock &clock : clocks) {
        if (clock.zone.empty())
            continue;
        const std::optional<int> zone = standardOffset(clock.zone);
        if (!zone)
            continue;
        const TClock now = readClockLine(offsetLine(*zone - localStandardOffset, ""));
        if (now.hour != clock.hour || now.minute != clock.minute) {
            clock.hour = now.hour;
            clock.minute = now.minute;
            changed = true;
        }
    }
    if (changed)
        SortClocks(clocks);
    return changed;
}

} // namespace tivora

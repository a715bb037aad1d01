#pragma once

#include "core/model/options.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tivora {

// The standard-time offset of a zone of the tz database (named like "Europe/Paris"),
// in minutes east of UTC, daylight saving left out; nothing for a zone it does not know.
using StandardOffsetLookup = std::function<std::optional<int>(const std::string &zoneId)>;

// A zone of the city list. Its bias is in minutes with UTC = standard time + bias, so
// UTC+3 has the bias -180.
struct CityZone
{
    std::string zoneId;
    std::string displayName; // "Kolkata, India (UTC+05:30)"
    int bias = 0;
    bool operator==(const CityZone &) const = default;
};

// Reads the zone table (zone.tab: country code, coordinates, zone name, comment) and the
// country names (iso3166.tab) of a tz database folder, in file order. A zone the lookup
// does not know is left out; a zone whose country is not named shows its code. A
// missing or unreadable zone table gives no zones.
std::vector<CityZone> readCityZones(const std::filesystem::path &zoneinfoFolder,
                                    const StandardOffsetLookup &standardOffset);

// "UTC+hh:mm" for an offset in minutes east of UTC.
std::string utcOffsetText(int minutesEast);

// An item of the city box and the zone it stands for.
struct CityItem
{
    std::string text;
    std::string zoneId;
    bool operator==(const CityItem &) const = default;
};

// The items of the city box: the display name, "|" and the zone's standard time minus
// the local standard time in minutes (localBias minus the zone's bias), sorted by their
// whole text without regard to case; equal texts keep the zones' order.
std::vector<CityItem> cityItems(const std::vector<CityZone> &zones, int localBias);

// The part of an item that is shown: the text before the first "|" (all of it if none).
std::string_view cityItemName(std::string_view item);

// The offset an item carries: the text after its first "|" as a signed decimal number;
// nothing when there is no "|" or no number there.
std::optional<int> cityItemOffset(std::string_view item);

// Brings each zone-bound clock's offsets to its zone's standard time minus the local
// standard time (localStandardOffset, minutes east of UTC), as a pick from the city list
// would set them now, and orders the list by offset again. A zone the lookup does not
// know keeps its stored offsets. Returns whether any offset changed.
bool refreshZoneOffsets(TClockList &clocks, const StandardOffsetLookup &standardOffset,
                        int localStandardOffset);

} // namespace tivora

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tivora {

// Where a clock bound to a time zone learns that zone's offset from UTC. The widget
// asks it on every repaint; the toolkit's time zones answer it in the program, a fixed
// table in the tests.
class TimeZones
{
public:
    virtual ~TimeZones() = default;
    // The zone's offset from UTC in seconds (east positive, daylight saving included) at
    // the instant given in seconds since 1970-01-01 00:00 UTC; nothing for a zone it
    // does not know.
    virtual std::optional<int> utcOffset(const std::string &zone,
                                         std::int64_t utcSeconds) const = 0;
};

// Whether a text can be a tz database zone name ("America/Argentina/Buenos_Aires",
// "Etc/GMT+5"): at most 128 characters of letters, digits and "/_+-.", made of
// non-empty parts between single slashes, none of them "." or "..". Such a name can be
// looked up as a file below the zone folder without leaving it.
bool isZoneName(std::string_view name);

// The city a zone is named after, as people write it: the last part of the zone name
// with spaces for underscores ("America/Argentina/Buenos_Aires" gives "Buenos Aires").
// A zone table comment that spells the same name with other blanks and marks gives its
// spelling ("Dumont-d'Urville"), and so do a few names the zone name cannot spell
// ("St John's").
std::string zoneCityName(std::string_view zone, std::string_view comment = {});

} // namespace tivora

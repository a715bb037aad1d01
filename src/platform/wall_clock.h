#pragma once

// The system's clock and time zones. Plain numbers only: the calendar is the core's.

#include <cstdint>
#include <filesystem>

namespace tivora {

// The wall clock: milliseconds since 1970-01-01 00:00 UTC.
std::int64_t wallClockMs();

// The local zone's offset from UTC in seconds (east positive, daylight saving included)
// at an instant in seconds since 1970-01-01 00:00 UTC. The system's zone is looked at
// anew on every call, so a zone changed on the desktop shows at the next call.
int localUtcOffset(std::int64_t utcSeconds);

// The folder of the system's tz database (zone.tab, iso3166.tab and the zone files).
std::filesystem::path zoneinfoFolder();

} // namespace tivora

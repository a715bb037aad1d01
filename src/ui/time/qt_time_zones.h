#pragma once

#include "core/time/time_zones.h"
#include "core/time/clock_time.h"

#include <QTimeZone>
#include <map>

namespace tivora {

// The toolkit's time zones (the system's tz database). Each zone is looked up once, at
// its first use, and kept; a name that cannot be a zone name never reaches the toolkit.
class QtTimeZones final : public TimeZones
{
public:
    std::optional<int> utcOffset(const std::string &zone, std::int64_t utcSeconds) const override;

private:
    mutable std::map<std::string, QTimeZone, std::less<>> m_zones;
};

// The local date and time at an instant (milliseconds since 1970-01-01 00:00 UTC), with
// the local zone's offset from UTC then. The local zone is read anew on every call, so
// a zone changed on the desktop while the program runs shows at the next call; the
// offset is read once, so the date and time always agree with it.
LocalDateTime localDateTimeAt(std::int64_t utcMilliseconds);

} // namespace tivora

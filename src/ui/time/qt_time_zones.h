#pragma once

#include "core/time/time_zones.h"

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

} // namespace tivora

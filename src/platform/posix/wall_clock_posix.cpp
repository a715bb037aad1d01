#include "platform/wall_clock.h"

#include <algorithm>
#include <ctime>

namespace tivora {

std::int64_t wallClockMs()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

LocalDateTime localTimeNow()
{
    const std::time_t now = std::time(nullptr);
    // localtime_r keeps the zone it found first; tzset looks at the system's zone again
    // (a check of one file), so a zone changed on the desktop shows at the next tick.
    tzset();
    std::tm tm {};
    localtime_r(&now, &tm);
    // A leap second reads as the second before it.
    return {tm.tm_year + 1900, tm.tm_mon + 1,           tm.tm_mday,       tm.tm_hour,
            tm.tm_min,         std::min(tm.tm_sec, 59), int(tm.tm_gmtoff)};
}

} // namespace tivora

#include "platform/wall_clock.h"

#include <ctime>

namespace tivora {

std::int64_t wallClockMs()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int localUtcOffset(std::int64_t utcSeconds)
{
    const std::time_t t = utcSeconds;
    // localtime_r keeps the zone it found first; tzset looks at the system's zone again
    // (a check of one file), so a zone changed on the desktop shows at the next tick.
    tzset();
    std::tm tm {};
    if (!localtime_r(&t, &tm))
        return 0;
    return int(tm.tm_gmtoff);
}

std::filesystem::path zoneinfoFolder()
{
    return "/usr/share/zoneinfo";
}

} // namespace tivora

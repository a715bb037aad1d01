#include "core/time/local_clock.h"

#include "core/time/clock_time.h"
#include "platform/wall_clock.h"

#include <algorithm>
#include <chrono>

namespace tivora {

LocalDateTime LocalClock::now() const
{
    const std::chrono::milliseconds ms(clockMs());
    return localDateTimeAt(std::chrono::floor<std::chrono::seconds>(ms).count(), localOffset);
}

LocalClock systemClock()
{
    return {wallClockMs, localUtcOffset};
}

LocalDateTime localDateTimeAt(std::int64_t utcSeconds, const LocalOffset &localOffset)
{
    return atUtcOffset(addSeconds(LocalDateTime {1970, 1, 1, 0, 0, 0, 0}, utcSeconds),
                       localOffset(utcSeconds));
}

std::optional<LocalDateTime> localTimeOf(const LocalDateTime &wall, const LocalOffset &localOffset)
{
    LocalDateTime asUtc = wall;
    asUtc.utcOffset = 0;
    const std::int64_t w = utcSecondsOf(asUtc);
    // The time can only have one of the offsets in force a day before and a day after,
    // as zones do not change their offset twice within two days. The larger offset
    // names the earlier instant.
    constexpr std::int64_t Day = 24 * 3600;
    const int before = localOffset(w - Day), after = localOffset(w + Day);
    for (const int offset : {std::max(before, after), std::min(before, after)}) {
        if (localOffset(w - offset) == offset) {
            LocalDateTime local = addSeconds(asUtc, 0); // fields in their ranges
            local.utcOffset = offset;
            return local;
        }
    }
    return std::nullopt;
}

} // namespace tivora

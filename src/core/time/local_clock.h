#pragma once

#include "core/time/local_time.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace tivora {

// The local zone's offset from UTC in seconds (east positive) at an instant in seconds
// since 1970-01-01 00:00 UTC.
using LocalOffset = std::function<int(std::int64_t)>;

// The one source of the time the clocks show: the wall clock and the local zone. The
// widget's timer, its repaints and its scrubbing, and the snapshot, all read the time
// through it. The program gives it the system's clock, the tests fixed functions.
struct LocalClock
{
    std::function<std::int64_t()> clockMs; // milliseconds since 1970-01-01 00:00 UTC
    LocalOffset localOffset;

    // The local date and time now, in whole seconds, with the local zone's offset then.
    LocalDateTime now() const;
};

// The system's wall clock and local zone.
LocalClock systemClock();

// The local date and time at an instant in seconds since the epoch, with the local
// zone's offset then.
LocalDateTime localDateTimeAt(std::int64_t utcSeconds, const LocalOffset &localOffset);

// The instant at which the local clock shows the date and time (its utcOffset is not
// looked at), as the local date and time with the offset then. Nothing for a time the
// local zone skips when its clocks go forward; the first of the two when they go back
// and the time passes twice.
std::optional<LocalDateTime> localTimeOf(const LocalDateTime &wall, const LocalOffset &localOffset);

} // namespace tivora

#pragma once

#include "core/time/local_time.h"

#include <cstdint>

namespace tivora {

// The wall clock: milliseconds since 1970-01-01 00:00 UTC.
std::int64_t wallClockMs();

// The local date and time now, with the local zone's offset from UTC then.
LocalDateTime localTimeNow();

} // namespace tivora

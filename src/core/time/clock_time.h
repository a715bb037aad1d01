#pragma once

#include "core/time/local_time.h"

#include <cstdint>
#include <string>

namespace tivora {

// The date and time plus a signed number of minutes or seconds, with day, month and
// year rolling over; utcOffset is carried over unchanged.
LocalDateTime addMinutes(const LocalDateTime &t, long long minutes);
LocalDateTime addSeconds(const LocalDateTime &t, long long seconds);

// The instant the time names: seconds since 1970-01-01 00:00 UTC.
std::int64_t utcSecondsOf(const LocalDateTime &t);

// The same instant as the time, in the local time of a zone that is utcOffset seconds
// east of UTC.
LocalDateTime atUtcOffset(const LocalDateTime &t, int utcOffset);

// "hh:mm:ss" on the 24-hour clock, ':' replaced by the given separator.
std::string formatTime(const LocalDateTime &t, const std::string &separator);
// "dd.mm.yyyy".
std::string formatDate(const LocalDateTime &t);

// Rounds to the nearest integer, halves to the even neighbour. Values within a
// rounding error of a half count as a half, so 39 x cos(60 degrees) rounds as 19.5.
int roundHalfEven(double value);

} // namespace tivora

#pragma once

#include <string>

namespace tivora {

// A local calendar date and time of day, whole seconds.
struct LocalDateTime
{
    int year = 2000;
    int month = 1; // 1..12
    int day = 1; // 1..31
    int hour = 0; // 0..23
    int minute = 0;
    int second = 0;
    bool operator==(const LocalDateTime &) const = default;
};

// The time plus a signed number of minutes, with day, month and year rolling over.
LocalDateTime addMinutes(const LocalDateTime &t, long long minutes);

// "hh:mm:ss" on the 24-hour clock, ':' replaced by the given separator.
std::string formatTime(const LocalDateTime &t, const std::string &separator);
// "dd.mm.yyyy".
std::string formatDate(const LocalDateTime &t);

// Rounds to the nearest integer, halves to the even neighbour. Values within a
// rounding error of a half count as a half, so 39 x cos(60 degrees) rounds as 19.5.
int roundHalfEven(double value);

} // namespace tivora

#pragma once

namespace tivora {

// A local calendar date and time of day, whole seconds, with the offset from UTC in
// force then: the date and time are UTC plus utcOffset, so together they name an
// instant that clocks bound to other time zones can show in their own local time.
struct LocalDateTime
{
    int year = 2000;
    int month = 1; // 1..12
    int day = 1; // 1..31
    int hour = 0; // 0..23
    int minute = 0;
    int second = 0;
    int utcOffset = 0; // seconds east of UTC
    bool operator==(const LocalDateTime &) const = default;
};

} // namespace tivora

#include "core/time/clock_time.h"

#include "core/base/int_clamp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tivora {

namespace {

constexpr long long SecondsPerDay = 86400;

// Offsets come from signed 8-bit fields and from time zones, so real shifts are a few
// days at most. Larger requests are cut to about two million years so that the
// arithmetic below can neither overflow nor leave the range of an int year.
constexpr long long MaxShiftSeconds = (1LL << 40) * 60;

long long floorDiv(long long a, long long b)
{
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
long long daysFromCivil(long long y, long long m, long long d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = floorDiv(y, 400);
    const long long yoe = y - era * 400; // 0..399
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1; // 0..365
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy; // 0..146096
    return era * 146097 + doe - 719468;
}

void civilFromDays(long long z, long long &y, int &m, int &d)
{
    z += 719468;
    const long long era = floorDiv(z, 146097);
    const long long doe = z - era * 146097; // 0..146096
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365; // 0..399
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100); // 0..365
    const long long mp = (5 * doy + 2) / 153; // 0..11
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

// Seconds since 1970-01-01 00:00 of the date and time read as UTC. Any field outside
// its range carries over: a month into the year, the others through the day count.
long long wallSeconds(const LocalDateTime &t)
{
    const long long monthIndex = static_cast<long long>(t.month) - 1;
    const long long year = static_cast<long long>(t.year) + floorDiv(monthIndex, 12);
    const long long month = monthIndex - floorDiv(monthIndex, 12) * 12 + 1;
    const long long days = daysFromCivil(year, month, 1) + (static_cast<long long>(t.day) - 1);
    return days * SecondsPerDay + static_cast<long long>(t.hour) * 3600
        + static_cast<long long>(t.minute) * 60 + t.second;
}

} // namespace

LocalDateTime addSeconds(const LocalDateTime &t, long long shift)
{
    const long long seconds = wallSeconds(t) + std::clamp(shift, -MaxShiftSeconds, MaxShiftSeconds);
    const long long dayNumber = floorDiv(seconds, SecondsPerDay);
    const long long secondOfDay = seconds - dayNumber * SecondsPerDay;

    LocalDateTime r;
    long long y = 0;
    civilFromDays(dayNumber, y, r.month, r.day);
    r.year = clampToInt(y);
    r.hour = int(secondOfDay / 3600);
    r.minute = int(secondOfDay / 60 % 60);
    r.second = int(secondOfDay % 60);
    r.utcOffset = t.utcOffset;
    return r;
}

LocalDateTime addMinutes(const LocalDateTime &t, long long minutes)
{
    constexpr long long MaxShiftMinutes = MaxShiftSeconds / 60;
    return addSeconds(t, std::clamp(minutes, -MaxShiftMinutes, MaxShiftMinutes) * 60);
}

std::int64_t utcSecondsOf(const LocalDateTime &t)
{
    return wallSeconds(t) - t.utcOffset;
}

LocalDateTime atUtcOffset(const LocalDateTime &t, int utcOffset)
{
    LocalDateTime r = addSeconds(t, static_cast<long long>(utcOffset) - t.utcOffset);
    r.utcOffset = utcOffset;
    return r;
}

std::string formatTime(const LocalDateTime &t, const std::string &separator)
{
    char hh[16], mm[16], ss[16];
    std::snprintf(hh, sizeof hh, "%02d", t.hour);
    std::snprintf(mm, sizeof mm, "%02d", t.minute);
    std::snprintf(ss, sizeof ss, "%02d", t.second);
    return std::string(hh) + separator + mm + separator + ss;
}

std::string formatDate(const LocalDateTime &t)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", t.day, t.month, t.year);
    return buf;
}

int roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    // sin and cos of whole-degree angles land a few ulps off an exact half (for example
    // 39 x cos(60 degrees) = 19.500000000000004); those count as the half itself, which
    // then goes to the even neighbour. Done by hand rather than with nearbyint so that
    // the result does not depend on the floating-point rounding mode.
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (std::fabs(fraction - 0.5) < 1e-9) {
        if (std::fmod(rounded, 2.0) != 0.0)
            rounded += 1.0; // the half goes to the even neighbour
    } else if (fraction > 0.5) {
        rounded += 1.0;
    }
    return clampToInt(rounded);
}

} // namespace tivora

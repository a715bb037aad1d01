#include "core/time/clock_time.h"

#include "core/base/int_clamp.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tivora {

namespace {

using std::chrono::days;
using std::chrono::seconds;
using std::chrono::sys_days;

constexpr long long SecondsPerDay = 86400;

// The Gregorian calendar repeats every 400 years, which are 146097 days. A date is
// counted as whole cycles plus a date of the cycle from 1970 to 2369, so that the
// calendar types, whose years end at 32767, serve every year an int holds.
constexpr long long YearsPerCycle = 400;
constexpr long long DaysPerCycle = 146097;
static_assert(sys_days(std::chrono::year(1970 + YearsPerCycle) / 1 / 1)
                  - sys_days(std::chrono::year(1970) / 1 / 1)
              == days(DaysPerCycle));

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

// Days since 1970-01-01 of the first day of a month (1..12) of the proleptic Gregorian
// calendar.
long long daysFromCivil(long long year, unsigned month)
{
    const long long cycles = floorDiv(year - 1970, YearsPerCycle);
    const std::chrono::year inCycle(int(year - cycles * YearsPerCycle));
    const sys_days first = inCycle / std::chrono::month(month) / 1;
    return cycles * DaysPerCycle + first.time_since_epoch().count();
}

void civilFromDays(long long dayNumber, long long &y, int &m, int &d)
{
    const long long cycles = floorDiv(dayNumber, DaysPerCycle);
    const std::chrono::year_month_day date {sys_days(days(dayNumber - cycles * DaysPerCycle))};
    y = int(date.year()) + cycles * YearsPerCycle;
    m = int(unsigned(date.month()));
    d = int(unsigned(date.day()));
}

// Seconds since 1970-01-01 00:00 of the date and time read as UTC. Any field outside
// its range carries over: a month into the year, the others through the day count.
long long wallSeconds(const LocalDateTime &t)
{
    const long long monthIndex = static_cast<long long>(t.month) - 1;
    const long long year = static_cast<long long>(t.year) + floorDiv(monthIndex, 12);
    const auto month = unsigned(monthIndex - floorDiv(monthIndex, 12) * 12 + 1);
    const long long days = daysFromCivil(year, month) + (static_cast<long long>(t.day) - 1);
    return days * SecondsPerDay + static_cast<long long>(t.hour) * 3600
        + static_cast<long long>(t.minute) * 60 + t.second;
}

} // namespace

LocalDateTime addSeconds(const LocalDateTime &t, long long shift)
{
    const seconds wall(wallSeconds(t) + std::clamp(shift, -MaxShiftSeconds, MaxShiftSeconds));
    const days dayNumber = std::chrono::floor<days>(wall);
    const std::chrono::hh_mm_ss<seconds> timeOfDay(wall - dayNumber);

    LocalDateTime r;
    long long y = 0;
    civilFromDays(dayNumber.count(), y, r.month, r.day);
    r.year = clampToInt(y);
    r.hour = int(timeOfDay.hours().count());
    r.minute = int(timeOfDay.minutes().count());
    r.second = int(timeOfDay.seconds().count());
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

namespace {

// Writes the number in decimal at out, zero-padded to at least width characters with the
// sign counted among them, as printf's "%0*d" writes it; gives the end of what it wrote.
// Room for 11 characters is enough for every int and a width up to 11.
char *writePadded(char *out, int value, int width)
{
    char digits[10];
    int n = 0;
    // In unsigned arithmetic, so that the most negative int has a magnitude too.
    unsigned magnitude = value < 0 ? 0U - unsigned(value) : unsigned(value);
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        *out++ = '-';
        --width;
    }
    for (int pad = width - n; pad > 0; --pad)
        *out++ = '0';
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

} // namespace

std::string formatTime(const LocalDateTime &t, const std::string &separator)
{
    if (separator.size() > 4) { // a locale's separator is a character or two
        char number[11];
        std::string text(number, writePadded(number, t.hour, 2));
        text += separator;
        text.append(number, writePadded(number, t.minute, 2));
        text += separator;
        text.append(number, writePadded(number, t.second, 2));
        return text;
    }
    char buf[3 * 11 + 2 * 4];
    char *end = writePadded(buf, t.hour, 2);
    end = std::copy(separator.begin(), separator.end(), end);
    end = writePadded(end, t.minute, 2);
    end = std::copy(separator.begin(), separator.end(), end);
    end = writePadded(end, t.second, 2);
    return std::string(buf, end);
}

std::string formatDate(const LocalDateTime &t)
{
    char buf[3 * 11 + 2];
    char *end = writePadded(buf, t.day, 2);
    *end++ = '.';
    end = writePadded(end, t.month, 2);
    *end++ = '.';
    end = writePadded(end, t.year, 4);
    return std::string(buf, end);
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

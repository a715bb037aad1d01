#include "core/options/clock_lines.h"

#include "core/base/int_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tivora {

namespace {

// The parts of a line before its description.
struct LineHead
{
    std::string_view hourText; // the sign and the hours
    std::string_view minuteText;
    std::string_view desc;
    bool hasColon = false;
};

LineHead splitLine(std::string_view line)
{
    LineHead head;
    const std::size_t colon = line.find(':');
    head.hourText = line.substr(0, colon);
    if (colon == std::string_view::npos)
        return head;
    head.hasColon = true;
    const std::string_view rest = line.substr(colon + 1);
    const std::size_t space = rest.find(' ');
    head.minuteText = rest.substr(0, space);
    if (space != std::string_view::npos)
        head.desc = rest.substr(space + 1);
    return head;
}

std::string formatLine(bool negative, long long hours, long long minutes, std::string_view desc)
{
    char head[64];
    std::snprintf(head, sizeof head, "%s%.2lld:%.2lld ", negative ? "-" : "+", hours, minutes);
    std::string line(head);
    line.append(desc);
    return line;
}

// An entry's 8-bit hour and minute for an offset in minutes: the hour rounded down and
// the minute 0..59, or, where the hour leaves its range, the rest in the minute.
void setOffset(TClock &clock, long long total)
{
    constexpr long long Lowest = 60LL * INT8_MIN + INT8_MIN;
    constexpr long long Highest = 60LL * INT8_MAX + INT8_MAX;
    total = std::clamp(total, Lowest, Highest);
    long long hour = total / 60;
    if (total % 60 < 0)
        --hour;
    hour = std::clamp<long long>(hour, INT8_MIN, INT8_MAX);
    clock.hour = static_cast<std::int8_t>(hour);
    clock.minute = static_cast<std::int8_t>(total - 60 * hour);
}

} // namespace

std::string clockLine(int hour, int minute, std::string_view desc)
{
    const long long total = 60LL * hour + minute;
    const long long size = total < 0 ? -total : total;
    return formatLine(total < 0, size / 60, size % 60, desc);
}

std::string offsetLine(int minutes, std::string_view desc)
{
    const long long size = std::abs(static_cast<long long>(minutes));
    return formatLine(minutes < 0, std::min<long long>(size / 60, MaxHourField), size % 60, desc);
}

TClock readClockLine(std::string_view line)
{
    const LineHead head = splitLine(line);
    const long long hours = parseIntegerOr(head.hourText, 0);
    const long long minutes = parseIntegerOr(head.minuteText, 0);
    const long long size = 60 * (hours < 0 ? -hours : hours) + minutes;
    TClock clock;
    setOffset(clock, !head.hourText.empty() && head.hourText.front() == '-' ? -size : size);
    clock.desc = std::string(head.desc);
    return clock;
}

HourMinute lineFields(std::string_view line)
{
    const LineHead head = splitLine(line);
    return {parseIntegerOr(head.hourText, 0), parseIntegerOr(head.minuteText, 0)};
}

std::vector<std::string> clockLines(const TClockList &clocks)
{
    std::vector<std::string> lines;
    for (const TClock &clock : clocks)
        if (!clock.isSystemTime())
            lines.push_back(clockLine(clock));
    return lines;
}

std::vector<std::string> clockZones(const TClockList &clocks)
{
    std::vector<std::string> zones;
    for (const TClock &clock : clocks)
        if (!clock.isSystemTime())
            zones.push_back(clock.zone);
    return zones;
}

std::string zoneAfterCommit(std::string_view oldLine, std::string_view newLine, std::string zone)
{
    const TClock before = readClockLine(oldLine);
    const TClock after = readClockLine(newLine);
    if (before.hour != after.hour || before.minute != after.minute)
        zone.clear();
    return zone;
}

std::string committedLine(std::string_view hourText, std::string_view minuteText,
                          std::string_view desc, std::string_view oldLine)
{
    const int hour = StrToIntInRange(hourText, MinHourField, MaxHourField);
    const int minute = StrToIntInRange(minuteText, MinMinuteField, MaxMinuteField);
    if (splitLine(oldLine).hasColon) {
        const HourMinute shown = lineFields(oldLine);
        if (std::clamp(shown.hour, MinHourField, MaxHourField) == hour
            && std::clamp(shown.minute, MinMinuteField, MaxMinuteField) == minute) {
            const LineHead head = splitLine(oldLine);
            std::string line(oldLine.substr(0, head.minuteText.data() + head.minuteText.size()
                                                   - oldLine.data()));
            line += ' ';
            line.append(desc);
            return line;
        }
    }
    return formatLine(hour < 0, std::abs(hour), minute, desc);
}

} // namespace tivora

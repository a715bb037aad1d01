#include "options/clock_lines.h"

#include "base/int_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tivora {

namespace {

std::int8_t offsetFromText(std::string_view text)
{
    const std::int32_t value = parseIntegerOr(text, 0);
    return static_cast<std::int8_t>(std::clamp<std::int32_t>(value, INT8_MIN, INT8_MAX));
}

} // namespace

std::string clockLine(int hour, int minute, std::string_view desc)
{
    char head[32];
    std::snprintf(head, sizeof head, "%s%.2d:%.2d ", hour < 0 ? "-" : "+", std::abs(hour), minute);
    std::string line(head);
    line.append(desc);
    return line;
}

TClock readClockLine(std::string_view line)
{
    TClock clock;
    const std::size_t colon = line.find(':');
    clock.hour = offsetFromText(line.substr(0, colon));
    if (colon == std::string_view::npos)
        return clock;
    const std::string_view rest = line.substr(colon + 1);
    const std::size_t space = rest.find(' ');
    clock.minute = offsetFromText(rest.substr(0, space));
    if (space != std::string_view::npos)
        clock.desc = std::string(rest.substr(space + 1));
    return clock;
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
                          std::string_view desc)
{
    return clockLine(StrToIntInRange(hourText, MinHourField, MaxHourField),
                     StrToIntInRange(minuteText, MinMinuteField, MaxMinuteField), desc);
}

} // namespace tivora

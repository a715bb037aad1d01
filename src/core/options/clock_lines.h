#pragma once

#include "core/model/options.h"

#include <string>
#include <string_view>
#include <vector>

namespace tivora {

// Ranges of the clock editor's hour and minute fields.
inline constexpr int MinHourField = -24;
inline constexpr int MaxHourField = 24;
inline constexpr int MinMinuteField = 0;
inline constexpr int MaxMinuteField = 59;

// The editor's two fields: the hour (signed) and the minute.
struct HourMinute
{
    int hour = 0;
    int minute = 0;
    bool operator==(const HourMinute &) const = default;
};

// The text of one clock in the options dialog's list, "%s%.2d:%.2d %s": the sign of the
// clock's offset (60 x hour + minute; "-" when it is behind, else "+"), the whole hours
// and the remaining minutes of its size, one space and the description. Hour -4 with
// minute 30 is three and a half hours behind: "-03:30 St Johns"; hour 3, minute 0 gives
// "+03:00 ". Offsets from a hand-edited file show what they stand for (hour 3, minute -5
// gives "+02:55 "), with more digits where needed ("+120:00 ").
std::string clockLine(int hour, int minute, std::string_view desc);
inline std::string clockLine(const TClock &clock)
{
    return clockLine(clock.hour, clock.minute, clock.desc);
}

// The line of a clock set to an offset in minutes (a pick from the city list), its hours
// limited to the hour field's range: -210 gives "-03:30 ", -30 gives "-00:30 ".
std::string offsetLine(int minutes, std::string_view desc);

// The line a freshly added clock gets.
inline constexpr std::string_view NewClockLine = "+00:00";

// Reads a clock line back into an entry with the same offset: the sign and the hours
// are the text before the first ":", the minutes the number between that ":" and the
// next space, the description everything after that space (leading spaces included).
// The entry's minute is 0..59 with the hour rounded down ("-03:30" gives hour -4,
// minute 30), as far as the entry's 8-bit fields allow. A part that is no number
// reads as 0.
TClock readClockLine(std::string_view line);

// What the editor's fields show for a line: its hours with the line's sign, and its
// minutes ("-03:30" gives -3 and 30). An hour field has no -0: "-00:30" gives 0 and 30.
HourMinute lineFields(std::string_view line);

// One line per clock of the list, in list order; system-time entries (both offsets
// zero, no zone) get none. clockZones gives the same lines' zones.
std::vector<std::string> clockLines(const TClockList &clocks);
std::vector<std::string> clockZones(const TClockList &clocks);

// The zone a clock line keeps when the editor commits newLine over oldLine: kept while
// the hour and minute stay as they were (only the description was edited), dropped
// (a fixed-offset clock again) when either changed.
std::string zoneAfterCommit(std::string_view oldLine, std::string_view newLine, std::string zone);

// The line the editor's fields commit over the selected line oldLine: the hour and
// minute texts read as integers within the fields' ranges (no number gives the lower
// bound, others are clamped), with the hour's sign. While the fields still read what
// they were filled with from oldLine, only the description is new and the offset stays
// as oldLine has it, so "-00:30" and hand-edited offsets wider than the fields survive
// an edit of the description.
std::string committedLine(std::string_view hourText, std::string_view minuteText,
                          std::string_view desc, std::string_view oldLine = {});

} // namespace tivora

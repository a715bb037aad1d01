#pragma once

#include "model/options.h"

#include <string>
#include <string_view>
#include <vector>

namespace tivora {

// Ranges of the clock editor's hour and minute fields.
inline constexpr int MinHourField = -24;
inline constexpr int MaxHourField = 24;
inline constexpr int MinMinuteField = 0;
inline constexpr int MaxMinuteField = 59;

// The text of one clock in the options dialog's list, "%s%.2d:%.2d %s": the hour's
// sign ("-" when negative, else "+"), its magnitude and the minute with at least two
// digits, one space and the description ("-05:30 Denver", "+03:00 ").
// Offsets from a hand-edited file may be wider (hour 120 gives "+120:00 ", minute -5
// gives "+03:-05 "); readClockLine reads those back as well.
std::string clockLine(int hour, int minute, std::string_view desc);
inline std::string clockLine(const TClock &clock)
{
    return clockLine(clock.hour, clock.minute, clock.desc);
}

// The line a freshly added clock gets.
inline constexpr std::string_view NewClockLine = "+00:00";

// Reads a clock line: the hour is the signed number before the first ":", the minute
// the number between that ":" and the next space, the description everything after
// that space (leading spaces included). For the lines of the usual width these are
// exactly characters 1-3, 5-6 and 8 onwards. A part that is no number reads as 0.
TClock readClockLine(std::string_view line);

// One line per clock of the list, in list order; system-time entries (both offsets
// zero, no zone) get none. clockZones gives the same lines' zones.
std::vector<std::string> clockLines(const TClockList &clocks);
std::vector<std::string> clockZones(const TClockList &clocks);

// The zone a clock line keeps when the editor commits newLine over oldLine: kept while
// the hour and minute stay as they were (only the description was edited), dropped
// (a fixed-offset clock again) when either changed.
std::string zoneAfterCommit(std::string_view oldLine, std::string_view newLine, std::string zone);

// The line the editor's fields commit: the hour and minute texts read as integers
// within the fields' ranges (no number gives the lower bound, others are clamped).
std::string committedLine(std::string_view hourText, std::string_view minuteText,
                          std::string_view desc);

} // namespace tivora

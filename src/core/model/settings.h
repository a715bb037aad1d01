#pragma once

#include "core/model/options.h"

#include <string>

namespace tivora {

class IniFile;

inline constexpr const char *MainSection = "Main";
inline constexpr const char *ClockSection = "Tivora";

// Reads section Main (the position defaults to the window's current one),
// the clock list (with each clock's zone, when it names one), appends the system-time
// entry and sorts the list.
void loadSettings(const IniFile &ini, TOptions &options, WindowPlacement &placement,
                  TClockList &clocks);

// Writes section Main and rewrites the clock section: system-time entries (both
// offsets 0, no zone) are skipped, the others numbered from 01 in list order, a
// zone-bound clock's zone after its description. Throws IniWriteError on failure.
void writeSettings(IniFile &ini, const TOptions &options, const WindowPlacement &placement,
                   const TClockList &clocks);

// Orders the list by 60 x hour + minute, ascending; equal keys keep their order.
void SortClocks(TClockList &clocks);

// "Clock_%.2d_h" and friends.
std::string clockKey(int number, const char *suffix);

} // namespace tivora

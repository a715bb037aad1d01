#pragma once

#include "core/i18n/lang_messages.h"
#include "core/time/local_time.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tivora {

// How far one step moves the clocks away from now: a wheel notch or a key press, plain
// (15 minutes), with Shift (an hour) or with Ctrl (a day).
enum class ScrubStep { Quarter, Hour, Day };
int stepMinutes(ScrubStep step);

// The wheel's units a notch (eighths of a degree, as mice report them).
constexpr int WheelNotch = 120;

// How far the clocks are moved away from now, in whole minutes. It starts live; the
// first step scrubs it, and it stays scrubbed until reset, also at a shift of 0.
class Scrub
{
public:
    // A year either way: far enough to plan with, near enough for the zones' rules.
    static constexpr long long MaxShiftMinutes = 365LL * 24 * 60;

    bool active() const { return m_active; }
    long long shiftMinutes() const { return m_shift; }
    // Moves by the given number of steps (negative: earlier), within the limits.
    void step(ScrubStep kind, int steps);
    // Adds a wheel delta (positive: forward, later). The fine deltas of touchpads add up
    // to whole notches; a turn the other way drops what was left of the last notch.
    // Returns the steps taken.
    int wheel(int delta, ScrubStep kind);
    // Back to now.
    void reset();

private:
    bool m_active = false;
    long long m_shift = 0;
    int m_wheelRest = 0;
};

// The local date and time the clocks show when moved by the shift: now with its seconds
// dropped, moved by the shift, in the local zone's offset at that instant. localOffset
// gives that offset (seconds east of UTC) for an instant in seconds since the epoch.
LocalDateTime scrubbedTime(const LocalDateTime &now, long long shiftMinutes,
                           const std::function<int(std::int64_t)> &localOffset);

// The shift as the message table words it: "+2:15", "−1 д 3:00". Each message is a
// pattern in which {d} stands for the days, {h} for the hours and {mm} for the two-digit
// minutes; anything else is kept as it is.
std::string shiftText(long long shiftMinutes, const MessageTable &messages);

} // namespace tivora

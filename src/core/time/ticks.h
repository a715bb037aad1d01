#pragma once

#include <cstdint>

namespace tivora {

// What the one-second timer does when it fires: whether it paints, which second it
// paints, and how long until it fires again.
struct TickPlan
{
    bool paint = false;
    std::int64_t second = 0; // seconds since the epoch
    int delayMs = 0;
    bool operator==(const TickPlan &) const = default;
};

// How far past the whole second the timer is armed, so that it never fires a hair
// before the second it is meant for.
constexpr int TickLateMs = 1;

// A timer firing at nowMs (wall clock, milliseconds since the epoch), when the last
// painted second was lastPainted: it paints the current second unless that one is
// painted already (a timer that fired early, or a clock set back within the second),
// and is armed again for just after the next whole second of the wall clock, so that
// it keeps to the second after the clock is set or the machine resumes.
TickPlan planTick(std::int64_t nowMs, std::int64_t lastPainted);

} // namespace tivora

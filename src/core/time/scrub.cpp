#include "core/time/scrub.h"

#include "core/time/clock_time.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace tivora {

int stepMinutes(ScrubStep step)
{
    switch (step) {
    case ScrubStep::Hour:
        return 60;
    case ScrubStep::Day:
        return 24 * 60;
    case ScrubStep::Quarter:
        break;
    }
    return 15;
}

void Scrub::step(ScrubStep kind, int steps)
{
    m_active = true;
    m_shift = std::clamp(m_shift + static_cast<long long>(steps) * stepMinutes(kind),
                         -MaxShiftMinutes, MaxShiftMinutes);
}

int Scrub::wheel(int delta, ScrubStep kind)
{
    if ((delta > 0 && m_wheelRest < 0) || (delta < 0 && m_wheelRest > 0))
        m_wheelRest = 0;
    // Within a few notches of a whole turn, so that the sum never overflows.
    m_wheelRest = std::clamp(m_wheelRest + std::clamp(delta, -1000 * WheelNotch, 1000 * WheelNotch),
                             -1000 * WheelNotch, 1000 * WheelNotch);
    const int steps = m_wheelRest / WheelNotch;
    m_wheelRest -= steps * WheelNotch;
    if (steps != 0)
        step(kind, steps);
    return steps;
}

void Scrub::reset()
{
    *this = Scrub();
}

LocalDateTime scrubbedTime(const LocalDateTime &now, long long shiftMinutes,
                           const std::function<int(std::int64_t)> &localOffset)
{
    LocalDateTime minute = now;
    minute.second = 0;
    const LocalDateTime moved = addMinutes(minute, shiftMinutes);
    return localOffset ? atUtcOffset(moved, localOffset(utcSecondsOf(moved))) : moved;
}

std::string shiftText(long long shiftMinutes, const MessageTable &messages)
{
    const std::chrono::minutes m(std::llabs(
        std::clamp(shiftMinutes, -Scrub::MaxShiftMinutes * 100, Scrub::MaxShiftMinutes * 100)));
    const long long days = std::chrono::floor<std::chrono::days>(m).count();
    const std::chrono::hh_mm_ss<std::chrono::minutes> time(m - std::chrono::days(days));
    const std::string minutes = std::to_string(time.minutes().count());
    const std::string values[][2] = {
        {"{d}", std::to_string(days)},
        {"{h}", std::to_string(time.hours().count())},
        {"{mm}", minutes.size() < 2 ? "0" + minutes : minutes},
    };
    const int message = shiftMinutes < 0 ? (days > 0 ? MsgEarlierDays : MsgEarlier)
                                         : (days > 0 ? MsgLaterDays : MsgLater);
    const std::string &pattern = messages.text(message);
    std::string text;
    for (size_t i = 0; i < pattern.size();) {
        bool replaced = false;
        for (const auto &[name, value] : values) {
            if (pattern.compare(i, name.size(), name) == 0) {
                text += value;
                i += name.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            text += pattern[i++];
    }
    return text;
}

} // namespace tivora

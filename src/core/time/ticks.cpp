#include "core/time/ticks.h"

namespace tivora {

TickPlan planTick(std::int64_t nowMs, std::int64_t lastPainted)
{
    // Floor division, so that times before the epoch fall into the right second too.
    std::int64_t second = nowMs / 1000;
    if (nowMs % 1000 < 0)
        --second;
    const int intoSecond = int(nowMs - second * 1000);
    return {second != lastPainted, second, 1000 - intoSecond + TickLateMs};
}

} // namespace tivora

#include "core/model/snap.h"

#include "core/base/int_clamp.h"

#include <algorithm>
#include <cstdlib>

namespace tivora {

Point snapToWorkArea(Point p, int width, int height, const WorkArea &area)
{
    // Each test sees the values the tests before it left, so a window that fits the
    // area within twice the snap distance ends up flush with the right (bottom) edge.
    if (std::abs(area.left - p.x) <= SnapDistance)
        p.x = area.left;
    if (std::abs(area.top - p.y) <= SnapDistance)
        p.y = area.top;
    if (std::abs(area.right - p.x - width) <= SnapDistance)
        p.x = area.right - width;
    if (std::abs(area.bottom - p.y - height) <= SnapDistance)
        p.y = area.bottom - height;
    return p;
}

namespace {

// Sizes and distances in 64 bits: positions come from the settings file and may be
// anywhere an int reaches.
struct Extent
{
    long long width = 0;
    long long height = 0;
};

Extent overlap(const Box &a, const Box &b)
{
    const long long w = std::min<long long>(a.right, b.right) - std::max<long long>(a.left, b.left);
    const long long h = std::min<long long>(a.bottom, b.bottom) - std::max<long long>(a.top, b.top);
    return {std::max(0LL, w), std::max(0LL, h)};
}

// The squared distance between the nearest points of two boxes; 0 when they touch.
double gapSquared(const Box &a, const Box &b)
{
    const double dx =
        double(std::max({0LL, (long long)b.left - a.right, (long long)a.left - b.right}));
    const double dy =
        double(std::max({0LL, (long long)b.top - a.bottom, (long long)a.top - b.bottom}));
    return dx * dx + dy * dy;
}

Box boxAt(Point p, int width, int height)
{
    return {p.x, p.y, clampToInt((long long)p.x + width), clampToInt((long long)p.y + height)};
}

int placed(int at, int size, int low, int high)
{
    if ((long long)high - low < size)
        return low;
    return int(std::clamp<long long>(at, low, (long long)high - size));
}

} // namespace

const ScreenArea *screenOf(const Box &window, const std::vector<ScreenArea> &screens)
{
    const ScreenArea *best = nullptr;
    long long bestOverlap = 0;
    double bestGap = 0;
    for (const ScreenArea &s : screens) {
        const Extent o = overlap(window, s.bounds);
        const long long area = o.width * o.height;
        const double gap = gapSquared(window, s.bounds);
        if (!best || area > bestOverlap || (area == bestOverlap && gap < bestGap)) {
            best = &s;
            bestOverlap = area;
            bestGap = gap;
        }
    }
    return best;
}

Point snapToScreens(Point wanted, int width, int height, const std::vector<ScreenArea> &screens)
{
    const ScreenArea *screen = screenOf(boxAt(wanted, width, height), screens);
    return screen ? snapToWorkArea(wanted, width, height, screen->workArea) : wanted;
}

Point keepReachable(Point at, int width, int height, const std::vector<ScreenArea> &screens)
{
    const Box window = boxAt(at, width, height);
    const long long needWidth = std::min(ReachableSize, width);
    const long long needHeight = std::min(ReachableSize, height);
    for (const ScreenArea &s : screens) {
        const Extent o = overlap(window, s.bounds);
        if (o.width >= needWidth && o.height >= needHeight)
            return at;
    }
    const ScreenArea *nearest = screenOf(window, screens);
    if (!nearest)
        return at;
    const Box &area = nearest->workArea.empty() ? nearest->bounds : nearest->workArea;
    return {placed(at.x, width, area.left, area.right),
            placed(at.y, height, area.top, area.bottom)};
}

} // namespace tivora

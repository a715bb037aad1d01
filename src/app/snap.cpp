#include "app/snap.h"

#include <cstdlib>

namespace tivora {

Position snapToWorkArea(Position p, int width, int height, const WorkArea &area)
{
    // Each test sees the values the tests before it left, so a window that fits the
    // area within twice the snap distance ends up flush with the right (bottom) edge.
    if (std::abs(area.left - p.left) <= SnapDistance)
        p.left = area.left;
    if (std::abs(area.top - p.top) <= SnapDistance)
        p.top = area.top;
    if (std::abs(area.right - p.left - width) <= SnapDistance)
        p.left = area.right - width;
    if (std::abs(area.bottom - p.top - height) <= SnapDistance)
        p.top = area.bottom - height;
    return p;
}

} // namespace tivora

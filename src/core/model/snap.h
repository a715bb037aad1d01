#pragma once

#include "core/model/box.h"

#include <vector>

namespace tivora {

// A screen rectangle whose right and bottom lie just outside it.
using WorkArea = Box;

inline constexpr int SnapDistance = 8;

// Snaps a window of the given size at the wanted position to the work area's edges
// within SnapDistance (inclusive); right beats left and bottom beats top.
Point snapToWorkArea(Point wanted, int width, int height, const WorkArea &area);

// One screen of the desktop: all of it, and the part the window manager leaves to
// windows (the whole screen where it gives none).
struct ScreenArea
{
    Box bounds;
    WorkArea workArea;
    bool operator==(const ScreenArea &) const = default;
};

// A window can still be grabbed when this much of it (all of it, if it is smaller)
// lies on one screen.
inline constexpr int ReachableSize = 40;

// The screen a window is on: the one it overlaps most, or, overlapping none, the one
// nearest to it; ties go to the earlier screen. Nothing without screens.
const ScreenArea *screenOf(const Box &window, const std::vector<ScreenArea> &screens);

// Snaps to the work area of the screen the window would be on at the wanted position.
Point snapToScreens(Point wanted, int width, int height, const std::vector<ScreenArea> &screens);

// Where a window must stand so that it can be reached: where it is when it shows at
// least ReachableSize x ReachableSize pixels on some screen (or no screen is known),
// otherwise moved the least way fully into the work area of its nearest screen (its
// top-left corner there when it is larger than that area).
Point keepReachable(Point at, int width, int height, const std::vector<ScreenArea> &screens);

} // namespace tivora

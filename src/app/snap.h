#pragma once

#include "model/box.h"

namespace tivora {

// A screen rectangle whose right and bottom lie just outside it.
using WorkArea = Box;

inline constexpr int SnapDistance = 8;

struct Position
{
    int left = 0;
    int top = 0;
    bool operator==(const Position &) const = default;
};

// Snaps a window of the given size at the wanted position to the work area's edges
// within SnapDistance (inclusive); right beats left and bottom beats top.
Position snapToWorkArea(Position wanted, int width, int height, const WorkArea &area);

} // namespace tivora

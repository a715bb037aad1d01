#pragma once

#include "core/model/options.h"
#include "core/render/clock_painter.h"

namespace tivora {

struct GridSize
{
    int columns = 0;
    int rows = 0;
    int width = 0; // pixels
    int height = 0; // pixels
    bool operator==(const GridSize &) const = default;
};

// Raises cWindth and cHeight to at least 10 and returns the grid the clock list needs.
GridSize fitGrid(TOptions &options, const TClockList &clocks);

// Fills the canvas with the current fill colour (made solid) and paints every shown
// clock into its cell, Width to a row. An error in one face ends only that face.
void composeGrid(Canvas &canvas, const FaceContext &ctx, const TClockList &clocks);

// Whether the cursor counts as over a window; both far edges are included.
bool cursorOverWindow(int cx, int cy, int left, int top, int width, int height);

} // namespace tivora

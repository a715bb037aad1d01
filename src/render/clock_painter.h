#pragma once

#include "model/options.h"
#include "render/canvas.h"
#include "render/clock_time.h"

#include <string>

namespace tivora {

// What one repaint needs besides the canvas.
struct FaceContext
{
    const TOptions &options;
    const Bitmap &skin;
    LocalDateTime now; // the local date and time of this repaint
    std::string timeSeparator; // the locale's time separator
};

struct Point
{
    int x = 0;
    int y = 0;
    bool operator==(const Point &) const = default;
};

// End point of a hand of length len at angle (radians, 0 = up, clockwise) from pivot.
Point handEnd(Point pivot, double angle, int len);

// Paints one clock face for the entry into the cell whose top-left corner is (x, y).
// Leaves the canvas's pen, fill and font as the last drawing left them.
void PaintClock(Canvas &canvas, const FaceContext &ctx, int x, int y, const TClock &entry);

} // namespace tivora

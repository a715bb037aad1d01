#pragma once

#include "core/model/box.h"
#include "core/model/options.h"
#include "core/time/time_zones.h"
#include "core/render/canvas.h"
#include "core/time/clock_time.h"

#include <string>

namespace tivora {

// What one repaint needs besides the canvas.
struct FaceContext
{
    const TOptions &options;
    const Bitmap &skin;
    LocalDateTime now; // the local date and time of this repaint, with its UTC offset
    std::string timeSeparator; // the locale's time separator
    // Where clocks bound to a time zone find its offset; without it every clock shows
    // its stored offsets.
    const TimeZones *zones = nullptr;
    // Whether the clocks show another moment than now: every face then carries a marker
    // (digits and date in italics, a thin frame in the hour hand's colour), and one face
    // shows scrubText where its description goes.
    bool scrubbed = false;
    std::string scrubText {};
};

// The date and time a face shows at the local time now: for a clock bound to a zone
// that the zones know, that zone's local time at the same instant (daylight saving
// included, whatever the local zone does); otherwise now plus the clock's offsets.
LocalDateTime faceTime(const LocalDateTime &now, const TClock &entry, const TimeZones *zones);

// End point of a hand of length len at angle (radians, 0 = up, clockwise) from pivot.
Point handEnd(Point pivot, double angle, int len);
// The same for the angle of step `step` of a turn of `steps` equal steps (2 pi step / steps),
// taken from a table for the 60, 720 and 1440 steps of the hands.
Point handEndAt(Point pivot, int step, int steps, int len);

// How many pixels left of its cell a face for the entry can draw: hands round a pivot
// near the left edge, texts placed or aligned past it with their boxes. The texts are
// measured in the canvas's fonts; its drawing state is left as it was.
long long reachLeftOfCell(Canvas &canvas, const FaceContext &ctx, const TClock &entry,
                          bool carriesScrubText = false);

// Paints one clock face for the entry into the cell whose top-left corner is (x, y).
// Leaves the canvas's pen, fill and font as the last drawing left them. The face that
// carries the scrub text shows it in place of its description, also where descriptions
// are hidden.
void PaintClock(Canvas &canvas, const FaceContext &ctx, int x, int y, const TClock &entry,
                bool carriesScrubText = false);

} // namespace tivora

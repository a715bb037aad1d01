#pragma once

#include <optional>
#include <string>

namespace tivora {

// Pixel sizes on a scaled desktop. Every size of the widget and the dialogs is designed
// in pixels at scale 1 ("designed pixels"); a screen at scale s shows each designed pixel
// as s screen pixels. The windows lay out and draw in designed pixels and the toolkit
// multiplies by the screen's scale; only the settings file counts in screen pixels, so a
// widget keeps its place when the desktop's scale changes.

// The scales --snapshot accepts: beyond them a picture is either too small to read or
// too large to hold.
inline constexpr double MinScale = 0.5;
inline constexpr double MaxScale = 8;

// A scale given as text ("2", "1.5", "1.25"); nothing for anything else or a scale out
// of range.
std::optional<double> parseScale(const std::string &text);

// The screen pixels a designed length covers at the scale, rounded to the nearest pixel
// (halves away from zero), as the toolkit rounds window sizes.
int scaledLength(int designed, double scale);

// One axis of a screen: where it starts, in screen pixels (the toolkit keeps a screen's
// origin unscaled), and its scale.
struct ScreenAxis
{
    int origin = 0;
    double scale = 1;
};

// A screen coordinate in designed pixels of the screen, and back; both round to the
// nearest pixel as the toolkit does, so a designed coordinate maps back to itself.
int designedCoordinate(int screen, const ScreenAxis &axis);
int screenCoordinate(int designed, const ScreenAxis &axis);

} // namespace tivora

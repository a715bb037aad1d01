#pragma once

// Helpers shared by the files of QtCanvas: the canvas's limits and the conversions from
// its colours and pens to the toolkit's.

#include "core/base/int_clamp.h"
#include "core/render/canvas.h"

#include <QColor>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace tivora::canvas_detail {

// Whether the painter draws at a device pixel ratio other than 1 (a scaled desktop).
inline bool onScaledDevice(const QPainter &p)
{
    return p.device() && p.device()->devicePixelRatioF() != 1.0;
}

// A hand-edited skin can ask for any point size; glyphs taller than this are not drawn
// larger, so an absurd size cannot exhaust memory in the glyph cache.
inline constexpr int MaxFontPixels = 2048;
// Bounds of the text caches: the skin's three fonts fit with room to spare. Texts are
// pruned after every picture; the text limit only matters for a caller that never asks
// for the finished picture.
inline constexpr size_t MaxCachedFonts = 8;
inline constexpr size_t MaxCachedTexts = 4096;
// Line sprites: hands of up to this extent, and so many of them (a few megabytes).
inline constexpr int MaxSpriteSide = 256;
inline constexpr size_t MaxLineSprites = 512;
// Glyph sprites of one font: the digits of a few colours at the places a text puts them.
inline constexpr size_t MaxGlyphSprites = 1024;

// Coordinates are cut by clampCoord before they reach QPainter.

// Clamps a rectangle's edges; false when nothing of it is left to draw.
inline bool clampRect(int &left, int &top, int &right, int &bottom)
{
    left = clampCoord(left);
    top = clampCoord(top);
    right = clampCoord(right);
    bottom = clampCoord(bottom);
    return right > left && bottom > top;
}

inline QColor toQColor(Color c)
{
    return QColor(c.r, c.g, c.b);
}

inline Color fromQRgb(QRgb p)
{
    return {std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)), std::uint8_t(qBlue(p))};
}

inline QPen toQPen(const Pen &pen)
{
    // Width 0 and below draw one pixel wide, like width 1. Caps and joins are Qt's
    // defaults: without antialiasing a square cap draws both end pixels of a 1-pixel line,
    // and on 2-pixel hands it looks like a round cap at a quarter of the cost.
    return QPen(toQColor(pen.color), std::max(pen.width, 1), Qt::SolidLine, Qt::SquareCap,
                Qt::BevelJoin);
}

} // namespace tivora::canvas_detail

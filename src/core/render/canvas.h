#pragma once

#include "core/model/box.h"
#include "core/model/options.h"
#include "core/base/colour.h"

#include <optional>
#include <string>

namespace tivora {

struct Pen
{
    Color color = Black;
    int width = 1;
    bool operator==(const Pen &) const = default;
};

// The current fill: its colour and whether shapes are filled (solid) or left empty.
struct Brush
{
    Color color = White;
    bool solid = true;
    bool operator==(const Brush &) const = default;
};

struct TextSize
{
    int width = 0;
    int height = 0;
};

// A read-only picture (the skin bitmap).
class Bitmap
{
public:
    virtual ~Bitmap() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual Color pixel(int x, int y) const = 0;
};

// A drawing surface that keeps its drawing state (pen, fill, font) from call to call,
// as the face painter relies on. Rectangles run from (left, top) to (right, bottom)
// with the right and bottom edges excluded.
class Canvas
{
public:
    virtual ~Canvas() = default;

    const Pen &pen() const { return m_pen; }
    const Brush &brush() const { return m_brush; }
    const FontSpec &font() const { return m_font; }
    // Whether text is drawn with smoothed (anti-aliased) edges; on until switched off.
    bool textSmoothing() const { return m_textSmoothing; }
    void setPen(const Pen &pen) { m_pen = pen; }
    void setBrush(const Brush &brush) { m_brush = brush; }
    void setFont(const FontSpec &font) { m_font = font; }
    void setTextSmoothing(bool on) { m_textSmoothing = on; }

    virtual int width() const = 0;
    virtual int height() const = 0;
    // Fills with the current fill colour (whether or not the fill is solid).
    virtual void fillRect(int left, int top, int right, int bottom) = 0;
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    // The same line with smoothed (anti-aliased) edges: the same end points and width.
    virtual void smoothLine(int x1, int y1, int x2, int y2) = 0;
    // Outline in the current pen along columns left and right-1, rows top and bottom-1;
    // the inside filled with the current fill when it is solid.
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    virtual void roundRect(int left, int top, int right, int bottom, int ellipseW,
                           int ellipseH) = 0;
    // Text with its top-left corner at (x, y), in the current font's colour, on a
    // transparent background.
    virtual void textOut(int x, int y, const std::string &text) = 0;
    virtual TextSize textSize(const std::string &text) = 0;
    // Where two texts drawn at the same place in the current font can differ: the span
    // of columns from the text's left edge, first and last, that holds every glyph not
    // placed alike in both (an empty span when they are equal). Nothing when the canvas
    // cannot tell without laying the texts out; the caller then takes both whole.
    virtual std::optional<std::pair<int, int>> textDifference(const std::string &,
                                                              const std::string &)
    {
        return std::nullopt;
    }
    // The same, as the box of every pixel the two texts draw unalike, relative to the
    // text's top-left corner (an empty box when they are equal), where the canvas knows
    // its glyphs' pixels. Nothing when it does not; textDifference() is then asked.
    virtual std::optional<Box> textChangeBox(const std::string &, const std::string &)
    {
        return std::nullopt;
    }
    virtual void drawBitmap(int x, int y, const Bitmap &bitmap) = 0;
    virtual Color pixel(int x, int y) const = 0;

private:
    Pen m_pen;
    Brush m_brush;
    FontSpec m_font {"", 0, 0, false, false, false, false};
    bool m_textSmoothing = true;
};

} // namespace tivora

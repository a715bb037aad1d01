#pragma once

#include "core/model/box.h"
#include "core/render/canvas.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tivora {

// One drawing call, with the drawing state it used and every pixel it can touch.
struct DrawOp
{
    enum class Kind : std::uint8_t { Fill, Line, SmoothLine, Rectangle, RoundRect, Text, Bitmap };
    Kind kind = Kind::Fill;
    // Edges, line ends, or the top-left corner; a text's c and d are its measured width
    // and height.
    int a = 0, b = 0, c = 0, d = 0;
    int ellipseW = 0, ellipseH = 0;
    Pen pen;
    Brush brush;
    FontSpec font; // texts only
    bool smooth = true; // texts only: drawn with smoothed edges
    std::string text;
    const Bitmap *bitmap = nullptr;
    Box box;
    bool operator==(const DrawOp &) const = default;
};

// A canvas that records the drawing calls of a picture instead of drawing them, so that
// two pictures can be compared call by call and a picture can be drawn again, whole or
// only where it changed. Texts are measured by the canvas that draws them. The drawing
// state carries over from one picture to the next, as on a real canvas.
class DisplayList : public Canvas
{
public:
    explicit DisplayList(Canvas &measure) : m_measure(measure) { }
    // It keeps a pointer into its own calls.
    DisplayList(const DisplayList &) = delete;
    DisplayList &operator=(const DisplayList &) = delete;

    // Starts a new picture of the given size; the last one becomes previous().
    void begin(int width, int height);
    const std::vector<DrawOp> &ops() const { return m_ops; }
    const std::vector<DrawOp> &previous() const { return m_previous; }
    // The areas that differ between previous() and ops(): the old and the new place of
    // every call that changed (of a text that changed in place, only the glyphs that
    // changed), cut to the picture. Everything when the pictures differ in size or in
    // their number of calls.
    std::vector<Box> changedAreas();

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    void fillRect(int left, int top, int right, int bottom) override;
    void line(int x1, int y1, int x2, int y2) override;
    void smoothLine(int x1, int y1, int x2, int y2) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void roundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH) override;
    void textOut(int x, int y, const std::string &text) override;
    TextSize textSize(const std::string &text) override;
    std::optional<std::pair<int, int>> textDifference(const std::string &before,
                                                      const std::string &after) override;
    void drawBitmap(int x, int y, const Bitmap &bitmap) override;
    // Nothing is drawn here, so there is nothing to read: white.
    Color pixel(int x, int y) const override;

private:
    DrawOp &add(DrawOp::Kind kind, Box box);
    // The size of a text in the current font, if this or the previous picture measured it.
    const DrawOp *measured(const std::string &text);

    Canvas &m_measure;
    std::vector<DrawOp> m_ops;
    std::vector<DrawOp> m_previous;
    int m_width = 0;
    int m_height = 0;
    int m_previousWidth = -1;
    int m_previousHeight = -1;
    // The text last measured in this picture, and where the search for texts of the
    // previous picture goes on: the texts of a picture come in the order of the last one.
    const DrawOp *m_lastMeasured = nullptr; // in m_previous, or m_measuredNew
    DrawOp m_measuredNew;
    size_t m_previousText = 0;
};

// Joins boxes whose bounding box is hardly larger than the two together, so that the
// changes of a face reach the window as a few rectangles rather than many slivers.
std::vector<Box> mergeBoxes(std::vector<Box> boxes);

// The pixels of the boxes as disjoint boxes in bands from top to bottom: the boxes of a
// band are equally tall, ordered left to right and never touch; two bands that touch
// differ in their boxes' columns.
std::vector<Box> bandedBoxes(const std::vector<Box> &boxes);

// Which parts of a picture an area covers, kept in square cells: answers in constant
// time whether a box may reach the area (never "no" when it does); an area of a few
// boxes, as a tick's, is then checked box by box, so that the answer is exact.
class AreaCover
{
public:
    AreaCover(int width, int height, const std::vector<Box> &area);
    bool reaches(const Box &box) const;

private:
    static constexpr int Cell = 32;
    static constexpr size_t ExactBoxes = 256;
    int count(int c0, int r0, int c1, int r1) const; // cells in columns c0..c1-1, rows r0..r1-1
    int m_columns = 0;
    int m_rows = 0;
    std::vector<int> m_sums; // (m_columns + 1) x (m_rows + 1) running sums of covered cells
    std::vector<Box> m_boxes; // the area inside the picture, while it has few boxes
};

// Makes the recorded calls again on a canvas, in order: all of them, or those that can
// reach the area (the canvas is expected to clip to it).
void replay(const std::vector<DrawOp> &ops, Canvas &canvas);
void replay(const std::vector<DrawOp> &ops, Canvas &canvas, const AreaCover &area);

} // namespace tivora

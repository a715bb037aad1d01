#pragma once

#include "core/render/canvas.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tivora::test {

// One drawing call with the drawing state in force when it was made.
struct Op
{
    enum Kind { FillRect, Line, SmoothLine, Rectangle, RoundRect, TextOut, DrawBitmap } kind;
    std::vector<int> v; // the call's integer arguments in order
    std::string text;
    Pen pen;
    Brush brush;
    FontSpec font;
    bool textSmoothing = true;
};

// A canvas that records every call. Text measures 10 pixels per character (UTF-8 code
// point) and 20 pixels high unless a size is set for it, so geometry is exact.
class RecordingCanvas : public Canvas
{
public:
    std::vector<Op> ops;
    std::map<std::string, TextSize> sizes;
    std::string throwOnText; // textOut of this text throws

    int width() const override { return 1000; }
    int height() const override { return 1000; }
    void fillRect(int l, int t, int r, int b) override { record(Op::FillRect, {l, t, r, b}); }
    void line(int x1, int y1, int x2, int y2) override { record(Op::Line, {x1, y1, x2, y2}); }
    void smoothLine(int x1, int y1, int x2, int y2) override
    {
        record(Op::SmoothLine, {x1, y1, x2, y2});
    }
    void rectangle(int l, int t, int r, int b) override { record(Op::Rectangle, {l, t, r, b}); }
    void roundRect(int l, int t, int r, int b, int ew, int eh) override
    {
        record(Op::RoundRect, {l, t, r, b, ew, eh});
    }
    void textOut(int x, int y, const std::string &text) override
    {
        if (!throwOnText.empty() && text == throwOnText)
            throw std::runtime_error("text failed");
        record(Op::TextOut, {x, y}, text);
    }
    TextSize textSize(const std::string &text) override
    {
        if (auto it = sizes.find(text); it != sizes.end())
            return it->second;
        int chars = 0;
        for (unsigned char ch : text)
            chars += (ch & 0xC0) != 0x80;
        return {10 * chars, 20};
    }
    void drawBitmap(int x, int y, const Bitmap &) override { record(Op::DrawBitmap, {x, y}); }
    Color pixel(int, int) const override { return White; }

    std::vector<Op> ofKind(Op::Kind kind) const
    {
        std::vector<Op> out;
        for (const Op &op : ops)
            if (op.kind == kind)
                out.push_back(op);
        return out;
    }

private:
    void record(Op::Kind kind, std::vector<int> v, std::string text = {})
    {
        ops.push_back(
            {kind, std::move(v), std::move(text), pen(), brush(), font(), textSmoothing()});
    }
};

// A skin bitmap of one colour.
struct SolidBitmap : Bitmap
{
    Color colour;
    explicit SolidBitmap(Color c) : colour(c) { }
    int width() const override { return 139; }
    int height() const override { return 139; }
    Color pixel(int, int) const override { return colour; }
};

} // namespace tivora::test

#pragma once

// Drawing straight into the pixels of a picture that a painter is open on: plain fills,
// copies of opaque images and premultiplied sprites laid on with SourceOver, each cut to
// a few rectangles. The results are the toolkit's to the bit (the same rounding), at a
// fraction of the cost of a painter call through a clip of many rectangles.

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <optional>
#include <utility>
#include <vector>

namespace tivora {

// A premultiplied picture laid on with SourceOver, kept as the pixels of each row that
// hold anything (a hand is a few pixels a row), so that laying it on touches only those.
struct Sprite
{
    // Takes the pixels in use from a drawn picture (Format_ARGB32_Premultiplied) whose
    // top-left corner lies at offset from the place the sprite is laid on at.
    static Sprite pack(const QImage &image, QPoint offset);

    struct Row
    {
        int first = 0, last = 0; // columns in use, past-last excluded, from used.left()
        size_t at = 0; // where the row's pixels start in pixels
    };
    QRect used; // the part in use, from the place it is laid on at
    std::vector<Row> rows; // of used, top to bottom
    std::vector<QRgb> pixels;
};

// The pixels under an open painter, when they can be written directly: a picture of
// 32-bit opaque pixels at scale 1, not shared, reached by a whole-pixel translation.
class RawPixels
{
public:
    static std::optional<RawPixels> under(QPainter &painter);
    // The pixels of a picture itself, painter coordinates being its own.
    static std::optional<RawPixels> of(QImage &image);

    // Each call draws only inside the given rectangles (painter coordinates), which do
    // not overlap, and inside the picture.
    void fill(const QRect &rect, QRgb colour, const std::vector<QRect> &clip) const;
    void copy(const QImage &opaque, QPoint at, const std::vector<QRect> &clip) const;
    void lay(const Sprite &sprite, QPoint at, const std::vector<QRect> &clip) const;

private:
    RawPixels() = default;
    // Calls f(rect) for every part of rect inside a clip rectangle and the picture, in
    // picture coordinates.
    template <typename F>
    void eachPart(const QRect &rect, const std::vector<QRect> &clip, F &&f) const;
    QRgb *row(int y) const { return m_bits + y * m_stride; }

    QPoint m_offset; // of painter coordinates in the picture
    int m_width = 0;
    int m_height = 0;
    QRgb *m_bits = nullptr;
    qsizetype m_stride = 0; // in pixels
};

// Whether two rectangles share a pixel (QRect::intersects, without the call).
inline bool overlaps(const QRect &a, const QRect &b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom()
        && b.top() <= a.bottom() && !a.isEmpty() && !b.isEmpty();
}

// Lays n premultiplied pixels over n others: dst = src + dst * (255 - alpha of src) / 255
// per channel, rounded as byteMul rounds.
void blendRow(QRgb *dst, const QRgb *src, int n);

// x * a / 255 per channel of a 32-bit pixel, rounded as the toolkit's raster engine
// rounds it.
inline QRgb byteMul(QRgb x, uint a)
{
    uint t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = x + ((x >> 8) & 0xff00ff) + 0x800080;
    x &= 0xff00ff00;
    return x | t;
}

} // namespace tivora

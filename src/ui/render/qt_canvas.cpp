#include "ui/render/qt_canvas.h"

#include "core/render/scale.h"
#include "ui/render/qt_canvas_detail.h"
#include "ui/render/qt_font_cache.h"

#include <QPen>
#include <algorithm>
#include <cmath>

namespace tivora {

using namespace canvas_detail;

// --- QtBitmap ----------------------------------------------------------------------------

QtBitmap::QtBitmap(QImage image)
{
    setImage(std::move(image));
}

void QtBitmap::setImage(QImage image)
{
    if (!image.isNull() && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    m_image = std::move(image);
}

Color QtBitmap::pixel(int x, int y) const
{
    // Outside the picture (and for an empty picture) the answer is white, the skins'
    // background colour: a skin that failed to load then gives a white window on which
    // the black default texts stay readable, not a black one.
    if (!m_image.valid(x, y))
        return White;
    return fromQRgb(m_image.pixel(x, y));
}

// --- QtCanvas ----------------------------------------------------------------------------

QtCanvas::QtCanvas(int dpi) : m_dpi(dpi > 0 ? dpi : 96) { }

QtCanvas::~QtCanvas()
{
    endPainting();
}

void QtCanvas::resize(int width, int height, double scale)
{
    endPainting();
    m_imageWidth = 0;
    m_imageHeight = 0;
    if (width <= 0 || height <= 0 || !(scale > 0)) {
        m_image = QImage();
        return;
    }
    // A size beyond what QImage can hold gives a null image; every drawing call then does
    // nothing.
    m_image = QImage(scaledLength(width, scale), scaledLength(height, scale), QImage::Format_RGB32);
    if (m_image.isNull())
        return;
    m_image.setDevicePixelRatio(scale);
    m_image.fill(Qt::white);
    m_imageWidth = width;
    m_imageHeight = height;
}

const QImage &QtCanvas::image()
{
    endPainting();
    endFrame();
    return m_image;
}

void QtCanvas::begin(QPainter &painter, int width, int height, const QRegion &area)
{
    lend(width, height, area);
    m_target = &painter;
    m_target->setRenderHint(QPainter::Antialiasing, false);
    // Fills, the skin and the sprites of hands and glyphs then go straight into the
    // pixels: a painter call through a clip of many rectangles costs many times more.
    if (!m_area.empty())
        m_raw = RawPixels::under(painter);
    m_lastPaintRaw = m_raw.has_value();
}

void QtCanvas::begin(QImage &pixels, int width, int height, const QRegion &area)
{
    lend(width, height, area);
    m_targetPixels = &pixels;
    m_targetArea = area;
    if (!m_area.empty())
        m_raw = RawPixels::of(pixels);
    m_lastPaintRaw = m_raw.has_value();
}

void QtCanvas::lend(int width, int height, const QRegion &area)
{
    end();
    endPainting();
    m_targetWidth = width;
    m_targetHeight = height;
    if (area.rectCount() <= 64)
        m_area.assign(area.begin(), area.end());
}

void QtCanvas::end()
{
    m_raw.reset();
    m_target = nullptr;
    m_pixelsPainter.reset(); // ends it
    m_targetPixels = nullptr;
    m_targetArea = QRegion();
    m_area.clear();
    m_painterFont = nullptr;
}

void QtCanvas::endFrame()
{
    if (m_textUsed) {
        // Keep only what this picture drew: the next one draws nearly the same texts.
        for (auto &f : m_fonts)
            std::erase_if(f->texts, [&](const auto &t) { return t.second.picture != m_picture; });
        ++m_picture;
        m_textUsed = false;
    }
}

QPainter &QtCanvas::painter()
{
    if (m_target)
        return *m_target;
    if (m_targetPixels) {
        m_pixelsPainter = std::make_unique<QPainter>(m_targetPixels);
        m_pixelsPainter->setClipRegion(m_targetArea);
        m_pixelsPainter->setRenderHint(QPainter::Antialiasing, false);
        m_painterFont = nullptr;
        m_target = m_pixelsPainter.get();
        return *m_target;
    }
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_image);
        m_painter->setRenderHint(QPainter::Antialiasing, false);
        m_painterFont = nullptr;
    }
    return *m_painter;
}

void QtCanvas::endPainting() const
{
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
        m_painterFont = nullptr;
    }
}

void QtCanvas::fillRect(int left, int top, int right, int bottom)
{
    if (!drawable())
        return;
    // Only the part inside the picture matters; clipping first keeps the size in range.
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width());
    bottom = std::min(bottom, height());
    if (right <= left || bottom <= top)
        return;
    fillSpan(QRect(left, top, right - left, bottom - top), brush().color);
}

void QtCanvas::line(int x1, int y1, int x2, int y2)
{
    if (!drawable())
        return;
    QPainter &p = painter();
    p.setPen(toQPen(pen()));
    // Drawn as a two-point polyline, not as a line: for a wide pen the toolkit's line
    // shortcut first cuts the line to the clip's bounding box, which moves its pixels, so
    // a line repainted in part (only where the picture changed) would not match the line
    // drawn whole.
    const QPoint ends[] = {QPoint(clampCoord(x1), clampCoord(y1)),
                           QPoint(clampCoord(x2), clampCoord(y2))};
    p.drawPolyline(ends, 2);
}

void QtCanvas::fillSpan(const QRect &rect, Color colour)
{
    if (m_raw)
        m_raw->fill(rect, toQColor(colour).rgb(), m_area);
    else
        painter().fillRect(rect, toQColor(colour));
}

QPainter &QtCanvas::shapePainter()
{
    QPainter &p = painter();
    p.setPen(toQPen(pen()));
    if (brush().solid)
        p.setBrush(toQColor(brush().color));
    else
        p.setBrush(Qt::NoBrush);
    return p;
}

void QtCanvas::spanBox(int left, int top, int right, int bottom, int cut)
{
    if (brush().solid && right - left > 2 && bottom - top > 2)
        fillSpan(QRect(left + 1, top + 1, right - left - 2, bottom - top - 2), brush().color);
    const Color c = pen().color;
    if (right - left > 2 * cut) {
        fillSpan(QRect(left + cut, top, right - left - 2 * cut, 1), c);
        fillSpan(QRect(left + cut, bottom - 1, right - left - 2 * cut, 1), c);
    }
    if (bottom - top > 2) {
        fillSpan(QRect(left, top + 1, 1, bottom - top - 2), c);
        fillSpan(QRect(right - 1, top + 1, 1, bottom - top - 2), c);
    }
}

void QtCanvas::rectangle(int left, int top, int right, int bottom)
{
    if (!drawable() || !clampRect(left, top, right, bottom))
        return;
    if (m_raw && pen().width <= 1 && right - left > 2 && bottom - top > 2) {
        // The same pixels as the outline below, as spans.
        spanBox(left, top, right, bottom, 0);
        return;
    }
    QPainter &p = shapePainter();
    // Without antialiasing, a 1-pixel outline of QRect(l, t, w, h) covers columns l..l+w
    // and rows t..t+h, so this puts the edges on columns left and right-1, rows top and
    // bottom-1.
    p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

void QtCanvas::roundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH)
{
    if (!drawable())
        return;
    if (ellipseW <= 1 || ellipseH <= 1) {
        rectangle(left, top, right, bottom);
        return;
    }
    if (!clampRect(left, top, right, bottom))
        return;

    if (ellipseW <= 3 && ellipseH <= 3 && pen().width <= 1) {
        // A corner ellipse this small rounds each corner by one pixel. QPainter's path
        // rasteriser places such tiny corners unevenly, so the box is built from exact
        // spans, the four edges without their corner pixels.
        spanBox(left, top, right, bottom, 1);
        return;
    }
    QPainter &p = shapePainter();
    // The half-pixel shift centres the path on the pixel grid, which places larger corners
    // evenly.
    p.drawRoundedRect(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1),
                      ellipseW / 2.0, ellipseH / 2.0, Qt::AbsoluteSize);
}

void QtCanvas::drawBitmap(int x, int y, const Bitmap &bitmap)
{
    if (!drawable() || bitmap.width() <= 0 || bitmap.height() <= 0)
        return;
    const QPoint at(clampCoord(x), clampCoord(y));
    if (const auto *qb = dynamic_cast<const QtBitmap *>(&bitmap)) {
        if (m_raw) { // only ever at scale 1
            m_raw->copy(qb->image(), at, m_area);
            return;
        }
        QPainter &p = painter();
        const double scale = p.device() ? p.device()->devicePixelRatioF() : 1.0;
        if (scale == 1.0) {
            p.drawImage(at, qb->image());
            return;
        }
        // On a scaled device the image is scaled smoothly once, not on every repaint,
        // and then drawn pixel for pixel where the scale is whole.
        const QImage &image = qb->image();
        if (m_scaledFrom != image.cacheKey() || m_scaledBy != scale || m_scaledBitmap.isNull()) {
            m_scaledBitmap = image.scaled(scaledLength(image.width(), scale),
                                          scaledLength(image.height(), scale),
                                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_scaledBitmap.setDevicePixelRatio(scale);
            m_scaledFrom = image.cacheKey();
            m_scaledBy = scale;
        }
        p.drawImage(QRectF(at, QSizeF(image.width(), image.height())), m_scaledBitmap);
        return;
    }
    // Any other bitmap is copied pixel by pixel first.
    QImage copy(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    if (copy.isNull())
        return;
    for (int row = 0; row < copy.height(); ++row) {
        auto *line = reinterpret_cast<QRgb *>(copy.scanLine(row));
        for (int col = 0; col < copy.width(); ++col) {
            const Color c = bitmap.pixel(col, row);
            line[col] = qRgb(c.r, c.g, c.b);
        }
    }
    painter().drawImage(at, copy);
}

Color QtCanvas::pixel(int x, int y) const
{
    endPainting();
    // A designed pixel is read at its top-left device pixel. Outside the picture: white,
    // as for the skin bitmap.
    const double scale = m_image.devicePixelRatio();
    if (scale != 1.0) {
        if (x < 0 || y < 0 || x >= m_imageWidth || y >= m_imageHeight)
            return White;
        x = int(std::floor(x * scale));
        y = int(std::floor(y * scale));
    }
    if (!m_image.valid(x, y))
        return White;
    return fromQRgb(m_image.pixel(x, y));
}

} // namespace tivora

// The smoothed lines of QtCanvas (the hands): drawn anew, or in a repaint of part of the
// picture laid on from a sprite of the same line drawn before.

#include "ui/render/qt_canvas.h"

#include "ui/render/qt_canvas_detail.h"

#include <QImage>
#include <QLineF>
#include <algorithm>
#include <cstdlib>

namespace tivora {

using namespace canvas_detail;

const Sprite &QtCanvas::lineSprite(int x1, int y1, int dx, int dy)
{
    const Pen &pn = pen();
    const std::uint64_t key = (std::uint64_t(pn.color.r) << 56) | (std::uint64_t(pn.color.g) << 48)
        | (std::uint64_t(pn.color.b) << 40) | (std::uint64_t(std::clamp(pn.width, 1, 32)) << 32)
        | (std::uint64_t(std::uint16_t(dx)) << 16) | std::uint16_t(dy);
    // A line along a row or column is smoothed by a rule that depends on where it lies
    // (its round ends are curves worked out at the place): its sprite is made at that
    // place and serves there alone. Any other line gives the same coverage wherever it
    // is moved by whole pixels.
    const bool placed = dx == 0 || dy == 0;
    const SpriteKey full {key, placed ? x1 : 0, placed ? y1 : 0};
    auto &sprites = placed ? m_placedLineSprites : m_lineSprites;
    if (auto it = sprites.find(full); it != sprites.end())
        return it->second;
    if (sprites.size() >= MaxLineSprites)
        sprites.clear();
    const int reach = std::max(pn.width, 1) + 2;
    const QPoint offset(std::min(dx, 0) - reach, std::min(dy, 0) - reach);
    QImage image(std::abs(dx) + 2 * reach + 1, std::abs(dy) + 2 * reach + 1,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    QPen roundPen = toQPen(pn);
    roundPen.setCapStyle(Qt::RoundCap);
    p.setPen(roundPen);
    p.setRenderHint(QPainter::Antialiasing, true);
    // Drawn where the line is, the picture's corner moved to the sprite's.
    p.translate(-(QPoint(x1, y1) + offset));
    const QPointF from(x1 + 0.5, y1 + 0.5);
    p.drawLine(QLineF(from, from + QPointF(dx, dy)));
    p.end();
    return sprites.emplace(full, Sprite::pack(image, offset)).first->second;
}

void QtCanvas::smoothLine(int x1, int y1, int x2, int y2)
{
    if (!drawable())
        return;
    const long long dx = static_cast<long long>(x2) - x1;
    const long long dy = static_cast<long long>(y2) - y1;
    // A repaint straight into the window's pixels (at scale 1: on a scaled device a
    // sprite would be laid on in designed pixels): the line as drawn before.
    if (m_raw && pen().width <= 32 && std::abs(dx) <= MaxSpriteSide
        && std::abs(dy) <= MaxSpriteSide && std::abs(x1) < CoordLimit
        && std::abs(y1) < CoordLimit) {
        m_raw->lay(lineSprite(x1, y1, int(dx), int(dy)), QPoint(x1, y1), m_area);
        return;
    }
    // A line from pixel to pixel runs between their centres, half a pixel in, so that it
    // ends where the plain line ends; round caps cover the end pixels as square ones do.
    QPainter &p = painter();
    QPen roundPen = toQPen(pen());
    roundPen.setCapStyle(Qt::RoundCap);
    p.setPen(roundPen);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.drawLine(QLineF(clampCoord(x1) + 0.5, clampCoord(y1) + 0.5, clampCoord(x2) + 0.5,
                      clampCoord(y2) + 0.5));
    p.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace tivora

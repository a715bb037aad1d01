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

const Sprite &QtCanvas::lineSprite(int dx, int dy)
{
    const Pen &pn = pen();
    const std::uint64_t key = (std::uint64_t(pn.color.r) << 56) | (std::uint64_t(pn.color.g) << 48)
        | (std::uint64_t(pn.color.b) << 40) | (std::uint64_t(std::clamp(pn.width, 1, 32)) << 32)
        | (std::uint64_t(std::uint16_t(dx)) << 16) | std::uint16_t(dy);
    if (auto it = m_lineSprites.find(key); it != m_lineSprites.end())
        return it->second;
    if (m_lineSprites.size() >= MaxLineSprites)
        m_lineSprites.clear();
    // The same line on a clear picture, moved by whole pixels, which leaves its coverage
    // as it is.
    const int reach = std::max(pn.width, 1) + 2;
    Sprite sprite;
    sprite.offset = QPoint(std::min(dx, 0) - reach, std::min(dy, 0) - reach);
    sprite.image = QImage(std::abs(dx) + 2 * reach + 1, std::abs(dy) + 2 * reach + 1,
                          QImage::Format_ARGB32_Premultiplied);
    sprite.image.fill(Qt::transparent);
    QPainter p(&sprite.image);
    QPen roundPen = toQPen(pn);
    roundPen.setCapStyle(Qt::RoundCap);
    p.setPen(roundPen);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF from(-sprite.offset.x() + 0.5, -sprite.offset.y() + 0.5);
    p.drawLine(QLineF(from, from + QPointF(dx, dy)));
    p.end();
    sprite.trim();
    return m_lineSprites.emplace(key, std::move(sprite)).first->second;
}

void QtCanvas::smoothLine(int x1, int y1, int x2, int y2)
{
    if (!drawable())
        return;
    QPainter &p = painter();
    const long long dx = static_cast<long long>(x2) - x1;
    const long long dy = static_cast<long long>(y2) - y1;
    // Lines along a row or column are left out: the toolkit smooths their ends by another
    // rule, which a sprite does not repeat to the bit.
    // On a scaled device a sprite would be laid on in designed pixels, not drawn at the
    // device's resolution as the whole picture is.
    if (m_target && !m_area.empty() && !onScaledDevice(p) && dx != 0 && dy != 0
        && pen().width <= 32
        && std::abs(dx) <= MaxSpriteSide && std::abs(dy) <= MaxSpriteSide
        && std::abs(x1) < CoordLimit && std::abs(y1) < CoordLimit
        && p.compositionMode() == QPainter::CompositionMode_SourceOver) {
        // A repaint through a clipped painter: the line as drawn before.
        const Sprite &sprite = lineSprite(int(dx), int(dy));
        if (m_raw)
            m_raw->lay(sprite, QPoint(x1, y1), m_area);
        else
            p.drawImage(QPoint(x1, y1) + sprite.offset, sprite.image);
        return;
    }
    // A line from pixel to pixel runs between their centres, half a pixel in, so that it
    // ends where the plain line ends; round caps cover the end pixels as square ones do.
    QPen roundPen = toQPen(pen());
    roundPen.setCapStyle(Qt::RoundCap);
    p.setPen(roundPen);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.drawLine(QLineF(clampCoord(x1) + 0.5, clampCoord(y1) + 0.5, clampCoord(x2) + 0.5,
                      clampCoord(y2) + 0.5));
    p.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace tivora

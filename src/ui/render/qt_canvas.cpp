#include "ui/render/qt_canvas.h"

#include "core/base/int_clamp.h"
#include "core/model/font_height.h"
#include "core/render/scale.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPen>
#include <QRawFont>
#include <QStaticText>
#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace tivora {

namespace {

// Whether the painter draws at a device pixel ratio other than 1 (a scaled desktop).
bool onScaledDevice(const QPainter &p)
{
    return p.device() && p.device()->devicePixelRatioF() != 1.0;
}

// A hand-edited skin can ask for any point size; glyphs taller than this are not drawn
// larger, so an absurd size cannot exhaust memory in the glyph cache.
constexpr int MaxFontPixels = 2048;
// Bounds of the text caches: the skin's three fonts fit with room to spare. Texts are
// pruned after every picture; the text limit only matters for a caller that never asks
// for the finished picture.
constexpr size_t MaxCachedFonts = 8;
constexpr size_t MaxCachedTexts = 4096;
// Line sprites: hands of up to this extent, and so many of them (a few megabytes).
constexpr int MaxSpriteSide = 256;
constexpr size_t MaxLineSprites = 512;

// Coordinates are cut by clampCoord before they reach QPainter.

// Clamps a rectangle's edges; false when nothing of it is left to draw.
bool clampRect(int &left, int &top, int &right, int &bottom)
{
    left = clampCoord(left);
    top = clampCoord(top);
    right = clampCoord(right);
    bottom = clampCoord(bottom);
    return right > left && bottom > top;
}

QColor toQColor(Color c)
{
    return QColor(c.r, c.g, c.b);
}

Color fromQRgb(QRgb p)
{
    return {std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)), std::uint8_t(qBlue(p))};
}

QPen toQPen(const Pen &pen)
{
    // Width 0 and below draw one pixel wide, like width 1. Caps and joins are Qt's
    // defaults: without antialiasing a square cap draws both end pixels of a 1-pixel line,
    // and on 2-pixel hands it looks like a round cap at a quarter of the cost.
    return QPen(toQColor(pen.color), std::max(pen.width, 1), Qt::SolidLine, Qt::SquareCap,
                Qt::BevelJoin);
}

} // namespace

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

struct QtCanvas::FontCache
{
    struct Text
    {
        QString text;
        int width = 0;
        bool drawn = false;
        std::uint64_t picture = 0; // the picture that last used it
        // Made on the second draw: laying a text out once costs more than drawing it
        // directly, and the time in digits is rarely drawn twice.
        std::optional<QStaticText> laidOut;
    };

    FontCache(const FontSpec &s, bool smoothEdges, int dpi)
        : fontSpec(s),
          smooth(smoothEdges),
          font(toQFont(s, dpi, smoothEdges)),
          metrics(font),
          metricsF(font)
    { }
    bool matches(const FontSpec &s, bool smoothEdges) const
    {
        return smooth == smoothEdges && fontSpec == s;
    }

    Text &text(const std::string &t, std::uint64_t picture)
    {
        auto it = texts.find(t);
        if (it == texts.end()) {
            if (texts.size() >= MaxCachedTexts)
                texts.clear();
            Text entry;
            entry.text = QString::fromStdString(t);
            const std::optional<int> sum = summedWidth(entry.text);
            entry.width = sum ? *sum : metrics.horizontalAdvance(entry.text);
            it = texts.emplace(t, std::move(entry)).first;
        }
        it->second.picture = picture;
        return it->second;
    }

    // The time in digits is a new text every second. Laying it out to measure it is the
    // costly part of a repaint, so a text of printable ASCII characters is measured as
    // the sum of its characters' advances, where the font sets every neighbouring pair
    // in it side by side (no kerning); each pair is checked once against the pair's
    // laid-out width. The sum is rounded as a laid-out width is.
    std::optional<int> summedWidth(const QString &text)
    {
        if (text.size() > 64)
            return std::nullopt;
        qreal sum = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int c = printableIndex(text[i]);
            if (c < 0 || (i > 0 && !plainPair(printableIndex(text[i - 1]), c)))
                return std::nullopt;
            sum += advance(c);
        }
        return int(std::floor(sum + 0.5));
    }
    static int printableIndex(QChar ch)
    {
        return ch.unicode() >= 0x20 && ch.unicode() < 0x7f ? ch.unicode() - 0x20 : -1;
    }
    qreal advance(int c)
    {
        if (advances.empty())
            advances.assign(Printable, -1);
        if (advances[c] < 0)
            advances[c] = metricsF.horizontalAdvance(QString(QChar(c + 0x20)));
        return advances[c];
    }
    bool plainPair(int a, int b)
    {
        if (pairs.empty())
            pairs.assign(Printable * Printable, Unknown);
        std::uint8_t &state = pairs[size_t(a) * Printable + b];
        if (state == Unknown) {
            const QString pair = QString(QChar(a + 0x20)) + QChar(b + 0x20);
            state = metricsF.horizontalAdvance(pair) == advance(a) + advance(b) ? Plain : Kerned;
        }
        return state == Plain;
    }

    // The glyph of a printable character in this font, made once; nothing when the font
    // has none of its own for it (a fallback font would draw it).
    std::optional<quint32> glyph(int c)
    {
        if (glyphs.empty()) {
            glyphs.assign(Printable, NoGlyph);
            raw = QRawFont::fromFont(font);
        }
        if (glyphs[c] == NoGlyph) {
            const QList<quint32> g = raw.glyphIndexesForString(QString(QChar(c + 0x20)));
            glyphs[c] = g.size() == 1 && g[0] != 0 ? g[0] : Missing;
        }
        if (glyphs[c] == Missing)
            return std::nullopt;
        return glyphs[c];
    }

    static constexpr int Printable = 0x7f - 0x20;
    static constexpr quint32 NoGlyph = 0xffffffff; // not looked up yet
    static constexpr quint32 Missing = 0xfffffffe;
    enum : std::uint8_t { Unknown, Plain, Kerned };

    FontSpec fontSpec;
    bool smooth;
    QFont font;
    QFontMetrics metrics;
    QFontMetricsF metricsF;
    std::unordered_map<std::string, Text> texts;
    std::vector<qreal> advances; // of the printable characters, -1 until measured
    std::vector<std::uint8_t> pairs; // of printable characters, Printable x Printable
    QRawFont raw; // the font's glyphs, made with glyphs
    std::vector<quint32> glyphs; // of the printable characters
};

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
    endPainting();
    m_target = &painter;
    m_targetWidth = width;
    m_targetHeight = height;
    m_area.clear();
    if (area.rectCount() <= 64)
        m_area.assign(area.begin(), area.end());
    m_target->setRenderHint(QPainter::Antialiasing, false);
    m_painterFont = nullptr;
}

void QtCanvas::end()
{
    m_target = nullptr;
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

QtCanvas::FontCache &QtCanvas::currentFont()
{
    if (!m_fonts.empty() && m_fonts.front()->matches(font(), textSmoothing()))
        return *m_fonts.front();
    auto it = std::find_if(m_fonts.begin(), m_fonts.end(), [&](const auto &entry) {
        return entry->matches(font(), textSmoothing());
    });
    if (it == m_fonts.end()) {
        if (m_fonts.size() >= MaxCachedFonts) {
            if (m_painterFont == m_fonts.back().get())
                m_painterFont = nullptr;
            m_fonts.pop_back();
        }
        m_fonts.insert(m_fonts.begin(),
                       std::make_unique<FontCache>(font(), textSmoothing(), m_dpi));
    } else {
        std::rotate(m_fonts.begin(), it, it + 1);
    }
    return *m_fonts.front();
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
    painter().fillRect(QRect(left, top, right - left, bottom - top), toQColor(brush().color));
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

const QtCanvas::LineSprite &QtCanvas::lineSprite(int dx, int dy)
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
    LineSprite sprite;
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
        const LineSprite &sprite = lineSprite(int(dx), int(dy));
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

void QtCanvas::rectangle(int left, int top, int right, int bottom)
{
    if (!drawable() || !clampRect(left, top, right, bottom))
        return;
    QPainter &p = painter();
    p.setPen(toQPen(pen()));
    if (brush().solid)
        p.setBrush(toQColor(brush().color));
    else
        p.setBrush(Qt::NoBrush);
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
    QPainter &p = painter();

    if (ellipseW <= 3 && ellipseH <= 3 && pen().width <= 1) {
        // A corner ellipse this small rounds each corner by one pixel. QPainter's path
        // rasteriser places such tiny corners unevenly, so the box is built from exact
        // spans: the inside, then the four edges without their corner pixels.
        if (brush().solid && right - left > 2 && bottom - top > 2)
            p.fillRect(QRect(left + 1, top + 1, right - left - 2, bottom - top - 2),
                       toQColor(brush().color));
        const QColor c = toQColor(pen().color);
        if (right - left > 2) {
            p.fillRect(QRect(left + 1, top, right - left - 2, 1), c);
            p.fillRect(QRect(left + 1, bottom - 1, right - left - 2, 1), c);
        }
        if (bottom - top > 2) {
            p.fillRect(QRect(left, top + 1, 1, bottom - top - 2), c);
            p.fillRect(QRect(right - 1, top + 1, 1, bottom - top - 2), c);
        }
        return;
    }

    p.setPen(toQPen(pen()));
    if (brush().solid)
        p.setBrush(toQColor(brush().color));
    else
        p.setBrush(Qt::NoBrush);
    // The half-pixel shift centres the path on the pixel grid, which places larger corners
    // evenly.
    p.drawRoundedRect(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1),
                      ellipseW / 2.0, ellipseH / 2.0, Qt::AbsoluteSize);
}

void QtCanvas::textOut(int x, int y, const std::string &text)
{
    if (!drawable() || text.empty())
        return;
    FontCache &f = currentFont();
    FontCache::Text &t = f.text(text, m_picture);
    m_textUsed = true;
    QPainter &p = painter();
    if (m_painterFont != &f) {
        p.setFont(f.font);
        m_painterFont = &f;
    }
    p.setPen(toQColor(Color::fromRef(font().color)));
    // On a scaled device the ways of drawing a text place glyph edges apart by a fraction
    // of a pixel, and a text repainted in part must match the rest of it: there it is
    // always drawn directly and whole, the cheaper way for the time in digits, a new text
    // every second.
    const bool scaled = onScaledDevice(p);
    if (!scaled && drawPart(f, text, x, y))
        return;
    const QPoint topLeft(clampCoord(x), clampCoord(y));
    if (!t.drawn || scaled) {
        t.drawn = true;
        // QPainter places plain text by its baseline, one ascent below the top.
        p.drawText(QPoint(topLeft.x(), clampCoord(topLeft.y() + f.metrics.ascent())), t.text);
        return;
    }
    if (!t.laidOut) {
        t.laidOut.emplace(t.text);
        t.laidOut->setTextFormat(Qt::PlainText); // a description is never markup
    }
    p.drawStaticText(topLeft, *t.laidOut); // placed by its top-left corner
}

bool QtCanvas::drawPart(FontCache &f, const std::string &text, int x, int y)
{
    if (!m_target || m_area.empty() || text.size() > 64 || std::abs(x) >= CoordLimit
        || std::abs(y) >= CoordLimit || f.font.underline() || f.font.strikeOut())
        return false;
    // Each glyph's place is the sum of the advances before it where the font sets the
    // text without kerning, so a run of glyphs drawn on its own at its place gives the
    // pixels the whole text gives there. Glyphs reach past their advance and line by
    // the margin the repaint areas allow for.
    std::vector<qreal> edges {0};
    for (size_t i = 0; i < text.size(); ++i) {
        const int c = FontCache::printableIndex(QChar(uchar(text[i])));
        if (c < 0
            || (i > 0 && !f.plainPair(FontCache::printableIndex(QChar(uchar(text[i - 1]))), c)))
            return false;
        edges.push_back(edges.back() + f.advance(c));
    }
    const int height = f.metrics.height();
    const int margin = height / 4 + 2;
    const auto reaches = [&](size_t k) {
        const QRect glyph(
            QPoint(x + int(std::floor(edges[k])) - margin, y - margin),
            QPoint(x + int(std::ceil(edges[k + 1])) + margin - 1, y + height + margin - 1));
        return std::any_of(m_area.begin(), m_area.end(),
                           [&](const QRect &r) { return r.intersects(glyph); });
    };
    size_t first = 0;
    while (first < text.size() && !reaches(first))
        ++first;
    if (first == text.size())
        return true; // nothing of it is to be painted
    size_t last = text.size();
    while (last > first && !reaches(last - 1))
        --last;
    if (first == 0 && last == text.size())
        return false;
    // The glyphs come from the font's glyph cache: a time string is new every second,
    // its glyphs are not, so nothing is laid out or shaped again.
    QList<quint32> glyphs;
    QList<QPointF> places;
    for (size_t k = first; k < last; ++k) {
        const std::optional<quint32> g = f.glyph(FontCache::printableIndex(QChar(uchar(text[k]))));
        if (!g)
            return false;
        glyphs.push_back(*g);
        places.push_back(QPointF(edges[k], 0));
    }
    QGlyphRun run;
    run.setRawFont(f.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(places);
    // Glyphs stand on the baseline, one ascent below the top.
    painter().drawGlyphRun(QPointF(x, y + f.metrics.ascent()), run);
    return true;
}

TextSize QtCanvas::textSize(const std::string &text)
{
    FontCache &f = currentFont();
    m_textUsed = true;
    return {f.text(text, m_picture).width, f.metrics.height()};
}

std::optional<std::pair<int, int>> QtCanvas::textDifference(const std::string &before,
                                                            const std::string &after)
{
    FontCache &f = currentFont();
    // The left edges of a text's glyphs and its end: sums of the characters' advances,
    // known where the font sets the text without kerning (as summedWidth() measures it).
    const auto edges = [&f](const std::string &t) -> std::optional<std::vector<qreal>> {
        if (t.size() > 64)
            return std::nullopt;
        std::vector<qreal> e {0};
        for (size_t i = 0; i < t.size(); ++i) {
            const int c = FontCache::printableIndex(QChar(uchar(t[i])));
            if (c < 0
                || (i > 0 && !f.plainPair(FontCache::printableIndex(QChar(uchar(t[i - 1]))), c)))
                return std::nullopt;
            e.push_back(e.back() + f.advance(c));
        }
        return e;
    };
    const std::optional<std::vector<qreal>> a = edges(before);
    const std::optional<std::vector<qreal>> b = edges(after);
    if (!a || !b)
        return std::nullopt;
    // Glyphs before the first change stand alike; so do those after the last change
    // that start at the same place in both texts.
    size_t first = 0;
    while (first < before.size() && first < after.size() && before[first] == after[first])
        ++first;
    size_t endA = before.size();
    size_t endB = after.size();
    while (endA > first && endB > first && before[endA - 1] == after[endB - 1]
           && (*a)[endA - 1] == (*b)[endB - 1]) {
        --endA;
        --endB;
    }
    if (endA == first && endB == first)
        return std::pair {0, 0};
    return std::pair {int(std::floor((*a)[first])),
                      int(std::ceil(std::max((*a)[endA], (*b)[endB])))};
}

void QtCanvas::drawBitmap(int x, int y, const Bitmap &bitmap)
{
    if (!drawable() || bitmap.width() <= 0 || bitmap.height() <= 0)
        return;
    const QPoint at(clampCoord(x), clampCoord(y));
    if (const auto *qb = dynamic_cast<const QtBitmap *>(&bitmap)) {
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

QFont toQFont(const FontSpec &fontSpec, int dpi, bool smooth)
{
    QFont f; // the application's default font
    if (!fontSpec.name.empty())
        f.setFamily(QString::fromStdString(fontSpec.name));
    if (dpi <= 0)
        dpi = 96;
    // Every font gets a pixel size, so that measuring (on the screen) and drawing (on an
    // image) agree whatever each device's resolution, and the size follows the same rule
    // as the text positions computed from it.
    f.setPixelSize(std::clamp(fontPixelHeight(fontSpec.size, dpi), 1, MaxFontPixels));
    f.setBold(fontSpec.bold);
    f.setItalic(fontSpec.italic);
    f.setUnderline(fontSpec.underline);
    f.setStrikeOut(fontSpec.strikeOut);
    if (!smooth)
        f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

} // namespace tivora

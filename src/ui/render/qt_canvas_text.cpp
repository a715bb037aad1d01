// The texts of QtCanvas: measured from the font's advances, drawn whole or, in a
// repaint of part of the picture, only the glyphs that reach it.

#include "ui/render/qt_canvas.h"

#include "core/model/font_height.h"
#include "ui/render/qt_canvas_detail.h"
#include "ui/render/qt_font_cache.h"

#include <QGlyphRun>
#include <algorithm>
#include <array>
#include <cmath>

namespace tivora {

using namespace canvas_detail;

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

void QtCanvas::textOut(int x, int y, const std::string &text)
{
    if (!drawable() || text.empty())
        return;
    FontCache &f = currentFont();
    m_textUsed = true;
    if (m_raw && drawSprites(f, text, x, y))
        return;
    FontCache::Text &t = f.text(text, m_picture);
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
    if (!lent() || m_area.empty() || text.size() > 64 || std::abs(x) >= CoordLimit
        || std::abs(y) >= CoordLimit || f.font.underline() || f.font.strikeOut())
        return false;
    // Each glyph's place is the sum of the advances before it where the font sets the
    // text without kerning, so a run of glyphs drawn on its own at its place gives the
    // pixels the whole text gives there. Glyphs reach past their advance and line by
    // the margin the repaint areas allow for.
    FontCache::Edges edges;
    if (!f.edges(text, edges))
        return false;
    const int height = f.lineHeight;
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

bool QtCanvas::drawSprites(FontCache &f, const std::string &text, int x, int y)
{
    if (std::abs(x) >= CoordLimit || std::abs(y) >= CoordLimit || f.font.underline()
        || f.font.strikeOut())
        return false;
    FontCache::Edges edges;
    bool kerned = false;
    if (!f.edges(text, edges, &kerned))
        return false;
    // Kerning is taken pair by pair ("11" in many fonts); where the font's layout of the
    // whole text comes to another width, it does more than that, and the text is drawn
    // as the font lays it out.
    const qreal width = edges[text.size()];
    if (kerned && int(std::floor(width + 0.5)) != f.text(text, m_picture).width)
        return false;
    // Only the area's rectangles that the text can reach, with the room its sprites have
    // past its advance and line: most texts meet none or one.
    const int height = f.lineHeight;
    const int reach = height / 2 + 2;
    const QRect box(x - reach, y - reach, int(std::ceil(width)) + 2 * reach + 1,
                    height + 2 * reach);
    std::vector<QRect> &near = m_nearArea;
    near.clear();
    for (const QRect &r : m_area)
        if (overlaps(r, box))
            near.push_back(r);
    if (near.empty())
        return true;
    const QRgb colour = toQColor(Color::fromRef(font().color)).rgb();
    if (f.glyphSpriteCount >= MaxGlyphSprites) {
        for (auto &made : f.glyphSprites)
            made.clear();
        f.glyphSpriteCount = 0;
    }
    // All sprites first: a text that cannot be drawn so is drawn whole another way.
    std::array<const Sprite *, 64> sprites {};
    for (size_t k = 0; k < text.size(); ++k) {
        const qreal whole = std::floor(edges[k]);
        sprites[k] = glyphSprite(f, FontCache::printableIndex(QChar(uchar(text[k]))), colour,
                                 edges[k] - whole);
        if (!sprites[k])
            return false;
    }
    for (size_t k = 0; k < text.size(); ++k) {
        const QPoint at(x + int(std::floor(edges[k])), y);
        const QRect used = sprites[k]->used.translated(at);
        if (std::any_of(near.begin(), near.end(), [&](const QRect &r) { return overlaps(r, used); }))
            m_raw->lay(*sprites[k], at, near);
    }
    return true;
}

const Sprite *QtCanvas::glyphSprite(FontCache &f, int c, QRgb colour, qreal fraction)
{
    if (f.glyphSprites.empty())
        f.glyphSprites.resize(FontCache::Printable);
    auto &made = f.glyphSprites[size_t(c)];
    for (const FontCache::GlyphSprite &g : made)
        if (g.colour == colour && g.fraction == fraction)
            return g.exact ? &g.sprite : nullptr;
    const std::optional<quint32> glyph = f.glyph(c);
    if (!glyph)
        return nullptr;
    ++f.glyphSpriteCount;
    FontCache::GlyphSprite &g = made.emplace_back();
    g.colour = colour;
    g.fraction = fraction;
    // Room for what a glyph draws past its advance and line: slanted, accented or bold
    // (drawSprites counts on no more).
    const int height = f.lineHeight;
    const int margin = height / 2 + 2;
    const QSize size(int(std::ceil(f.advance(c))) + 2 * margin + 1, height + 2 * margin);
    QGlyphRun run;
    run.setRawFont(f.raw);
    run.setGlyphIndexes({*glyph});
    run.setPositions({QPointF(0, 0)});
    const QPointF baseline(margin + fraction, margin + f.metrics.ascent());
    const auto draw = [&](QImage &on) {
        QPainter p(&on);
        p.setPen(QColor(colour));
        p.drawGlyphRun(baseline, run);
    };
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    draw(image);
    g.sprite = Sprite::pack(image, QPoint(-margin, -margin));
    // The sprite is used only where it gives the glyph's own pixels: drawn on a patterned
    // picture and laid on the same picture, the two must be equal. Where the toolkit
    // blends text another way (gamma, subpixel colour) they are not, and the glyph is
    // drawn as before.
    QImage direct(size, QImage::Format_RGB32);
    for (int yy = 0; yy < size.height(); ++yy) {
        auto *line = reinterpret_cast<QRgb *>(direct.scanLine(yy));
        for (int xx = 0; xx < size.width(); ++xx)
            line[xx] = qRgb((xx * 37 + yy * 11) & 255, (xx * yy * 7) & 255, (255 - yy * 13) & 255);
    }
    QImage laid = direct.copy();
    draw(direct);
    {
        QPainter p(&laid);
        if (const std::optional<RawPixels> raw = RawPixels::under(p))
            raw->lay(g.sprite, QPoint(margin, margin), {laid.rect()});
    }
    g.exact = !image.isNull() && laid == direct;
    return g.exact ? &g.sprite : nullptr;
}

TextSize QtCanvas::textSize(const std::string &text)
{
    FontCache &f = currentFont();
    // Measured without keeping the text: the drawing keeps what it draws.
    if (const std::optional<int> width = f.summedWidth(text))
        return {*width, f.lineHeight};
    m_textUsed = true;
    return {f.text(text, m_picture).width, f.lineHeight};
}

std::optional<std::pair<int, int>> QtCanvas::textDifference(const std::string &before,
                                                            const std::string &after)
{
    FontCache &f = currentFont();
    // The left edges of a text's glyphs and its end: sums of the characters' advances,
    // known where the font sets the text without kerning (as summedWidth() measures it).
    // The texts' common start is summed once: its edges are the same in both.
    if (before.size() > 64 || after.size() > 64)
        return std::nullopt;
    size_t first = 0;
    while (first < before.size() && first < after.size() && before[first] == after[first])
        ++first;
    using Edges = std::array<qreal, 65>;
    const auto edges = [&f](const std::string &t, size_t from, size_t to, Edges &e) {
        for (size_t i = from; i < to; ++i) {
            const int c = FontCache::printableIndex(QChar(uchar(t[i])));
            if (c < 0
                || (i > 0 && !f.plainPair(FontCache::printableIndex(QChar(uchar(t[i - 1]))), c)))
                return false;
            e[i + 1] = e[i] + f.advance(c);
        }
        return true;
    };
    Edges a, b;
    a[0] = 0;
    if (!edges(before, 0, first, a))
        return std::nullopt;
    std::copy(a.begin(), a.begin() + std::ptrdiff_t(first) + 1, b.begin());
    if (!edges(before, first, before.size(), a) || !edges(after, first, after.size(), b))
        return std::nullopt;
    // Glyphs before the first change stand alike; so do those after the last change
    // that start at the same place in both texts.
    size_t endA = before.size();
    size_t endB = after.size();
    while (endA > first && endB > first && before[endA - 1] == after[endB - 1]
           && a[endA - 1] == b[endB - 1]) {
        --endA;
        --endB;
    }
    if (endA == first && endB == first)
        return std::pair {0, 0};
    return std::pair {int(std::floor(a[first])), int(std::ceil(std::max(a[endA], b[endB])))};
}

std::optional<Box> QtCanvas::textChangeBox(const std::string &before, const std::string &after)
{
    if (!m_lastPaintRaw || before.size() != after.size())
        return std::nullopt;
    FontCache &f = currentFont();
    FontCache::Edges edgesA, edgesB;
    if (f.font.underline() || f.font.strikeOut() || !f.edges(before, edgesA)
        || !f.edges(after, edgesB))
        return std::nullopt;
    const QRgb colour = toQColor(Color::fromRef(font().color)).rgb();
    // Every glyph that differs in character or place, in either text: its sprite's
    // pixels, where the text is drawn from sprites.
    QRect ink;
    for (size_t k = 0; k < before.size(); ++k) {
        if (before[k] == after[k] && edgesA[k] == edgesB[k])
            continue;
        for (const auto &[text, edges] : {std::pair {&before, &edgesA}, {&after, &edgesB}}) {
            const qreal whole = std::floor((*edges)[k]);
            const Sprite *sprite = glyphSprite(
                f, FontCache::printableIndex(QChar(uchar((*text)[k]))), colour, (*edges)[k] - whole);
            if (!sprite)
                return std::nullopt;
            ink |= sprite->used.translated(int(whole), 0);
        }
    }
    if (ink.isEmpty())
        return Box {};
    return Box {ink.left(), ink.top(), ink.right() + 1, ink.bottom() + 1};
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

#include "core/render/display_list.h"

#include "core/base/int_clamp.h"

#include <algorithm>

namespace tivora {

namespace {

// A box around [x0, x1) x [y0, y1) grown by the margin on every side, in int range.
Box grown(long long x0, long long y0, long long x1, long long y1, long long margin)
{
    return {clampToInt(x0 - margin), clampToInt(y0 - margin), clampToInt(x1 + margin),
            clampToInt(y1 + margin)};
}

Box clipped(Box b, int width, int height)
{
    return {std::max(b.left, 0), std::max(b.top, 0), std::min(b.right, width),
            std::min(b.bottom, height)};
}

// Whether two calls are the same text in the same place, font and state, whatever it reads.
bool sameTextPlace(const DrawOp &a, const DrawOp &b)
{
    return a.kind == DrawOp::Kind::Text && b.kind == DrawOp::Kind::Text && a.a == b.a && a.b == b.b
        && a.font == b.font && a.smooth == b.smooth && a.pen == b.pen && a.brush == b.brush;
}

// a == b, with the fields that differ most often first and the strings last; it names
// every field of DrawOp. Calls are recorded only by add(), which sets a text and a font
// for texts alone.
bool sameOp(const DrawOp &a, const DrawOp &b)
{
    return a.kind == b.kind && a.c == b.c && a.d == b.d && a.a == b.a && a.b == b.b
        && a.box == b.box && a.pen.width == b.pen.width && a.pen.color.ref() == b.pen.color.ref()
        && a.brush.solid == b.brush.solid && a.brush.color.ref() == b.brush.color.ref()
        && a.bitmap == b.bitmap
        && a.ellipseW == b.ellipseW && a.ellipseH == b.ellipseH && a.smooth == b.smooth
        // Only texts set these; other calls keep the defaults.
        && (a.kind != DrawOp::Kind::Text || (a.text == b.text && a.font == b.font));
}

} // namespace

void DisplayList::begin(int width, int height)
{
    std::swap(m_ops, m_previous);
    m_ops.clear();
    m_previousWidth = m_width;
    m_previousHeight = m_height;
    m_width = width;
    m_height = height;
    m_lastMeasured = nullptr;
    m_previousText = 0;
}

std::vector<Box> DisplayList::changedAreas()
{
    const Box whole {0, 0, m_width, m_height};
    if (m_width != m_previousWidth || m_height != m_previousHeight
        || m_ops.size() != m_previous.size())
        return whole.empty() ? std::vector<Box> {} : std::vector<Box> {whole};
    std::vector<Box> areas;
    areas.reserve(64);
    for (size_t i = 0; i < m_ops.size(); ++i) {
        const DrawOp &before = m_previous[i];
        const DrawOp &after = m_ops[i];
        if (sameOp(after, before))
            continue;
        if (sameTextPlace(before, after)) {
            // The time in digits changes a glyph or two a second: only the pixels of
            // those glyphs where the canvas knows them, otherwise those columns with the
            // margin the whole text has for what glyphs reach past their place.
            m_measure.setFont(after.font);
            m_measure.setTextSmoothing(after.smooth);
            if (const auto ink = m_measure.textChangeBox(before.text, after.text)) {
                const Box c = clipped(grown(static_cast<long long>(after.a) + ink->left,
                                            static_cast<long long>(after.b) + ink->top,
                                            static_cast<long long>(after.a) + ink->right,
                                            static_cast<long long>(after.b) + ink->bottom, 0),
                                      m_width, m_height);
                if (!ink->empty() && !c.empty())
                    areas.push_back(c);
                continue;
            }
            if (const auto span = m_measure.textDifference(before.text, after.text)) {
                if (span->first >= span->second)
                    continue;
                const long long margin = static_cast<long long>(after.a) - after.box.left;
                const Box b = grown(static_cast<long long>(after.a) + span->first,
                                    std::min(before.box.top, after.box.top) + margin,
                                    static_cast<long long>(after.a) + span->second,
                                    std::max(before.box.bottom, after.box.bottom) - margin, margin);
                const Box c = clipped(b, m_width, m_height);
                if (!c.empty())
                    areas.push_back(c);
                continue;
            }
        }
        for (const Box &b : {before.box, after.box}) {
            const Box c = clipped(b, m_width, m_height);
            if (!c.empty())
                areas.push_back(c);
        }
    }
    return areas;
}

DrawOp &DisplayList::add(DrawOp::Kind kind, Box box)
{
    DrawOp &op = m_ops.emplace_back();
    op.kind = kind;
    op.pen = pen();
    op.brush = brush();
    op.box = box;
    return op;
}

void DisplayList::fillRect(int left, int top, int right, int bottom)
{
    DrawOp &op = add(DrawOp::Kind::Fill, {left, top, right, bottom});
    op.a = left, op.b = top, op.c = right, op.d = bottom;
}

void DisplayList::line(int x1, int y1, int x2, int y2)
{
    // Wide pens, caps and smoothed edges reach past the end points.
    const long long margin = std::max(pen().width, 1) + 2LL;
    DrawOp &op = add(DrawOp::Kind::Line,
                     grown(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1LL,
                           std::max(y1, y2) + 1LL, margin));
    op.a = x1, op.b = y1, op.c = x2, op.d = y2;
}

void DisplayList::smoothLine(int x1, int y1, int x2, int y2)
{
    line(x1, y1, x2, y2);
    m_ops.back().kind = DrawOp::Kind::SmoothLine;
}

void DisplayList::rectangle(int left, int top, int right, int bottom)
{
    DrawOp &op =
        add(DrawOp::Kind::Rectangle, grown(left, top, right, bottom, std::max(pen().width, 1)));
    op.a = left, op.b = top, op.c = right, op.d = bottom;
}

void DisplayList::roundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH)
{
    DrawOp &op =
        add(DrawOp::Kind::RoundRect, grown(left, top, right, bottom, std::max(pen().width, 1)));
    op.a = left, op.b = top, op.c = right, op.d = bottom;
    op.ellipseW = ellipseW;
    op.ellipseH = ellipseH;
}

void DisplayList::textOut(int x, int y, const std::string &text)
{
    // Glyphs may reach past the text's advance and line height (slanted, bold or
    // accented letters, smoothed edges): a quarter of the height covers them.
    const TextSize size = textSize(text);
    DrawOp &op = add(DrawOp::Kind::Text,
                     grown(x, y, static_cast<long long>(x) + size.width,
                           static_cast<long long>(y) + size.height, size.height / 4 + 2LL));
    op.a = x, op.b = y;
    op.c = size.width, op.d = size.height;
    op.font = font();
    op.smooth = textSmoothing();
    op.text = text;
}

std::optional<std::pair<int, int>> DisplayList::textDifference(const std::string &before,
                                                               const std::string &after)
{
    m_measure.setFont(font());
    m_measure.setTextSmoothing(textSmoothing());
    return m_measure.textDifference(before, after);
}

const DrawOp *DisplayList::measured(const std::string &text)
{
    const auto same = [&](const DrawOp &op) {
        return op.text == text && op.smooth == textSmoothing() && op.font == font();
    };
    if (m_lastMeasured && same(*m_lastMeasured))
        return m_lastMeasured;
    while (m_previousText < m_previous.size()
           && m_previous[m_previousText].kind != DrawOp::Kind::Text)
        ++m_previousText;
    if (m_previousText < m_previous.size() && same(m_previous[m_previousText]))
        return m_lastMeasured = &m_previous[m_previousText++];
    ++m_previousText; // a text that changed: the next one may be as before
    return nullptr;
}

TextSize DisplayList::textSize(const std::string &text)
{
    // The same text in the same font measures the same: a face measures a text and then
    // draws it, and most texts stay from one picture to the next.
    if (const DrawOp *op = measured(text))
        return {op->c, op->d};
    m_measure.setFont(font());
    m_measure.setTextSmoothing(textSmoothing());
    const TextSize size = m_measure.textSize(text);
    m_measuredNew.text = text;
    m_measuredNew.font = font();
    m_measuredNew.smooth = textSmoothing();
    m_measuredNew.c = size.width;
    m_measuredNew.d = size.height;
    m_lastMeasured = &m_measuredNew;
    return size;
}

void DisplayList::drawBitmap(int x, int y, const Bitmap &bitmap)
{
    DrawOp &op = add(DrawOp::Kind::Bitmap,
                     grown(x, y, static_cast<long long>(x) + bitmap.width(),
                           static_cast<long long>(y) + bitmap.height(), 0));
    op.a = x, op.b = y;
    op.bitmap = &bitmap;
}

Color DisplayList::pixel(int, int) const
{
    return White;
}

std::vector<Box> mergeBoxes(std::vector<Box> boxes)
{
    // Pixels a join may add beyond the two boxes: a strip of a small face's width.
    constexpr long long Slack = 512;
    const auto area = [](const Box &b) {
        return static_cast<long long>(b.right - b.left) * (b.bottom - b.top);
    };
    struct Item
    {
        Box box;
        long long area;
    };
    std::vector<Item> items;
    items.reserve(boxes.size());
    for (const Box &b : boxes)
        if (!b.empty())
            items.push_back({b, area(b)});
    for (size_t i = 0; i < items.size(); ++i) {
        Item a = items[i];
        for (size_t j = i + 1; j < items.size(); ++j) {
            const Item &b = items[j];
            const Box u {std::min(a.box.left, b.box.left), std::min(a.box.top, b.box.top),
                         std::max(a.box.right, b.box.right), std::max(a.box.bottom, b.box.bottom)};
            const long long areaU = area(u);
            if (areaU > a.area + b.area + Slack)
                continue;
            a = {u, areaU};
            items.erase(items.begin() + std::ptrdiff_t(j));
            j = i; // the grown box may now join boxes it passed over
        }
        items[i] = a;
    }
    boxes.resize(items.size());
    std::transform(items.begin(), items.end(), boxes.begin(), [](const Item &t) { return t.box; });
    return boxes;
}

std::vector<Box> bandedBoxes(const std::vector<Box> &boxes)
{
    std::vector<int> edges;
    edges.reserve(boxes.size() * 2);
    for (const Box &b : boxes)
        if (!b.empty()) {
            edges.push_back(b.top);
            edges.push_back(b.bottom);
        }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<Box> bands;
    std::vector<std::pair<int, int>> spans;
    size_t lastBand = 0; // where the band above starts in bands
    for (size_t e = 0; e + 1 < edges.size(); ++e) {
        const int top = edges[e];
        const int bottom = edges[e + 1];
        spans.clear();
        for (const Box &b : boxes)
            if (!b.empty() && b.top <= top && bottom <= b.bottom)
                spans.emplace_back(b.left, b.right);
        if (spans.empty())
            continue;
        std::sort(spans.begin(), spans.end());
        // Overlapping and touching spans become one.
        size_t n = 0;
        for (size_t k = 1; k < spans.size(); ++k) {
            if (spans[k].first <= spans[n].second)
                spans[n].second = std::max(spans[n].second, spans[k].second);
            else
                spans[++n] = spans[k];
        }
        spans.resize(n + 1);
        // A band with the spans of the band right above it makes that band taller.
        const bool same = lastBand < bands.size() && bands.back().bottom == top
            && bands.size() - lastBand == spans.size()
            && std::equal(spans.begin(), spans.end(), bands.begin() + std::ptrdiff_t(lastBand),
                          [](const std::pair<int, int> &s, const Box &b) {
                              return s.first == b.left && s.second == b.right;
                          });
        if (same) {
            for (size_t k = lastBand; k < bands.size(); ++k)
                bands[k].bottom = bottom;
            continue;
        }
        lastBand = bands.size();
        for (const auto &[left, right] : spans)
            bands.push_back({left, top, right, bottom});
    }
    return bands;
}

// --- AreaCover ---------------------------------------------------------------------------

AreaCover::AreaCover(int width, int height, const std::vector<Box> &area)
    : m_columns((std::max(width, 0) + Cell - 1) / Cell),
      m_rows((std::max(height, 0) + Cell - 1) / Cell),
      m_sums(size_t(m_columns + 1) * size_t(m_rows + 1), 0)
{
    const int stride = m_columns + 1;
    for (const Box &raw : area) {
        const Box b = clipped(raw, width, height);
        if (b.empty())
            continue;
        m_boxes.push_back(b);
        for (int r = b.top / Cell; r <= (b.bottom - 1) / Cell; ++r)
            for (int c = b.left / Cell; c <= (b.right - 1) / Cell; ++c)
                m_sums[size_t(r + 1) * stride + c + 1] = 1;
    }
    if (m_boxes.size() > ExactBoxes)
        m_boxes.clear();
    for (int r = 1; r <= m_rows; ++r)
        for (int c = 1; c <= m_columns; ++c)
            m_sums[size_t(r) * stride + c] += m_sums[size_t(r - 1) * stride + c]
                + m_sums[size_t(r) * stride + c - 1] - m_sums[size_t(r - 1) * stride + c - 1];
}

int AreaCover::count(int c0, int r0, int c1, int r1) const
{
    const int stride = m_columns + 1;
    return m_sums[size_t(r1) * stride + c1] - m_sums[size_t(r0) * stride + c1]
        - m_sums[size_t(r1) * stride + c0] + m_sums[size_t(r0) * stride + c0];
}

bool AreaCover::reaches(const Box &box) const
{
    const Box b = clipped(box, m_columns * Cell, m_rows * Cell);
    if (b.empty())
        return false;
    if (count(b.left / Cell, b.top / Cell, (b.right - 1) / Cell + 1, (b.bottom - 1) / Cell + 1)
        == 0)
        return false;
    if (m_boxes.empty())
        return true;
    return std::any_of(m_boxes.begin(), m_boxes.end(), [&](const Box &a) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    });
}

// --- replay ------------------------------------------------------------------------------

namespace {

void draw(const DrawOp &op, Canvas &canvas)
{
    canvas.setPen(op.pen);
    canvas.setBrush(op.brush);
    switch (op.kind) {
    case DrawOp::Kind::Fill:
        canvas.fillRect(op.a, op.b, op.c, op.d);
        break;
    case DrawOp::Kind::Line:
        canvas.line(op.a, op.b, op.c, op.d);
        break;
    case DrawOp::Kind::SmoothLine:
        canvas.smoothLine(op.a, op.b, op.c, op.d);
        break;
    case DrawOp::Kind::Rectangle:
        canvas.rectangle(op.a, op.b, op.c, op.d);
        break;
    case DrawOp::Kind::RoundRect:
        canvas.roundRect(op.a, op.b, op.c, op.d, op.ellipseW, op.ellipseH);
        break;
    case DrawOp::Kind::Text:
        canvas.setFont(op.font);
        canvas.setTextSmoothing(op.smooth);
        canvas.textOut(op.a, op.b, op.text);
        break;
    case DrawOp::Kind::Bitmap:
        canvas.drawBitmap(op.a, op.b, *op.bitmap);
        break;
    }
}

} // namespace

void replay(const std::vector<DrawOp> &ops, Canvas &canvas)
{
    for (const DrawOp &op : ops)
        draw(op, canvas);
}

void replay(const std::vector<DrawOp> &ops, Canvas &canvas, const AreaCover &area)
{
    for (const DrawOp &op : ops)
        if (area.reaches(op.box))
            draw(op, canvas);
}

} // namespace tivora

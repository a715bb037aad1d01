#include "ui/render/raw_pixels.h"

#include <QPaintEngine>
#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tivora {

Sprite Sprite::pack(const QImage &image, QPoint offset)
{
    Sprite sprite;
    int top = image.height(), bottom = 0, left = image.width(), right = 0;
    std::vector<std::pair<int, int>> spans(size_t(std::max(image.height(), 0)), {0, 0});
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int first = 0, last = image.width();
        while (first < last && line[first] == 0)
            ++first;
        while (last > first && line[last - 1] == 0)
            --last;
        spans[size_t(y)] = {first, last};
        if (first < last) {
            top = std::min(top, y);
            bottom = y + 1;
            left = std::min(left, first);
            right = std::max(right, last);
        }
    }
    if (bottom <= top)
        return sprite;
    sprite.used = QRect(QPoint(left, top) + offset, QPoint(right - 1, bottom - 1) + offset);
    for (int y = top; y < bottom; ++y) {
        const auto [first, last] = spans[size_t(y)];
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        sprite.rows.push_back({first - left, std::max(first, last) - left, sprite.pixels.size()});
        sprite.pixels.insert(sprite.pixels.end(), line + first, line + std::max(first, last));
    }
    return sprite;
}

std::optional<RawPixels> RawPixels::under(QPainter &painter)
{
    QPaintEngine *engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice()
        || engine->paintDevice()->devType() != QInternal::Image)
        return std::nullopt;
    const QTransform t = painter.deviceTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx())
        || t.dy() != std::floor(t.dy()) || std::abs(t.dx()) > 1e6 || std::abs(t.dy()) > 1e6
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || painter.opacity() != 1.0)
        return std::nullopt;
    std::optional<RawPixels> raw = of(*static_cast<QImage *>(engine->paintDevice()));
    if (raw)
        raw->m_offset = QPoint(int(t.dx()), int(t.dy()));
    return raw;
}

std::optional<RawPixels> RawPixels::of(QImage &image)
{
    if (image.devicePixelRatio() != 1.0
        || (image.format() != QImage::Format_RGB32
            && image.format() != QImage::Format_ARGB32_Premultiplied))
        return std::nullopt;
    // Writing into a picture another QImage shares would change that one too.
    if (!image.isDetached())
        return std::nullopt;
    RawPixels raw;
    raw.m_width = image.width();
    raw.m_height = image.height();
    raw.m_bits = reinterpret_cast<QRgb *>(image.bits());
    raw.m_stride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
    return raw;
}

template <typename F>
void RawPixels::eachPart(const QRect &rect, const std::vector<QRect> &clip, F &&f) const
{
    // Edges as plain numbers (right and bottom excluded): this runs for every sprite.
    const int l0 = rect.left(), t0 = rect.top(), r0 = rect.right() + 1, b0 = rect.bottom() + 1;
    for (const QRect &c : clip) {
        const int l = std::max({l0, c.left(), -m_offset.x()}) + m_offset.x();
        const int r = std::min({r0, c.right() + 1, m_width - m_offset.x()}) + m_offset.x();
        if (l >= r)
            continue;
        const int t = std::max({t0, c.top(), -m_offset.y()}) + m_offset.y();
        const int b = std::min({b0, c.bottom() + 1, m_height - m_offset.y()}) + m_offset.y();
        if (t < b)
            f(QRect(l, t, r - l, b - t));
    }
}

void RawPixels::fill(const QRect &rect, QRgb colour, const std::vector<QRect> &clip) const
{
    colour |= 0xff000000;
    eachPart(rect, clip, [&](const QRect &p) {
        for (int y = p.top(); y <= p.bottom(); ++y)
            std::fill_n(row(y) + p.left(), p.width(), colour);
    });
}

void RawPixels::copy(const QImage &opaque, QPoint at, const std::vector<QRect> &clip) const
{
    const QPoint corner = at + m_offset; // of the image in the picture
    eachPart(QRect(at, opaque.size()), clip, [&](const QRect &p) {
        for (int y = p.top(); y <= p.bottom(); ++y)
            std::memcpy(row(y) + p.left(),
                        reinterpret_cast<const QRgb *>(opaque.constScanLine(y - corner.y()))
                            + (p.left() - corner.x()),
                        size_t(p.width()) * sizeof(QRgb));
    });
}

void RawPixels::lay(const Sprite &sprite, QPoint at, const std::vector<QRect> &clip) const
{
    const QPoint corner = at + sprite.used.topLeft() + m_offset; // of the part in use
    eachPart(sprite.used.translated(at), clip, [&](const QRect &p) {
        for (int y = p.top(); y <= p.bottom(); ++y) {
            const Sprite::Row &r = sprite.rows[size_t(y - corner.y())];
            const int from = std::max(p.left(), corner.x() + r.first);
            const int to = std::min(p.right() + 1, corner.x() + r.last);
            if (from < to)
                blendRow(row(y) + from, sprite.pixels.data() + r.at + (from - corner.x() - r.first),
                         to - from);
        }
    });
}

void blendRow(QRgb *dst, const QRgb *src, int n)
{
    int i = 0;
#if defined(__SSE2__)
    // Four pixels at a time, each channel in a 16-bit lane; the same sums as byteMul.
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi32(255);
    const __m128i half = _mm_set1_epi16(0x80);
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i));
        __m128i rest = _mm_sub_epi32(full, _mm_srli_epi32(s, 24)); // 255 - alpha, per pixel
        rest = _mm_or_si128(rest, _mm_slli_epi32(rest, 16)); // in both halves of the pixel
        const auto mul = [&](__m128i channels, __m128i by) {
            __m128i t = _mm_mullo_epi16(channels, by);
            t = _mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), half);
            return _mm_srli_epi16(t, 8);
        };
        const __m128i low = mul(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi32(rest, rest));
        const __m128i high = mul(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi32(rest, rest));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i),
                         _mm_add_epi32(s, _mm_packus_epi16(low, high)));
    }
#endif
    // An opaque source pixel leaves nothing of dst (255 - alpha is 0), a clear one leaves
    // dst as it is (x * 255 rounds back to x): no case needs a branch.
    for (; i < n; ++i)
        dst[i] = src[i] + byteMul(dst[i], 255 - qAlpha(src[i]));
}

} // namespace tivora

#pragma once

// The text caches of one font of a QtCanvas: its QFont and metrics, the texts it drew,
// the advances of printable characters and their glyphs.

#include "ui/render/qt_canvas.h"
#include "ui/render/qt_canvas_detail.h"

#include <QFontMetrics>
#include <QRawFont>
#include <QStaticText>
#include <QString>
#include <array>
#include <cmath>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tivora {

using canvas_detail::MaxCachedTexts;

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
          metricsF(font),
          lineHeight(metrics.height())
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
            const std::optional<int> sum = summedWidth(t);
            entry.width = sum ? *sum : metrics.horizontalAdvance(entry.text);
            it = texts.emplace(t, std::move(entry)).first;
        }
        it->second.picture = picture;
        return it->second;
    }

    // The time in digits is a new text every second. Laying it out to measure it is the
    // costly part of a repaint, so a text of printable ASCII characters is measured as
    // the sum of its characters' advances, where the font sets neighbouring characters
    // side by side (no kerning); each pair is checked once against the pair's laid-out
    // width. A run of characters joined by kerned pairs ("11" in many fonts) counts with
    // its own laid-out width, measured once. The sum is rounded as a laid-out width is.
    std::optional<int> summedWidth(std::string_view text)
    {
        if (text.size() > 64)
            return std::nullopt;
        qreal sum = 0;
        size_t run = 0; // where the run of kerned characters up to i starts
        int last = -1;
        for (size_t i = 0; i < text.size(); ++i) {
            const int c = printableIndex(QChar(uchar(text[i])));
            if (c < 0)
                return std::nullopt;
            if (i > 0 && plainPair(last, c)) {
                sum += i - run == 1 ? advance(last) : kernedRunWidth(text.substr(run, i - run));
                run = i;
            }
            last = c;
        }
        if (!text.empty())
            sum += text.size() - run == 1 ? advance(last) : kernedRunWidth(text.substr(run));
        return int(std::floor(sum + 0.5));
    }
    // The left edges of a text's glyphs and its end, as summedWidth() sums them; false
    // where the font does not set the text glyph by glyph. With kerning, a kerned pair
    // moves the second glyph by the pair's own kerning (kerned is then set when it did).
    // A text's edges: at most 64 glyphs and the end (no allocation: this runs for every
    // text of every repaint).
    using Edges = std::array<qreal, 65>;
    bool edges(const std::string &t, Edges &out, bool *kerned = nullptr)
    {
        if (kerned)
            *kerned = false;
        if (t.size() > 64)
            return false;
        out[0] = 0;
        for (size_t i = 0; i < t.size(); ++i) {
            const int c = printableIndex(QChar(uchar(t[i])));
            if (c < 0)
                return false;
            if (i > 0) {
                const int before = printableIndex(QChar(uchar(t[i - 1])));
                if (!plainPair(before, c)) {
                    if (!kerned)
                        return false;
                    *kerned = true;
                    out[i] += pairKerning[size_t(before) * Printable + c];
                }
            }
            out[i + 1] = out[i] + advance(c);
        }
        return true;
    }
    // The laid-out width of characters set together with kerning.
    qreal kernedRunWidth(std::string_view run)
    {
        const std::string key(run);
        auto it = kernedRuns.find(key);
        if (it == kernedRuns.end()) {
            if (kernedRuns.size() >= MaxCachedTexts)
                kernedRuns.clear();
            it = kernedRuns.emplace(key, metricsF.horizontalAdvance(QString::fromStdString(key)))
                     .first;
        }
        return it->second;
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
        if (pairs.empty()) {
            pairs.assign(Printable * Printable, Unknown);
            pairKerning.assign(Printable * Printable, 0);
        }
        std::uint8_t &state = pairs[size_t(a) * Printable + b];
        if (state == Unknown) {
            const QString pair = QString(QChar(a + 0x20)) + QChar(b + 0x20);
            const qreal kerning = metricsF.horizontalAdvance(pair) - advance(a) - advance(b);
            state = kerning == 0 ? Plain : Kerned;
            pairKerning[size_t(a) * Printable + b] = kerning;
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

    // A glyph drawn once in a colour at a fraction of a pixel from the whole pixel, on a
    // clear picture: laid on with SourceOver it gives the pixels the glyph drawn there
    // gives, which was checked when it was made (exact is false where it does not).
    struct GlyphSprite
    {
        QRgb colour;
        qreal fraction;
        bool exact = false;
        Sprite sprite;
    };
    // By printable character; a deque keeps the sprites in place as more are made.
    std::vector<std::deque<GlyphSprite>> glyphSprites;
    size_t glyphSpriteCount = 0;

    static constexpr int Printable = 0x7f - 0x20;
    static constexpr quint32 NoGlyph = 0xffffffff; // not looked up yet
    static constexpr quint32 Missing = 0xfffffffe;
    enum : std::uint8_t { Unknown, Plain, Kerned };

    FontSpec fontSpec;
    bool smooth;
    QFont font;
    QFontMetrics metrics;
    QFontMetricsF metricsF;
    int lineHeight; // metrics.height(), asked for with every text measured
    std::unordered_map<std::string, Text> texts;
    std::vector<qreal> advances; // of the printable characters, -1 until measured
    std::vector<std::uint8_t> pairs; // of printable characters, Printable x Printable
    std::vector<qreal> pairKerning; // what each pair adds to the advances, with pairs
    std::unordered_map<std::string, qreal> kernedRuns; // laid-out widths of kerned runs
    QRawFont raw; // the font's glyphs, made with glyphs
    std::vector<quint32> glyphs; // of the printable characters
};

} // namespace tivora

#include "core/render/clock_painter.h"
#include "ui/render/qt_canvas.h"
#include "core/skins/skin_params.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

using namespace tivora;

namespace {

constexpr Color Red {255, 0, 0}, Green {0, 200, 0};

void clear(QtCanvas &c, int w, int h)
{
    c.resize(w, h);
    c.setBrush({White, true});
    c.fillRect(0, 0, w, h);
}

// Every pixel of the canvas equals want(x, y).
void expectPixels(QtCanvas &c, const std::function<Color(int, int)> &want)
{
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            ASSERT_EQ(c.pixel(x, y), want(x, y)) << "pixel " << x << "," << y;
}

bool dark(Color c)
{
    return c.r < 160 || c.g < 160 || c.b < 160;
}

// How many rows hold a dark pixel in columns from..to-1.
int inkRows(QtCanvas &c, int from, int to)
{
    int rows = 0;
    for (int y = 0; y < c.height(); ++y) {
        bool ink = false;
        for (int x = from; x < to; ++x)
            ink = ink || dark(c.pixel(x, y));
        rows += ink;
    }
    return rows;
}

} // namespace

TEST(QtCanvas, FillRectExcludesRightAndBottomEdges)
{
    QtCanvas c;
    clear(c, 20, 20);
    c.setBrush({Red, false}); // the fill colour is used whether or not the fill is solid
    c.fillRect(5, 6, 10, 9);
    c.fillRect(-5, -5, 2, 2); // clipped at the picture's edge
    c.fillRect(15, 15, 12, 18); // right of left: nothing
    expectPixels(c, [](int x, int y) {
        return (x >= 5 && x < 10 && y >= 6 && y < 9) || (x < 2 && y < 2) ? Red : White;
    });
}

TEST(QtCanvas, RectanglesOutlineAndFill)
{
    QtCanvas c;
    for (int shape = 0; shape < 3; ++shape) { // outline, filled, rounded and filled
        SCOPED_TRACE(shape);
        clear(c, 20, 16);
        c.setPen({Black, 1});
        c.setBrush({Red, shape > 0});
        if (shape < 2)
            c.rectangle(5, 4, 15, 12);
        else
            c.roundRect(5, 4, 15, 12, 2, 2);
        expectPixels(c, [&](int x, int y) {
            const bool inX = x >= 5 && x <= 14, inY = y >= 4 && y <= 11;
            const bool edgeX = x == 5 || x == 14, edgeY = y == 4 || y == 11;
            if (!inX || !inY || (shape == 2 && edgeX && edgeY)) // a round corner is cut
                return White;
            return edgeX || edgeY ? Black : shape > 0 ? Red : White;
        });
    }
}

TEST(QtCanvas, LinesIncludeBothEnds)
{
    QtCanvas c;
    clear(c, 20, 20);
    c.setPen({Black, 1});
    c.line(3, 4, 12, 4);
    c.line(2, 8, 10, 14);
    for (auto [x, y, want] : {std::tuple {3, 4, Black},
                              {12, 4, Black},
                              {2, 4, White},
                              {13, 4, White},
                              {2, 8, Black},
                              {10, 14, Black},
                              {11, 15, White}})
        EXPECT_EQ(c.pixel(x, y), want) << x << "," << y;
    c.setPen({Black, 2});
    c.line(8, 16, 18, 16);
    EXPECT_EQ(inkRows(c, 14, 15), 2); // two pixels wide
}

// Pixels that are neither white nor the ink colour: the blends of smoothed edges.
int blends(QtCanvas &c, Color ink)
{
    int n = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            n += c.pixel(x, y) != White && c.pixel(x, y) != ink;
    return n;
}

TEST(QtCanvas, SmoothLinesEndWhereLinesEnd)
{
    // width, line; the pixel one step past each end along the line stays white
    const std::tuple<int, std::array<int, 4>, std::array<int, 4>> cases[] = {
        {1, {5, 5, 25, 12}, {3, 4, 27, 13}},
        {2, {20, 20, 6, 3}, {21, 22, 5, 1}},
        {2, {15, 4, 15, 25}, {15, 2, 15, 27}},
    };
    for (const auto &[width, l, past] : cases) {
        SCOPED_TRACE(width);
        QtCanvas plain, smooth;
        for (QtCanvas *c : {&plain, &smooth}) {
            clear(*c, 30, 30);
            c->setPen({Black, width});
        }
        plain.line(l[0], l[1], l[2], l[3]);
        smooth.smoothLine(l[0], l[1], l[2], l[3]);
        for (auto [x, y] : {std::pair {l[0], l[1]}, {l[2], l[3]}})
            EXPECT_TRUE(dark(smooth.pixel(x, y)) && dark(plain.pixel(x, y))) << x << "," << y;
        for (auto [x, y] : {std::pair {past[0], past[1]}, {past[2], past[3]}})
            EXPECT_TRUE(smooth.pixel(x, y) == White && plain.pixel(x, y) == White) << x << "," << y;
        EXPECT_EQ(blends(plain, Black), 0);
        EXPECT_GT(blends(smooth, Black), 0);
    }
}

TEST(QtCanvas, TextSmoothingCanBeSwitchedOff)
{
    for (bool smooth : {true, false}) {
        QtCanvas c(96);
        clear(c, 80, 40);
        c.setFont({"Arial", 18, 0, false, false, false});
        c.setTextSmoothing(smooth);
        c.textOut(2, 2, "Sao");
        EXPECT_GT(inkRows(c, 0, 80), 10);
        EXPECT_EQ(blends(c, Black) > 0, smooth) << smooth;
    }
}

TEST(QtCanvas, TextStandsAtItsTopLeftInTheFontColour)
{
    QtCanvas c(96);
    clear(c, 80, 80);
    c.setFont({"Arial", 18, Red.ref(), true, false, false});
    const TextSize size = c.textSize("H");
    c.textOut(10, 5, "H");
    int red = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (const Color p = c.pixel(x, y); dark(p)) {
                ASSERT_TRUE(x >= 10 && x < 10 + size.width && y >= 5 && y < 5 + size.height)
                    << x << "," << y;
                ASSERT_TRUE(p.r >= p.g && p.r >= p.b) << "not red at " << x << "," << y;
                red += p == Red;
            }
    EXPECT_GT(red, 20);

    // A text drawn again (from its cached layout) lands on the same pixels as at first.
    clear(c, 80, 80);
    c.setFont({"Arial", 18, 0, false, false, false});
    c.textOut(10, 2, "Hg");
    c.textOut(10, 42, "Hg");
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_EQ(c.pixel(x, y), c.pixel(x, y + 40)) << x << "," << y;
    EXPECT_GT(inkRows(c, 0, 80), 30);
}

TEST(QtCanvas, FontsFollowTheSkinFont)
{
    const QFont f = toQFont({"Arial", 18, 0, true, true, false}, 96);
    EXPECT_EQ(f.pixelSize(), 24);
    EXPECT_TRUE(f.bold() && f.italic() && !f.underline());
    const QFont u = toQFont({"Arial", 18, 0, false, false, true}, 120);
    EXPECT_EQ(u.pixelSize(), 30);
    EXPECT_TRUE(!u.bold() && u.underline());
    EXPECT_LE(toQFont({"Arial", 100000, 0, false, false, false}, 96).pixelSize(), 2048);
    // Sizes of 0 and less are drawn at the height the text positions are computed from.
    for (int size : {-18, 0})
        EXPECT_EQ(toQFont({"Arial", size, 0, false, false, false}, 96).pixelSize(),
                  fontPixelHeight(size, 96))
            << size;
    const QFont def = toQFont({"", 0, 0, false, false, false}, 96);
    EXPECT_EQ(def.family(), QGuiApplication::font().family());
    EXPECT_GT(def.pixelSize(), 0);

    // More fonts in turn than are kept at once: each text still gets its own size, also
    // when the font changes while the painter stays open (pixels read only at the end).
    QtCanvas c;
    clear(c, 200, 120);
    for (int round = 0; round < 2; ++round)
        for (int size = 6; size <= 60; size += 6) {
            c.setFont({"Arial", size, 0, false, false, false});
            EXPECT_EQ(c.textSize("H").height, QFontMetrics(toQFont(c.font(), 96)).height());
            c.textOut(0, 0, "H");
        }
    c.fillRect(0, 0, 200, 120);
    for (auto [x, size] : {std::pair {0, 60}, std::pair {70, 6}, std::pair {100, 60}}) {
        c.setFont({"Arial", size, 0, false, false, false});
        c.textOut(x, 0, "H");
    }
    EXPECT_GT(inkRows(c, 0, 70), 50); // the cap height of an 80-pixel font
    EXPECT_LT(inkRows(c, 70, 100), 12);
    EXPECT_GT(inkRows(c, 100, 200), 50);
}

TEST(QtCanvas, DrawBitmapUnscaledAndBitmapEdges)
{
    QImage img(3, 2, QImage::Format_RGB888);
    img.fill(Qt::white);
    img.setPixel(0, 0, qRgb(1, 2, 3));
    img.setPixel(2, 1, qRgb(200, 100, 50));
    const QtBitmap bmp(img);
    EXPECT_EQ(bmp.image().format(), QImage::Format_RGB32);
    EXPECT_EQ(bmp.pixel(3, 0), White); // outside the picture
    EXPECT_EQ(QtBitmap().pixel(0, 0), White);

    QtCanvas c;
    clear(c, 10, 10);
    c.drawBitmap(4, 5, bmp);
    c.drawBitmap(2, 2, QtBitmap()); // nothing to draw
    expectPixels(c, [](int x, int y) {
        return x == 4 && y == 5 ? Color {1, 2, 3} : x == 6 && y == 6 ? Color {200, 100, 50} : White;
    });
}

TEST(QtCanvas, StateSurvivesResizeAndEmptyPicturesAreHarmless)
{
    QtCanvas c;
    const FontSpec font {"Arial", 12, 255, false, true, false};
    c.setPen({Red, 2});
    c.setBrush({Green, false});
    c.setFont(font);
    c.resize(0, 0);
    c.fillRect(0, 0, 10, 10);
    c.line(0, 0, 5, 5);
    c.textOut(0, 0, "x");
    EXPECT_TRUE(c.image().isNull());
    EXPECT_EQ(c.pixel(0, 0), White);

    c.resize(5, 5);
    EXPECT_EQ(c.pen(), (Pen {Red, 2}));
    EXPECT_EQ(c.brush(), (Brush {Green, false}));
    EXPECT_EQ(c.font(), font);
    c.fillRect(0, 0, 5, 5);
    EXPECT_EQ(c.pixel(4, 4), Green);
}

TEST(QtCanvas, TextsMeasureAsLaidOut)
{
    // Also texts with kerned pairs ("11" in many fonts) and texts of other scripts.
    QtCanvas c(96);
    for (const bool smooth : {true, false})
        for (const FontSpec &f : {FontSpec {"Arial", 18, 0, true, false, false},
                                  FontSpec {"Arial", 9, 0, false, true, false}}) {
            c.setFont(f);
            c.setTextSmoothing(smooth);
            const QFontMetrics laidOut(toQFont(f, 96, smooth));
            for (const char *t : {"", "1", "111", "11:11:11", "21.11.2011", "City 11 AV",
                                  "23:59:59", "\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0"})
                EXPECT_EQ(c.textSize(t).width, laidOut.horizontalAdvance(QString::fromUtf8(t)))
                    << t << " " << f.size;
        }
}

TEST(QtCanvas, TextRepaintedOnlyWhereItChangedGivesThePixelsOfTheWholeText)
{
    // Every second of a minute, smoothed and plain (see-through white): the picture of the
    // last second with only the changed columns painted anew, through a painter clipped
    // to them, equals this second's text drawn whole.
    for (const bool smooth : {true, false}) {
        QtCanvas whole(96);
        QtCanvas part(96);
        for (QtCanvas *c : {&whole, &part}) {
            c->setTextSmoothing(smooth);
            c->setFont({"Arial", 18, 0x202020, true, false, false});
        }
        std::string last = "23:59:59";
        clear(whole, 160, 40);
        whole.textOut(7, 5, last);
        QImage picture = whole.image();
        for (int s = 0; s < 60; ++s) {
            char text[16];
            std::snprintf(text, sizeof text, "00:00:%02d", s);
            clear(whole, 160, 40);
            whole.textOut(7, 5, text);
            // Kerned pairs ("11" in many fonts) leave the place unknown: then all of it.
            const auto span = part.textDifference(last, text);
            ASSERT_TRUE(!span || span->first < span->second) << text;
            const int margin = part.textSize(text).height / 4 + 2;
            const QRect area = span ? QRect(QPoint(7 + span->first - margin, 0),
                                            QPoint(7 + span->second + margin - 1, 39))
                                    : QRect(0, 0, 160, 40);
            {
                QPainter p(&picture);
                p.setClipRect(area);
                p.fillRect(area, Qt::white);
                part.begin(p, 160, 40, QRegion(area));
                part.textOut(7, 5, text);
                part.end();
            }
            ASSERT_TRUE(picture == whole.image()) << text << (smooth ? " smoothed" : " plain");
            last = text;
        }
    }
}

TEST(QtCanvas, SpritesLaidStraightIntoThePixelsMatchTheToolkitsSourceOver)
{
    // Every alpha with pseudo-random premultiplied colours, over pseudo-random opaque
    // pixels, rows of every length from 1 to 9 (the four-pixel steps and the rest).
    QImage sprite(256, 9, QImage::Format_ARGB32_Premultiplied);
    QImage under(256, 9, QImage::Format_RGB32);
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 256; ++x) {
            const int a = (x + y * 29) & 255;
            const auto part = [&] { return a ? int(next() % uint(a + 1)) : 0; };
            sprite.setPixel(x, y, qRgba(part(), part(), part(), a));
            under.setPixel(x, y, 0xff000000u | next());
        }
    QImage toolkit = under;
    QPainter(&toolkit).drawImage(0, 0, sprite);
    QImage raw = under;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 256; x += y + 1)
            blendRow(reinterpret_cast<QRgb *>(raw.scanLine(y)) + x,
                     reinterpret_cast<const QRgb *>(sprite.constScanLine(y)) + x,
                     std::min(y + 1, 256 - x));
    EXPECT_TRUE(raw == toolkit);
}

TEST(QtCanvas, KernedTextsFromGlyphSpritesGiveThePixelsOfTheTextDrawnWhole)
{
    // Texts with kerned pairs, through a clipped painter (glyph sprites placed pair by
    // pair) and drawn directly, over a patterned picture, smoothed and plain.
    QImage pattern(200, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            pattern.setPixel(x, y, qRgb((x * 5) & 255, 255 - y * 3, (x * y) & 255));
    const QtBitmap background(pattern);
    for (const bool smooth : {true, false})
        for (const char *text : {"11:11:11", "21:11:41", "Tokyo", "AVAWAY Wolf", "Lviv, To"}) {
            QtCanvas direct(96);
            QtCanvas sprites(96);
            for (QtCanvas *c : {&direct, &sprites}) {
                c->setTextSmoothing(smooth);
                c->setFont({"Arial", 18, 0x2050a0, true, false, false});
            }
            direct.resize(200, 40);
            direct.drawBitmap(0, 0, background);
            direct.textOut(6, 4, text);
            QImage picture = pattern;
            {
                QPainter p(&picture);
                p.setClipRect(QRect(0, 0, 200, 40));
                sprites.begin(p, 200, 40, QRegion(0, 0, 200, 40));
                sprites.textOut(6, 4, text);
                sprites.end();
            }
            ASSERT_TRUE(picture == direct.image()) << text << (smooth ? " smoothed" : " plain");
        }
}

TEST(QtCanvas, HandsFromSpritesGiveThePixelsOfHandsDrawnAnew)
{
    // Every second of a minute, hands of both widths over a patterned picture: drawn
    // through a clipped painter (from sprites, made on first use and then reused) and
    // drawn directly on the canvas's own picture.
    QImage pattern(120, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            pattern.setPixel(x, y, qRgb((x * 7 + y * 3) & 255, (x * y) & 255, (y * 5) & 255));
    const QtBitmap background(pattern);
    QtCanvas direct(96);
    QtCanvas sprites(96);
    for (int round = 0; round < 2; ++round)
        for (int s = 0; s < 60; ++s) {
            direct.resize(120, 120);
            direct.drawBitmap(0, 0, background);
            QImage picture = pattern;
            QPainter p(&picture);
            p.setClipRect(picture.rect());
            sprites.begin(p, 120, 120, QRegion(picture.rect()));
            for (Canvas *c : {static_cast<Canvas *>(&direct), static_cast<Canvas *>(&sprites)})
                for (const auto &[len, width, color, turn] :
                     {std::tuple {25, 2, Red, s / 60.0 + round / 12.0},
                      {39, 2, Green, s / 60.0},
                      {47, 1, Black, s / 60.0}}) {
                    c->setPen({color, width});
                    const Point end = handEnd({60, 60}, 2 * M_PI * turn, len);
                    c->smoothLine(60, 60, end.x, end.y);
                }
            sprites.end();
            p.end();
            ASSERT_TRUE(picture == direct.image()) << "second " << s << " round " << round;
        }
}

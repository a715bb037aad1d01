#pragma once

#include "core/render/canvas.h"
#include "ui/render/raw_pixels.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tivora {

// A skin bitmap held in a QImage (24-bit RGB in memory as Format_RGB32).
class QtBitmap : public Bitmap
{
public:
    QtBitmap() = default;
    explicit QtBitmap(QImage image);
    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }
    Color pixel(int x, int y) const override;
    const QImage &image() const { return m_image; }
    void setImage(QImage image);
    bool isNull() const { return m_image.isNull(); }

private:
    QImage m_image;
};

// The canvas over an off-screen QImage, or over a painter it is lent (a window's).
// Shapes are not antialiased, so 1-pixel outlines land on exactly the pixels the canvas
// contract names; only smoothLine() and text (while text smoothing is on) are. The
// drawing state survives resize(), as the repaint logic relies on.
class QtCanvas : public Canvas
{
public:
    explicit QtCanvas(int dpi = 96);
    ~QtCanvas() override;

    // Reallocates the picture (contents undefined until painted); keeps the state. The
    // picture is width x height designed pixels, held at the given scale: drawing calls
    // stay in designed pixels and are drawn at the scale's resolution.
    void resize(int width, int height, double scale = 1);
    // Ends any open painter and the picture (endFrame), and gives the finished picture.
    const QImage &image();
    // Draws through the given painter, onto a picture of the given size, until end().
    // A painter clipped to an area may be told it: texts then draw only their glyphs
    // that reach it.
    void begin(QPainter &painter, int width, int height, const QRegion &area = QRegion());
    // Draws straight into the pixels of a window's buffer of the given size at scale 1,
    // only inside area, until end(). A painter is opened on them only for a drawing call
    // that cannot write the pixels itself: a tick's hands and texts need none.
    void begin(QImage &pixels, int width, int height, const QRegion &area);
    void end();
    // Ends a picture: the texts it did not use leave the caches (yesterday's date, the
    // last second's time).
    void endFrame();

    int width() const override { return lent() ? m_targetWidth : m_imageWidth; }
    int height() const override { return lent() ? m_targetHeight : m_imageHeight; }
    void fillRect(int left, int top, int right, int bottom) override;
    void line(int x1, int y1, int x2, int y2) override;
    void smoothLine(int x1, int y1, int x2, int y2) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void roundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH) override;
    void textOut(int x, int y, const std::string &text) override;
    TextSize textSize(const std::string &text) override;
    std::optional<std::pair<int, int>> textDifference(const std::string &before,
                                                      const std::string &after) override;
    // Known from the glyph sprites while the canvas last painted straight into a
    // window's pixels at scale 1, where texts are drawn from them.
    std::optional<Box> textChangeBox(const std::string &before, const std::string &after) override;
    void drawBitmap(int x, int y, const Bitmap &bitmap) override;
    Color pixel(int x, int y) const override;

private:
    struct FontCache;

    QPainter &painter();
    void endPainting() const;
    // Ends any lent target and takes the next one's size and area.
    void lend(int width, int height, const QRegion &area);
    // Fills a rectangle of the picture with a colour, straight into the pixels when it can.
    void fillSpan(const QRect &rect, Color colour);
    // A 1-pixel box as spans: the inside in the fill colour where the fill is solid, then
    // the edges in the pen's, the top and bottom rows cut short by cut pixels at each end.
    void spanBox(int left, int top, int right, int bottom, int cut);
    // The painter with the canvas's pen and, where it is solid, its fill.
    QPainter &shapePainter();
    // Whether drawing goes to a painter or pixels lent by begin().
    bool lent() const { return m_target || m_targetPixels; }
    bool drawable() const { return lent() || !m_image.isNull(); }
    // The cache entry of the current FontSpec and text smoothing, made on first use.
    FontCache &currentFont();
    // Draws the part of a text that reaches m_area; false when the whole text is to be
    // drawn instead.
    bool drawPart(FontCache &f, const std::string &text, int x, int y);
    // Lays the glyphs of a text that reach m_area on from glyph sprites, straight into the
    // pixels; false (nothing drawn) when the text cannot be drawn so.
    bool drawSprites(FontCache &f, const std::string &text, int x, int y);
    // The sprite of a printable character's glyph in a colour at a fraction of a pixel
    // right of a whole pixel; nothing when the glyph cannot be drawn from a sprite.
    const Sprite *glyphSprite(FontCache &f, int c, QRgb colour, qreal fraction);

    int m_dpi;
    QImage m_image;
    int m_imageWidth = 0; // designed pixels
    int m_imageHeight = 0;
    // The skin image last drawn on a scaled device, smoothly scaled to it once.
    QImage m_scaledBitmap;
    qint64 m_scaledFrom = 0; // the cache key of the image it was scaled from
    double m_scaledBy = 1;
    // Kept open between calls while drawing goes on; pixel() ends it, hence mutable.
    mutable std::unique_ptr<QPainter> m_painter;
    // The lent painter while begin() is in force, or the one opened on lent pixels.
    QPainter *m_target = nullptr;
    QImage *m_targetPixels = nullptr;
    QRegion m_targetArea; // the lent pixels' area, the clip of a painter opened on them
    std::unique_ptr<QPainter> m_pixelsPainter;
    int m_targetWidth = 0;
    int m_targetHeight = 0;
    std::vector<QRect> m_area; // the lent painter's clip, when it is a few rectangles
    // The lent painter's pixels, while they can be written directly (within m_area).
    std::optional<RawPixels> m_raw;
    bool m_lastPaintRaw = false; // whether the last lent painter's pixels were written directly
    std::vector<QRect> m_nearArea; // the part of m_area a text reaches (kept for its memory)
    // The repaint runs every second all day and draws the same descriptions and dates each
    // time, so each font keeps its QFont, metrics and laid-out texts; most recent first.
    std::vector<std::unique_ptr<FontCache>> m_fonts;
    // Smoothed lines drawn before, by pen and extent from the first end: each a picture
    // of the line's colour at the coverage its edge pixels get, laid on with SourceOver,
    // which gives the pixels the line drawn anew gives. Hands take few distinct places.
    // (A sprite's offset is that of its corner from the line's first end.) Lines along a
    // row or column have sprites of their own place.
    struct SpriteKey
    {
        std::uint64_t line; // pen and extent
        int x = 0, y = 0; // the first end, for a sprite of one place
        bool operator==(const SpriteKey &) const = default;
    };
    struct SpriteKeyHash
    {
        size_t operator()(const SpriteKey &k) const
        {
            return std::hash<std::uint64_t>()(k.line ^ (std::uint64_t(std::uint32_t(k.x)) << 20)
                                              ^ (std::uint64_t(std::uint32_t(k.y)) << 40));
        }
    };
    std::unordered_map<SpriteKey, Sprite, SpriteKeyHash> m_lineSprites;
    std::unordered_map<SpriteKey, Sprite, SpriteKeyHash> m_placedLineSprites;
    const Sprite &lineSprite(int x1, int y1, int dx, int dy);
    // The font last set on the open painter.
    mutable const FontCache *m_painterFont = nullptr;
    // Pictures ended since texts were last used.
    std::uint64_t m_picture = 0;
    bool m_textUsed = false;
};

// QFont for a skin font at the given screen DPI (pixel height set from the point size),
// with or without smoothed glyph edges.
QFont toQFont(const FontSpec &fontSpec, int dpi, bool smooth = true);

} // namespace tivora

#include "core/render/clock_painter.h"

#include "core/base/int_clamp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tivora {

namespace {

constexpr Color FrameColor {128, 128, 128};
// One step short of white, so that the white see-through colour leaves text boxes visible.
constexpr Color TextBoxColor {254, 254, 254};
constexpr int TextBoxCorner = 2;

// Positions and the pivot come from hand-editable files and may hold any 32-bit value.
// Sums are formed in 64 bits and cut by clampCoord to a range far outside any picture, so
// that no arithmetic overflows and every coordinate handed to the canvas is an ordinary int.

void placeText(Canvas &canvas, const TOptions &o, int x, int y, const std::string &text,
               std::int32_t px, std::int32_t py, std::uint8_t align)
{
    const TextSize size = canvas.textSize(text);
    const long long w = size.width;
    long long left;
    switch (align) {
    case 1: // the text ends at the cell's right edge; px is not used
        left = static_cast<long long>(x) + o.cWindth - w;
        break;
    case 2: // centred on px
        left = static_cast<long long>(x) + px - w / 2;
        break;
    default: // 0 and any unknown code: the text starts at px
        left = static_cast<long long>(x) + px;
        break;
    }
    const long long top = static_cast<long long>(y) + py;

    // Smoothed edges are blends with the background; on white that is about to be made
    // see-through they would stay as a pale fringe, so such text is drawn without them.
    canvas.setTextSmoothing(o.ShowTextWhiteBG || !o.ShowWhiteBG);
    if (o.ShowTextWhiteBG) {
        // The box keeps the current pen: the second hand's after the hands, otherwise
        // whatever earlier drawing left.
        canvas.setBrush({TextBoxColor, true});
        canvas.roundRect(clampCoord(left - 4), clampCoord(top - 1), clampCoord(left + w + 4),
                         clampCoord(top + size.height + 1), TextBoxCorner, TextBoxCorner);
        canvas.setBrush({TextBoxColor, false});
    }
    canvas.textOut(clampCoord(left), clampCoord(top), text);
}

} // namespace

Point handEnd(Point pivot, double angle, int len)
{
    const long long ex = static_cast<long long>(pivot.x) + roundHalfEven(len * std::sin(angle));
    const long long ey = static_cast<long long>(pivot.y) - roundHalfEven(len * std::cos(angle));
    return {clampToInt(ex), clampToInt(ey)};
}

namespace {

// The sine and cosine of every step of a turn of Steps steps: a hand stands at one of 60,
// 720 or 1440 angles, and with these each face costs no trigonometry. They are the values
// handEnd computes for the angle 2 pi k / Steps.
template<int Steps>
const std::array<std::pair<double, double>, Steps> &turnSteps()
{
    static const auto table = [] {
        std::array<std::pair<double, double>, Steps> t;
        for (int k = 0; k < Steps; ++k) {
            const double angle = 2 * std::numbers::pi * k / double(Steps);
            t[size_t(k)] = {std::sin(angle), std::cos(angle)};
        }
        return t;
    }();
    return table;
}

// handEnd for the angle of step k (0 <= k < Steps) of a turn.
template<int Steps>
Point handEndAtStep(Point pivot, int k, int len)
{
    const auto &[sine, cosine] = turnSteps<Steps>()[size_t(k)];
    const long long ex = static_cast<long long>(pivot.x) + roundHalfEven(len * sine);
    const long long ey = static_cast<long long>(pivot.y) - roundHalfEven(len * cosine);
    return {clampToInt(ex), clampToInt(ey)};
}

} // namespace

Point handEndAt(Point pivot, int step, int steps, int len)
{
    switch (steps) {
    case 60:
        if (step >= 0 && step < 60)
            return handEndAtStep<60>(pivot, step, len);
        break;
    case 720:
        if (step >= 0 && step < 720)
            return handEndAtStep<720>(pivot, step, len);
        break;
    case 1440:
        if (step >= 0 && step < 1440)
            return handEndAtStep<1440>(pivot, step, len);
        break;
    }
    return handEnd(pivot, 2 * std::numbers::pi * step / double(steps), len);
}

LocalDateTime faceTime(const LocalDateTime &now, const TClock &entry, const TimeZones *zones)
{
    if (zones && !entry.zone.empty())
        if (const std::optional<int> offset = zones->utcOffset(entry.zone, utcSecondsOf(now)))
            return atUtcOffset(now, *offset);
    // The minute offset is always added, also behind a negative hour offset.
    return addMinutes(now, 60LL * entry.hour + static_cast<long long>(entry.minute));
}

namespace {

// A moment other than now is written in italics.
FontSpec marked(const FaceContext &ctx, FontSpec font)
{
    font.italic = font.italic || ctx.scrubbed;
    return font;
}

// Sets the font, marked where the face shows another moment than now; copied once.
void setFontMarkedIf(Canvas &canvas, const FaceContext &ctx, bool mark, const FontSpec &font)
{
    if (mark && ctx.scrubbed)
        canvas.setFont(marked(ctx, font));
    else
        canvas.setFont(font);
}

// The text under a face: how far the clocks are moved, on the face that carries it;
// otherwise the description, or the city of a clock picked from the city list and left
// unnamed. Empty when nothing is written there.
std::string descriptionOf(const FaceContext &ctx, const TClock &entry, bool carriesScrubText)
{
    if (ctx.scrubbed && carriesScrubText)
        return ctx.scrubText;
    if (!ctx.options.ShowDesc)
        return {};
    if (entry.desc.empty() && !entry.zone.empty())
        return zoneCityName(entry.zone);
    return entry.desc;
}

} // namespace

long long reachLeftOfCell(Canvas &canvas, const FaceContext &ctx, const TClock &entry,
                          bool carriesScrubText)
{
    const TOptions &o = ctx.options;
    long long reach = 0;
    if (o.ShowArray) // a hand's end, its pen and its smoothed edge
        reach = std::max<long long>({o.hLen, o.mLen, o.sLen}) + 3 - o.strlX;
    const FontSpec font = canvas.font();
    const bool smoothing = canvas.textSmoothing();
    canvas.setTextSmoothing(o.ShowTextWhiteBG || !o.ShowWhiteBG);
    const LocalDateTime t = faceTime(ctx.now, entry, ctx.zones);
    const auto text = [&](bool shown, const FontSpec &f, const std::string &s, long long px,
                          std::uint8_t align) {
        if (!shown)
            return;
        canvas.setFont(f);
        const TextSize size = canvas.textSize(s);
        const long long left = align == 1 ? o.cWindth - size.width
            : align == 2                  ? px - size.width / 2
                                          : px;
        // The text box reaches 4 pixels further, glyphs up to a quarter of the height.
        reach = std::max(reach, 6 + size.height / 4 - left);
    };
    text(o.ShowDigits, marked(ctx, o.Digits), formatTime(t, ctx.timeSeparator), o.DigposX,
         o.DigAl);
    text(o.ShowDate, marked(ctx, o.Date), formatDate(t), o.DateposX, o.DateAl);
    const bool scrubText = ctx.scrubbed && carriesScrubText;
    text(o.ShowDesc || scrubText, scrubText ? marked(ctx, o.Desc) : o.Desc,
         descriptionOf(ctx, entry, carriesScrubText), o.DescposX, o.DescAl);
    canvas.setFont(font);
    canvas.setTextSmoothing(smoothing);
    return reach;
}

void PaintClock(Canvas &canvas, const FaceContext &ctx, int x, int y, const TClock &entry,
               bool carriesScrubText)
{
    const TOptions &o = ctx.options;

    const LocalDateTime t = faceTime(ctx.now, entry, ctx.zones);
    const int h = t.hour;
    const int m = t.minute;
    const int s = t.second;

    // Not used for filling here: it is the colour of the next background fill.
    canvas.setBrush({ctx.skin.pixel(0, 0), true});

    if (o.ShowArray) {
        canvas.drawBitmap(x, y, ctx.skin);
        const Point pivot {clampCoord(static_cast<long long>(x) + o.strlX - 1),
                           clampCoord(static_cast<long long>(y) + o.strlY - 1)};

        const int hourSteps = o.h24 ? 1440 : 720;
        const int hourStep = o.h24 ? h * 60 + m : (h % 12) * 60 + m;
        canvas.setPen({Color::fromRef(o.hColor), 2});
        Point end = handEndAt(pivot, hourStep, hourSteps, o.hLen);
        canvas.smoothLine(pivot.x, pivot.y, end.x, end.y);

        canvas.setPen({Color::fromRef(o.mColor), 2});
        end = handEndAt(pivot, m, 60, o.mLen);
        canvas.smoothLine(pivot.x, pivot.y, end.x, end.y);

        canvas.setPen({Color::fromRef(o.sColor), 1});
        end = handEndAt(pivot, s, 60, o.sLen);
        canvas.smoothLine(pivot.x, pivot.y, end.x, end.y);
    }

    // Texts go on a transparent background and the frame stays empty.
    canvas.setBrush({canvas.brush().color, false});

    if (o.ShowDigits) {
        setFontMarkedIf(canvas, ctx, true, o.Digits);
        placeText(canvas, o, x, y, formatTime(t, ctx.timeSeparator), o.DigposX, o.DigposY, o.DigAl);
    }
    if (o.ShowDate) {
        setFontMarkedIf(canvas, ctx, true, o.Date);
        placeText(canvas, o, x, y, formatDate(t), o.DateposX, o.DateposY, o.DateAl);
    }
    const bool scrubText = ctx.scrubbed && carriesScrubText;
    if (o.ShowDesc || scrubText) {
        setFontMarkedIf(canvas, ctx, scrubText, o.Desc);
        placeText(canvas, o, x, y, descriptionOf(ctx, entry, carriesScrubText), o.DescposX,
                  o.DescposY, o.DescAl);
    }

    if (o.ShowDelimiters) {
        canvas.setPen({FrameColor, 1});
        canvas.rectangle(x, y, clampCoord(static_cast<long long>(x) + o.cWindth),
                         clampCoord(static_cast<long long>(y) + o.cHeight));
    }
    if (ctx.scrubbed) {
        // Inside the delimiters' frame, so that both show.
        canvas.setPen({Color::fromRef(o.hColor), 1});
        canvas.rectangle(clampCoord(static_cast<long long>(x) + 1), clampCoord(static_cast<long long>(y) + 1),
                         clampCoord(static_cast<long long>(x) + o.cWindth - 1),
                         clampCoord(static_cast<long long>(y) + o.cHeight - 1));
    }
}

} // namespace tivora

#include "core/recording_canvas.h"
#include "core/render/clock_grid.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <numbers>

using namespace tivora;
using namespace tivora::test;
using V = std::vector<int>;

namespace {

constexpr Color SkinBg {10, 20, 30}, Grey {128, 128, 128}, BoxFill {254, 254, 254};

TClock clock(int h, int m, const char *desc = "")
{
    return {std::int8_t(h), std::int8_t(m), desc};
}

// Hands only, on a 139 x 220 cell; coloured hands to tell the pens apart.
struct Face
{
    TOptions o;
    SolidBitmap skin {SkinBg};
    RecordingCanvas canvas;
    LocalDateTime now {2026, 12, 7, 1, 10, 0};
    const TimeZones *zones = nullptr;

    Face()
    {
        o.cWindth = 139;
        o.cHeight = 220;
        o.ShowDigits = o.ShowDate = o.ShowDesc = false;
        o.hColor = 0x0000ff;
        o.mColor = 0x00ff00;
        o.sColor = 0xff0000;
    }
    void paint(int x, int y, const TClock &entry)
    {
        PaintClock(canvas, FaceContext {o, skin, now, ":", zones}, x, y, entry);
    }
    void compose(const TClockList &clocks)
    {
        composeGrid(canvas, FaceContext {o, skin, now, ":"}, clocks);
    }
    Op text(size_t i) const { return canvas.ofKind(Op::TextOut).at(i); }
};

// A fixed zone table: per zone, the offsets in force from the given instants on (the
// first one also before its instant). Spring and autumn of 2026 in both hemispheres.
class TableZones : public TimeZones
{
public:
    std::optional<int> utcOffset(const std::string &zone, std::int64_t utc) const override
    {
        const auto it = table.find(zone);
        if (it == table.end())
            return std::nullopt;
        int offset = it->second.front().second;
        for (const auto &[from, value] : it->second)
            if (utc >= from)
                offset = value;
        return offset;
    }
    std::map<std::string, std::vector<std::pair<std::int64_t, int>>> table {
        {"America/New_York", {{0, -5 * 3600}, {1772953200, -4 * 3600}, {1793512800, -5 * 3600}}},
        // Half an hour of daylight saving: +11 until April, +10:30, +11 from October.
        {"Australia/Lord_Howe", {{0, 11 * 3600}, {1775314800, 37800}, {1791041400, 11 * 3600}}},
    };
};

} // namespace

TEST(ClockTime, RoundingAndFormats)
{
    EXPECT_EQ(roundHalfEven(39 * std::cos(std::numbers::pi / 3)), 20); // 19.500000000000004
    EXPECT_EQ(roundHalfEven(39 * std::sin(std::numbers::pi / 6)), 20); // 19.499999999999996
    EXPECT_EQ(roundHalfEven(20.5), 20);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.5001), 3);
    EXPECT_EQ(roundHalfEven(std::nan("")), 0);
    EXPECT_EQ(formatTime({2026, 1, 2, 21, 5, 9}, "."), "21.05.09");
    EXPECT_EQ(formatDate({987, 1, 2, 0, 0, 0}), "02.01.0987");
}

TEST(ClockTime, FormatsWriteNumbersAsPrintfDoes)
{
    for (int v : {0, 7, 10, 99, 100, 987, 12345, -1, -5, -987, -12345, INT_MAX, INT_MIN}) {
        char date[64], time[96];
        std::snprintf(date, sizeof date, "%02d.%02d.%04d", v, v, v);
        EXPECT_EQ(formatDate({v, v, v, 0, 0, 0}), date);
        for (const std::string sep : {"", ":", " h ", "long separator"}) {
            std::snprintf(time, sizeof time, "%02d%s%02d%s%02d", v, sep.c_str(), v, sep.c_str(), v);
            EXPECT_EQ(formatTime({2026, 1, 1, v, v, v}, sep), time);
        }
    }
}

TEST(ClockTime, AddMinutesRollsOverDaysMonthsAndYears)
{
    struct Case
    {
        LocalDateTime from;
        long long minutes;
        LocalDateTime to;
    } cases[] = {
        {{2026, 12, 7, 1, 10, 0}, -5 * 60 + 30, {2026, 12, 6, 20, 40, 0}},
        {{2026, 12, 31, 23, 30, 15}, 60, {2027, 1, 1, 0, 30, 15}},
        {{2027, 1, 1, 0, 0, 59}, -1, {2026, 12, 31, 23, 59, 59}},
        {{2024, 2, 28, 23, 0, 0}, 60, {2024, 2, 29, 0, 0, 0}},
        {{1900, 2, 28, 23, 0, 0}, 60, {1900, 3, 1, 0, 0, 0}},
        {{2000, 3, 1, 0, 10, 0}, -20, {2000, 2, 29, 23, 50, 0}},
        {{2026, 13, 1, 0, 0, 0}, 0, {2027, 1, 1, 0, 0, 0}}, // out-of-range month carried
    };
    for (const Case &c : cases)
        EXPECT_EQ(addMinutes(c.from, c.minutes), c.to) << formatDate(c.from) << " " << c.minutes;
    for (long long m : {LLONG_MAX, LLONG_MIN}) { // absurd shifts stay valid dates
        const LocalDateTime r = addMinutes({2026, 1, 1, 0, 0, 0}, m);
        EXPECT_TRUE(r.month >= 1 && r.month <= 12 && r.day >= 1 && r.day <= 31);
    }
}

TEST(FaceTime, ZoneBoundClocksShowTheZonesRealTimeAtEveryInstant)
{
    const TableZones zones;
    struct Case
    {
        const char *zone;
        LocalDateTime now; // local time with its offset: the local zone may change
        const char *shows;
    } cases[] = {
        // Northern spring and autumn, seen from UTC.
        {"America/New_York", {2026, 3, 8, 6, 59, 59}, "01:59:59 08.03.2026"},
        {"America/New_York", {2026, 3, 8, 7, 0, 0}, "03:00:00 08.03.2026"},
        {"America/New_York", {2026, 11, 1, 5, 59, 59}, "01:59:59 01.11.2026"},
        {"America/New_York", {2026, 11, 1, 6, 0, 0}, "01:00:00 01.11.2026"},
        // Southern autumn and spring, by half an hour.
        {"Australia/Lord_Howe", {2026, 4, 4, 14, 59, 59}, "01:59:59 05.04.2026"},
        {"Australia/Lord_Howe", {2026, 4, 4, 15, 0, 0}, "01:30:00 05.04.2026"},
        {"Australia/Lord_Howe", {2026, 10, 3, 15, 29, 59}, "01:59:59 04.10.2026"},
        {"Australia/Lord_Howe", {2026, 10, 3, 15, 30, 0}, "02:30:00 04.10.2026"},
        // The local zone changes while the widget runs: the same instant seen from
        // UTC+9 and UTC-3:30 leaves the zone's clock where it is, and the fixed clock
        // follows the local time.
        {"America/New_York", {2026, 3, 8, 16, 0, 0, 9 * 3600}, "03:00:00 08.03.2026"},
        {"America/New_York", {2026, 3, 8, 3, 30, 0, -12600}, "03:00:00 08.03.2026"},
        {"", {2026, 3, 8, 16, 0, 0, 9 * 3600}, "11:00:00 08.03.2026"},
        {"", {2026, 3, 8, 3, 30, 0, -12600}, "22:30:00 07.03.2026"},
        // A zone the table does not know: the stored offsets.
        {"Mars/Olympus", {2026, 3, 8, 7, 0, 0}, "02:00:00 08.03.2026"},
    };
    for (const Case &c : cases) {
        const TClock entry {-5, 0, "", c.zone};
        const LocalDateTime t = faceTime(c.now, entry, &zones);
        EXPECT_EQ(formatTime(t, ":") + " " + formatDate(t), c.shows)
            << c.zone << " at " << formatTime(c.now, ":") << " " << c.now.utcOffset;
    }
    // Without zones every clock shows its stored offsets; the painter asks the zones.
    EXPECT_EQ(
        formatTime(faceTime({2026, 3, 8, 7, 0, 0}, {-5, 0, "", "America/New_York"}, nullptr), ":"),
        "02:00:00");
    Face f;
    f.o.ShowDigits = true;
    f.zones = &zones;
    f.now = {2026, 3, 8, 7, 0, 0};
    f.paint(0, 0, {-5, 0, "", "America/New_York"});
    EXPECT_EQ(f.text(0).text, "03:00:00");
}

TEST(ClockPainter, HandEndPoints)
{
    struct Case
    {
        int h, m, s;
        bool h24;
        V ends; // hour, minute and second hand ends relative to the pivot
    } cases[] = {
        {3, 0, 0, false, {25, 0, 0, -39, 0, -39}},
        {15, 30, 0, false, {24, 6, 0, 39, 0, -39}},
        {18, 0, 0, true, {-25, 0, 0, -39, 0, -39}},
        {18, 0, 0, false, {0, 25, 0, -39, 0, -39}},
        {10, 10, 45, false, {-20, -14, 34, -20, -39, 0}},
        {0, 5, 7, false, {1, -25, 20, -34, 26, -29}}, // 39 x sin(30 degrees) is a half
    };
    for (const Case &c : cases) {
        Face f;
        f.o.h24 = c.h24;
        f.now = {2026, 3, 4, c.h, c.m, c.s};
        f.paint(100, 50, clock(0, 0));
        const auto lines = f.canvas.ofKind(Op::SmoothLine); // the hands are smoothed
        ASSERT_EQ(lines.size(), 3u);
        V ends;
        for (const Op &l : lines) {
            EXPECT_EQ(V(l.v.begin(), l.v.begin() + 2), V({168, 118})); // the pivot
            ends.insert(ends.end(), {l.v[2] - 168, l.v[3] - 118});
        }
        EXPECT_EQ(ends, c.ends) << c.h << ":" << c.m << ":" << c.s;
        EXPECT_EQ(lines[0].pen, (Pen {Color::fromRef(f.o.hColor), 2}));
        EXPECT_EQ(lines[1].pen, (Pen {Color::fromRef(f.o.mColor), 2}));
        EXPECT_EQ(lines[2].pen, (Pen {Color::fromRef(f.o.sColor), 1}));
        EXPECT_EQ(f.canvas.ops.front().v, V({100, 50})); // the skin, drawn first
    }
}

TEST(ClockPainter, HandEndsFromTheTableAreThoseOfTheAngle)
{
    const Point pivot {100, -7};
    for (int steps : {60, 720, 1440, 7})
        for (int len : {0, 1, 25, 39, 50, 997, -13})
            for (int k = -2; k < steps + 2; ++k)
                ASSERT_EQ(handEndAt(pivot, k, steps, len),
                          handEnd(pivot, 2 * std::numbers::pi * k / double(steps), len))
                    << k << "/" << steps << " len " << len;
}

TEST(ClockPainter, TextsShowOffsetTimeOnTheTwentyFourHourClock)
{
    Face f;
    f.o.ShowDigits = f.o.ShowDate = f.o.ShowDesc = true;
    f.o.Digits.name = "DigitsFont";
    f.o.Date.name = "DateFont";
    f.o.Desc.name = "DescFont";
    f.paint(0, 0, clock(-5, 30, "Quito"));
    EXPECT_EQ(f.text(0).text + " " + f.text(0).font.name, "20:40:00 DigitsFont");
    EXPECT_EQ(f.text(1).text + " " + f.text(1).font.name, "06.12.2026 DateFont");
    EXPECT_EQ(f.text(2).text + " " + f.text(2).font.name, "Quito DescFont");
    EXPECT_FALSE(f.text(0).brush.solid); // transparent text background
    // An unnamed clock bound to a zone shows the zone's city; a fixed one shows nothing.
    f.paint(0, 0, {-5, 0, "", "America/St_Johns"});
    f.paint(0, 0, {-5, 0, "Home", "America/St_Johns"});
    f.paint(0, 0, {-5, 0, ""});
    EXPECT_EQ(f.text(5).text, "St John's");
    EXPECT_EQ(f.text(8).text, "Home");
    EXPECT_EQ(f.text(11).text, "");

    Face g; // 9:05:09 in the evening reads 21:05:09 also on the 12-hour dial
    g.o.ShowArray = false;
    g.o.ShowDigits = true;
    g.now = {2026, 1, 1, 21, 5, 9};
    g.paint(0, 0, clock(0, 0));
    EXPECT_EQ(g.text(0).text, "21:05:09");
    EXPECT_EQ(g.canvas.ops.size(), 1u); // no skin, no hands
}

TEST(ClockPainter, AlignmentCodes)
{
    // align, px, text width, expected left edge for a cell at x = 100
    const V cases[] = {{0, 10, 50, 110}, {1, 10, 50, 189}, {1, 10, 300, -61},
                       {2, 69, 51, 144}, {2, 69, 50, 144}, {7, 10, 50, 110}};
    for (const V &c : cases) {
        Face f;
        f.o.ShowArray = false;
        f.o.ShowDesc = true;
        f.o.DescAl = std::uint8_t(c[0]);
        f.o.DescposX = c[1];
        f.o.DescposY = 7;
        f.canvas.sizes["text"] = {c[2], 20};
        f.paint(100, 50, clock(1, 0, "text"));
        EXPECT_EQ(f.text(0).v, V({c[3], 57})) << "align " << c[0] << " width " << c[2];
    }
}

TEST(ClockPainter, TextBoxesFrameAndFillState)
{
    Face f; // after the hands, boxes are outlined in the second hand's pen
    f.o.ShowDigits = f.o.ShowTextWhiteBG = f.o.ShowDelimiters = true;
    f.o.DigAl = 0;
    f.o.DigposX = 5;
    f.o.DigposY = 140;
    f.paint(139, 0, clock(0, 0));
    const Op box = f.canvas.ofKind(Op::RoundRect).at(0);
    EXPECT_EQ(box.v, V({140, 139, 139 + 5 + 80 + 4, 140 + 20 + 1, 2, 2}));
    EXPECT_EQ(box.pen, (Pen {Color::fromRef(f.o.sColor), 1}));
    EXPECT_EQ(box.brush, (Brush {BoxFill, true}));
    const Op frame = f.canvas.ops.back();
    EXPECT_EQ(frame.kind, Op::Rectangle);
    EXPECT_EQ(frame.v, V({139, 0, 278, 220}));
    EXPECT_EQ(frame.pen, (Pen {Grey, 1}));
    EXPECT_EQ(frame.brush, (Brush {BoxFill, false}));

    Face g; // without hands: the initial black pen, then the grey the first frame left
    g.o.ShowArray = false;
    g.o.ShowDesc = g.o.ShowTextWhiteBG = g.o.ShowDelimiters = true;
    g.compose({clock(1, 0, "a"), clock(2, 0, "b")});
    const auto boxes = g.canvas.ofKind(Op::RoundRect);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].pen, (Pen {Black, 1}));
    EXPECT_EQ(boxes[1].pen, (Pen {Grey, 1}));
}

TEST(ClockPainter, TextOnSeeThroughWhiteIsNotSmoothed)
{
    // white see-through, text boxes, whether the text is smoothed
    for (auto [seeThrough, boxes, smooth] : {std::tuple {false, false, true},
                                             {false, true, true},
                                             {true, true, true},
                                             {true, false, false}}) {
        Face f;
        f.o.ShowWhiteBG = seeThrough;
        f.o.ShowTextWhiteBG = boxes;
        f.o.ShowDigits = f.o.ShowDesc = true;
        f.compose({clock(0, 0, "a"), clock(1, 0, "b")});
        for (const Op &t : f.canvas.ofKind(Op::TextOut))
            EXPECT_EQ(t.textSmoothing, smooth) << seeThrough << boxes << " " << t.text;
    }
}

TEST(ClockPainter, AbsurdPositionsDoNotOverflow)
{
    Face f;
    f.o.ShowDigits = f.o.ShowTextWhiteBG = true;
    f.o.strlX = INT_MIN;
    f.o.DigAl = 0;
    f.o.DigposX = f.o.DigposY = INT_MAX;
    f.paint(INT_MAX, 10, clock(0, 0));
    EXPECT_GT(f.text(0).v[0], 1000);
    EXPECT_GT(f.text(0).v[1], 1000);
    EXPECT_LT(f.canvas.ofKind(Op::SmoothLine).at(0).v[0], 0);
}

TEST(ClockGrid, FitGrid)
{
    // Width, user clocks, system time shown, expected columns and rows
    const V cases[] = {{10, 3, 1, 4, 1}, {2, 3, 1, 2, 2}, {2, 4, 1, 2, 3}, {3, 2, 0, 2, 1},
                       {1, 3, 1, 1, 4},  {0, 3, 1, 1, 4}, {5, 0, 0, 1, 1}};
    for (const V &c : cases) {
        TOptions o = Face().o;
        o.Width = std::uint8_t(c[0]);
        o.ShowSystemTime = c[2];
        TClockList clocks {clock(0, 0, "sys")};
        for (int i = 0; i < c[1]; ++i)
            clocks.push_back(clock(i + 1, 0));
        EXPECT_EQ(fitGrid(o, clocks), (GridSize {c[3], c[4], c[3] * 139, c[4] * 220}))
            << "Width " << c[0] << " clocks " << c[1] << " sys " << c[2];
    }
    TOptions o;
    o.cWindth = 5;
    o.cHeight = 300;
    o.ShowSystemTime = false;
    // With no system-time entry in the list, nothing is taken off the count.
    EXPECT_EQ(fitGrid(o, {clock(1, 0), clock(2, 0)}), (GridSize {2, 1, 20, 300}));
    EXPECT_EQ(o.cWindth, 10);
}

TEST(ClockGrid, ComposePlacesShownFacesInOrder)
{
    auto corners = [](const RecordingCanvas &c) {
        V out;
        for (const Op &op : c.ofKind(Op::DrawBitmap))
            out.insert(out.end(), op.v.begin(), op.v.end());
        return out;
    };
    const TClockList clocks {clock(-5, 0, "w"), clock(0, 0, "sys"), clock(3, 0, "e"),
                             clock(4, 0, "f")};
    Face f;
    f.o.Width = 2;
    f.compose(clocks);
    EXPECT_EQ(corners(f.canvas), V({0, 0, 139, 0, 0, 220, 139, 220}));
    EXPECT_EQ(f.canvas.ops.front().v, V({0, 0, 1000, 1000})); // the background first
    EXPECT_EQ(f.canvas.ops.front().brush, (Brush {White, true})); // before any face: white

    Face g;
    g.o.Width = 2;
    g.o.ShowSystemTime = false;
    g.o.ShowDesc = true;
    g.compose(clocks);
    EXPECT_EQ(corners(g.canvas), V({0, 0, 139, 0, 0, 220}));
    EXPECT_EQ(g.text(1).text, "e");

    Face h;
    h.o.Width = 0;
    h.compose(clocks);
    EXPECT_EQ(corners(h.canvas), V({0, 0, 0, 220, 0, 440, 0, 660}));
}

TEST(ClockGrid, FacesThatCannotReachThePictureAreNotPainted)
{
    const TClockList many(10, clock(1, 0, "x"));
    Face f; // a 1000 pixel high canvas, one 220 pixel face per row
    f.o.Width = 1;
    f.o.ShowDigits = f.o.ShowTextWhiteBG = true;
    f.o.DigposY = 2;
    f.compose(many);
    EXPECT_EQ(f.canvas.ofKind(Op::DrawBitmap).size(), 5u); // rows starting at 0 .. 880
    const Brush leftByFaces = f.canvas.brush();

    // Texts placed far above their cell still reach the picture from a row further down.
    Face g;
    g.o.Width = 1;
    g.o.ShowDigits = g.o.ShowTextWhiteBG = true;
    g.o.DigposY = -300;
    g.compose(many);
    EXPECT_EQ(g.canvas.ofKind(Op::DrawBitmap).size(), 6u);
    EXPECT_EQ(g.canvas.brush(), leftByFaces) << "skipping faces keeps the carried state";

    // Faces right of a window cut to its largest size: cells start at 0, 139, ... 1251
    // in a 1000 pixel wide canvas; those from 1112 on are left out unless something of
    // them reaches back into it.
    struct Case
    {
        const char *what;
        std::uint8_t descAlign;
        std::string desc;
        std::int32_t strlX;
        size_t faces;
    } cases[] = {
        {"plain faces", 0, "x", 70, 8},
        {"a description ending at the cell's edge, wide enough", 1, std::string(40, 'w'), 70, 10},
        {"a pivot far left of the cell", 0, "x", -300, 10},
    };
    for (const Case &c : cases) {
        Face w;
        w.o.Width = 10;
        w.o.cHeight = 1000;
        w.o.ShowDesc = true;
        w.o.DescAl = c.descAlign;
        w.o.strlX = c.strlX;
        w.compose(TClockList(10, clock(1, 0, c.desc.c_str())));
        EXPECT_EQ(w.canvas.ofKind(Op::DrawBitmap).size(), c.faces) << c.what;
    }
}

TEST(ClockGrid, BackgroundTakesTheFillColourTheLastFaceLeft)
{
    Face f;
    for (bool boxes : {false, true}) {
        f.o.ShowDigits = f.o.ShowTextWhiteBG = boxes;
        f.compose({clock(0, 0)});
        f.canvas.ops.clear();
        f.compose({clock(0, 0)});
        EXPECT_EQ(f.canvas.ops.front().brush, (Brush {boxes ? BoxFill : SkinBg, true}));
    }
}

TEST(ClockGrid, FailingFaceEndsOnlyItself)
{
    Face f;
    f.o.ShowDesc = f.o.ShowDelimiters = true;
    f.canvas.throwOnText = "bad";
    f.compose({clock(1, 0, "bad"), clock(2, 0, "good")});
    const auto frames = f.canvas.ofKind(Op::Rectangle);
    ASSERT_EQ(frames.size(), 1u); // the failing face ended before its frame
    EXPECT_EQ(frames[0].v[0], 139);
    EXPECT_EQ(f.text(0).text, "good");
}

TEST(ClockGrid, CursorOverWindowIncludesTheFarEdges)
{
    EXPECT_TRUE(cursorOverWindow(100, 50, 100, 50, 200, 100));
    EXPECT_TRUE(cursorOverWindow(300, 150, 100, 50, 200, 100));
    EXPECT_FALSE(cursorOverWindow(301, 150, 100, 50, 200, 100));
    EXPECT_FALSE(cursorOverWindow(300, 151, 100, 50, 200, 100));
    EXPECT_FALSE(cursorOverWindow(99, 60, 100, 50, 200, 100));
    EXPECT_FALSE(cursorOverWindow(150, 49, 100, 50, 200, 100));
    EXPECT_TRUE(cursorOverWindow(INT_MAX, INT_MAX, INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX));
}

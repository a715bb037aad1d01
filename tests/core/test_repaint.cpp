#include "core/time/ticks.h"
#include "core/recording_canvas.h"
#include "core/render/clock_grid.h"
#include "core/render/display_list.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace tivora;

TEST(Ticks, EachTickPaintsANewSecondAndIsArmedForJustAfterTheNext)
{
    struct Case
    {
        std::int64_t nowMs, lastPainted;
        TickPlan plan;
    } cases[] = {
        {5'000, 4, {true, 5, 1000 + TickLateMs}}, // on the second
        {5'999, 4, {true, 5, 1 + TickLateMs}},
        {5'400, 3, {true, 5, 600 + TickLateMs}}, // late by more than a second: paint now
        {5'998, 5, {false, 5, 2 + TickLateMs}}, // a hair early: wait, paint nothing twice
        {3'200, 5, {true, 3, 800 + TickLateMs}}, // the clock was set back
        {-1, 0, {true, -1, 1 + TickLateMs}}, // before the epoch, seconds still floor
    };
    for (const Case &c : cases)
        EXPECT_EQ(planTick(c.nowMs, c.lastPainted), c.plan)
            << c.nowMs << " after " << c.lastPainted;
}

namespace {

bool covers(const std::vector<Box> &areas, int x, int y)
{
    for (const Box &b : areas)
        if (b.left <= x && x < b.right && b.top <= y && y < b.bottom)
            return true;
    return false;
}

} // namespace

TEST(DisplayList, ChangedAreasHoldTheOldAndNewPlacesOfWhatMoved)
{
    test::RecordingCanvas measure; // texts 10 pixels per character, 20 high
    test::SolidBitmap skin {Color {200, 200, 200}};
    TOptions o;
    o.cWindth = 139;
    o.cHeight = 220;
    o.DigposX = 69;
    o.DigposY = 140;
    o.DateposY = 164;
    o.DescposY = 188;
    const TClockList clocks {{0, 0, "System"}, {3, 0, "East"}};
    DisplayList list(measure);
    const auto recordAt = [&](LocalDateTime t, int width = 278) {
        list.begin(width, 220);
        composeGrid(list, FaceContext {o, skin, t, ":"}, clocks);
        return list.changedAreas();
    };

    recordAt({2026, 12, 7, 10, 10, 0});
    recordAt({2026, 12, 7, 10, 10, 0});
    EXPECT_TRUE(recordAt({2026, 12, 7, 10, 10, 0}).empty()) << "nothing changed";

    // Second 0 to 15: the second hand went from straight up to straight right.
    const std::vector<Box> areas = recordAt({2026, 12, 7, 10, 10, 15});
    for (int face : {0, 139}) {
        EXPECT_TRUE(covers(areas, face + 68, 68 - 38)) << "old second hand of " << face;
        EXPECT_TRUE(covers(areas, face + 68 + 38, 68)) << "new second hand of " << face;
        EXPECT_TRUE(covers(areas, face + 100, 150)) << "last digits of " << face;
        EXPECT_FALSE(covers(areas, face + 5, 215)) << "the cell's far corner";
        EXPECT_FALSE(covers(areas, face + 68, 190)) << "the description";
    }
    const std::vector<Box> whole {{0, 0, 139, 220}};
    EXPECT_EQ(recordAt({2026, 12, 7, 10, 10, 15}, 139), whole) << "new size";
    o.ShowDelimiters = true;
    EXPECT_EQ(recordAt({2026, 12, 7, 10, 10, 15}, 139), whole) << "new calls";
}

TEST(DisplayList, ATextChangeTheCanvasKnowsToThePixelIsRepaintedThereAlone)
{
    // A canvas that knows where its glyphs' pixels differ: columns 2..6, rows 3..8 of
    // the text's box.
    struct InkCanvas : test::RecordingCanvas
    {
        std::optional<Box> textChangeBox(const std::string &a, const std::string &b) override
        {
            return a == b ? Box {} : Box {2, 3, 7, 9};
        }
    } measure;
    DisplayList list(measure);
    const auto recordWith = [&](const std::string &text) {
        list.begin(100, 50);
        list.textOut(10, 20, text);
        return list.changedAreas();
    };
    recordWith("12:00");
    EXPECT_EQ(recordWith("12:01"), (std::vector<Box> {{12, 23, 17, 29}}));
    EXPECT_TRUE(recordWith("12:01").empty());
}

TEST(DisplayList, TextsMeasuredBeforeGiveTheCallsOfAPictureRecordedAnew)
{
    // Texts as wide and high as the font is large, and a count of what is measured.
    struct Measure : test::RecordingCanvas
    {
        int measured = 0;
        TextSize textSize(const std::string &text) override
        {
            ++measured;
            return {int(text.size()) * font().size, font().size + (textSmoothing() ? 0 : 1)};
        }
    } measure;
    test::SolidBitmap skin {Color {200, 200, 200}};
    TOptions o;
    const TClockList clocks {{0, 0, "System"}, {3, 0, "East"}, {-5, 30, "West"}};
    DisplayList kept(measure);
    const auto record = [&](DisplayList &list, LocalDateTime t, bool scrubbed) {
        list.begin(400, 300);
        composeGrid(list, FaceContext {o, skin, t, ":", nullptr, scrubbed, "+1 h"}, clocks);
    };
    struct Step
    {
        int second;
        bool scrubbed;
        int dateSize, descSize;
        bool textBoxes;
    } steps[] = {{0, false, 12, 10, false}, {1, false, 12, 10, false}, {1, true, 12, 10, false},
                 {2, false, 12, 10, false}, {2, false, 14, 10, false}, {3, false, 14, 10, true},
                 {4, false, 14, 10, true},  {4, false, 14, 12, false}};
    for (const Step &s : steps) {
        o.Date.size = s.dateSize;
        o.Desc.size = s.descSize;
        o.ShowTextWhiteBG = s.textBoxes;
        const LocalDateTime t {2026, 12, 31, 23, 59, s.second};
        // The same drawing state to start from: it carries over from picture to picture.
        DisplayList fresh(measure);
        fresh.setPen(kept.pen());
        fresh.setBrush(kept.brush());
        fresh.setFont(kept.font());
        fresh.setTextSmoothing(kept.textSmoothing());
        const int before = measure.measured;
        record(kept, t, s.scrubbed);
        const int keptMeasured = measure.measured - before;
        record(fresh, t, s.scrubbed);
        EXPECT_TRUE(kept.ops() == fresh.ops()) << "second " << s.second;
        const Step *last = &s == steps ? nullptr : &s - 1;
        if (last && last->second != s.second && last->scrubbed == s.scrubbed
            && last->dateSize == s.dateSize && last->descSize == s.descSize) {
            EXPECT_EQ(keptMeasured, 3) << "only the times, at second " << s.second;
        }
    }
}

TEST(DisplayList, BandedBoxesCoverTheBoxesPixelsAndNothingElse)
{
    const std::vector<std::vector<Box>> cases {
        {},
        {{5, 5, 5, 9}}, // empty
        {{0, 0, 10, 10}, {5, 5, 15, 15}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 10, 20, 12}}, // touching: one box
        {{2, 2, 4, 30}, {0, 10, 30, 12}, {20, 0, 25, 5}, {21, 1, 24, 4}, {-3, 25, 1, 31}},
    };
    for (const std::vector<Box> &boxes : cases) {
        const std::vector<Box> bands = bandedBoxes(boxes);
        for (int y = -5; y < 35; ++y)
            for (int x = -5; x < 35; ++x) {
                const auto inside = [&](const Box &b) {
                    return b.left <= x && x < b.right && b.top <= y && y < b.bottom;
                };
                EXPECT_EQ(std::count_if(bands.begin(), bands.end(), inside),
                          std::any_of(boxes.begin(), boxes.end(), inside) ? 1 : 0)
                    << x << "," << y;
            }
        for (size_t i = 0; i < bands.size(); ++i) {
            EXPECT_FALSE(bands[i].empty());
            if (i == 0)
                continue;
            const Box &a = bands[i - 1], &b = bands[i];
            if (a.top == b.top)
                EXPECT_TRUE(a.bottom == b.bottom && a.right < b.left) << "one band, apart";
            else
                EXPECT_LE(a.bottom, b.top) << "bands from top to bottom";
        }
    }
}

TEST(DisplayList, AreaCoverAndMergedBoxes)
{
    const AreaCover cover(300, 200, {{40, 40, 60, 60}, {-10, 190, 5, 400}});
    struct Case
    {
        Box box;
        bool reaches;
    } cases[] = {
        {{50, 50, 51, 51}, true},    {{0, 0, 300, 200}, true},
        {{0, 195, 1, 196}, true}, // the part of an area inside the picture
        {{200, 0, 300, 100}, false}, {{-50, -50, -1, -1}, false}, // outside the picture
        {{10, 10, 10, 100}, false}, // empty
    };
    for (const Case &c : cases)
        EXPECT_EQ(cover.reaches(c.box), c.reaches) << c.box.left << "," << c.box.top;

    // Overlapping and neighbouring boxes join; a box far away stays apart.
    const std::vector<Box> merged =
        mergeBoxes({{0, 0, 40, 40}, {200, 200, 220, 220}, {20, 20, 50, 50}, {50, 0, 60, 50}});
    EXPECT_EQ(merged, (std::vector<Box> {{0, 0, 60, 50}, {200, 200, 220, 220}}));
}

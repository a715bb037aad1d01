#include "core/time/ticks.h"
#include "core/recording_canvas.h"
#include "core/render/clock_grid.h"
#include "core/render/display_list.h"

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

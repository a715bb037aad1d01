#include "core/model/snap.h"
#include "core/model/widget_model.h"
#include "core/render/scale.h"

#include <gtest/gtest.h>

using namespace tivora;

// Designed sizes in screen pixels: a cell, a three-face window, the window's largest
// side, the snap distance and a text position; and a position from the settings (screen
// pixels) on a screen at 0 and on one at 1920, in designed pixels and back.
TEST(Scale, DesignedSizesAndPositions)
{
    struct Case
    {
        double scale;
        int cellW, cellH, window, cap, snap, textX;
        int screen, origin, designed, back;
    };
    const Case cases[] = {
        {1, 139, 220, 417, 8192, 8, 35, 301, 0, 301, 301},
        {1.5, 209, 330, 626, 12288, 12, 53, 301, 0, 201, 302},
        {2, 278, 440, 834, 16384, 16, 70, 2221, 1920, 2071, 2222},
        {2, 278, 440, 834, 16384, 16, 70, 1900, 1920, 1910, 1900},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scale);
        EXPECT_EQ(scaledLength(139, c.scale), c.cellW);
        EXPECT_EQ(scaledLength(220, c.scale), c.cellH);
        EXPECT_EQ(scaledLength(3 * 139, c.scale), c.window);
        EXPECT_EQ(scaledLength(WidgetModel::MaxSide, c.scale), c.cap);
        EXPECT_EQ(scaledLength(SnapDistance, c.scale), c.snap);
        EXPECT_EQ(scaledLength(35, c.scale), c.textX);
        const ScreenAxis axis {c.origin, c.scale};
        EXPECT_EQ(designedCoordinate(c.screen, axis), c.designed);
        EXPECT_EQ(screenCoordinate(c.designed, axis), c.back);
        // A designed position maps back to itself.
        EXPECT_EQ(designedCoordinate(c.back, axis), c.designed);
    }
}

TEST(Scale, ParsesScalesInRangeOnly)
{
    for (const char *good : {"0.5", "1", "1.25", "8"})
        EXPECT_EQ(parseScale(good), std::stod(good)) << good;
    for (const char *bad : {"", "0", "0.4", "9", "-2", "2x", "nan", "inf", "0x2", "1e1", " 2"})
        EXPECT_EQ(parseScale(bad), std::nullopt) << bad;
}

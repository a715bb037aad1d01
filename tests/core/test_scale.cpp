#include "app/snap.h"
#include "app/widget_model.h"
#include "render/scale.h"

#include <gtest/gtest.h>

using namespace tivora;

// Designed sizes on a scaled screen: cell, a three-face window, the window's largest
// side, the snap distance and a text position, in screen pixels.
TEST(Scale, DesignedSizesInScreenPixels)
{
    struct Case
    {
        double scale;
        int cellW, cellH, window, cap, snap, textX;
    };
    const Case cases[] = {
        {1, 139, 220, 417, 8192, 8, 35},
        {1.5, 209, 330, 626, 12288, 12, 53},
        {2, 278, 440, 834, 16384, 16, 70},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scale);
        EXPECT_EQ(scaledLength(139, c.scale), c.cellW);
        EXPECT_EQ(scaledLength(220, c.scale), c.cellH);
        EXPECT_EQ(scaledLength(3 * 139, c.scale), c.window);
        EXPECT_EQ(scaledLength(WidgetModel::MaxSide, c.scale), c.cap);
        EXPECT_EQ(scaledLength(SnapDistance, c.scale), c.snap);
        EXPECT_EQ(scaledLength(35, c.scale), c.textX);
    }
}

// A position from the settings (screen pixels) on a screen at the origin and on one to
// its right, in designed pixels and back: a designed position maps back to itself, a
// screen one to within the scale.
TEST(Scale, PositionsBetweenScreenAndDesignedPixels)
{
    struct Case
    {
        int screen;
        ScreenAxis axis;
        int designed;
        int back;
    };
    const Case cases[] = {
        {301, {0, 1}, 301, 301},   {301, {0, 2}, 151, 302},       {300, {0, 1.5}, 200, 300},
        {301, {0, 1.5}, 201, 302}, {2221, {1920, 2}, 2071, 2222}, {1900, {1920, 2}, 1910, 1900},
        {-7, {0, 1.25}, -6, -8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.screen);
        EXPECT_EQ(designedCoordinate(c.screen, c.axis), c.designed);
        EXPECT_EQ(screenCoordinate(c.designed, c.axis), c.back);
        EXPECT_EQ(designedCoordinate(screenCoordinate(c.designed, c.axis), c.axis), c.designed);
    }
}

TEST(Scale, ParsesScalesInRangeOnly)
{
    const std::pair<const char *, double> good[] = {
        {"1", 1}, {"1.25", 1.25}, {"2", 2}, {"0.5", 0.5}, {"8", 8}};
    for (const auto &[text, value] : good)
        EXPECT_EQ(parseScale(text), value) << text;
    for (const char *bad : {"", "0", "0.4", "9", "-2", "2x", "nan", "inf", "0x2", "1e1", " 2"})
        EXPECT_EQ(parseScale(bad), std::nullopt) << bad;
}

#include "view/ColorBar.h"
#include "view/ColorMap.h"

#include "view/RenderFixtures.h"

#include <gtest/gtest.h>

using namespace rebar;
using namespace rebar::test;

TEST(ColorMap, Levels730) {
    const auto& t = renderTables();
    // Level 1 covers 0..31 and every negative value; level 256 everything from 4096 up.
    EXPECT_EQ(ValueToColor730(0, 0, t), ValueToColor730(31, 0, t));
    EXPECT_EQ(ValueToColor730(-500, 0, t), paletteColor730(levelIndex730(0, 1)));
    EXPECT_NE(ValueToColor730(31, 0, t), ValueToColor730(32, 0, t));
    EXPECT_EQ(ValueToColor730(32, 0, t), paletteColor730(levelIndex730(0, 2)));
    EXPECT_EQ(ValueToColor730(4096, 0, t), ValueToColor730(5000, 0, t));
    EXPECT_EQ(ValueToColor730(32767, 0, t), paletteColor730(levelIndex730(0, 256)));
    EXPECT_EQ(ValueToColor730(4095, 0, t), paletteColor730(levelIndex730(0, 255)));
    // The gradation picks the level column, 6..11 the grey palette.
    EXPECT_EQ(ValueToColor730(2048, 3, t), paletteColor730(levelIndex730(3, 128)));
    EXPECT_EQ(ValueToColor730(2048, 7, t), greyColor730(levelIndex730(7, 128)));
    // Palette entry 0 is black; failures are black.
    EXPECT_EQ(ValueToColor730(129 * 16, 0, t), ColorBlack);
    EXPECT_EQ(ValueToColor730(2048, 12, t), ColorBlack);
    EXPECT_EQ(ValueToColor730(2048, -1, t), ColorBlack);

    for (int g = 0; g < 12; ++g) {
        const ColorLut730 lut(g, t);
        for (int v = -40; v <= 4200; ++v)
            ASSERT_EQ(lut(v), ValueToColor730(v, g, t)) << v;
        EXPECT_EQ(lut(-32768), ValueToColor730(-32768, g, t));
    }
}

TEST(ColorMap, Amplitudes940) {
    const auto& t = renderTables();
    EXPECT_EQ(ValueToColor940(40000, 0, t), color940(0, 32767));
    EXPECT_EQ(ValueToColor940(-40000, 0, t), color940(0, -32768));
    EXPECT_EQ(ValueToColor940(-5, 1, t), color940(5, -5)); // gradation 1 -> column 5
    EXPECT_EQ(ValueToColor940(7, 8, t), color940(4, 7));
    EXPECT_EQ(ValueToColor940(7, 11, t), color940(11, 7));
    EXPECT_EQ(ValueToColor940(7, 12, t), ColorBlack);
    const ColorLut940 lut(4, t);
    EXPECT_EQ(lut(40000), color940(2, 32767));
    EXPECT_EQ(lut(-123), color940(2, -123));

    CalibrationTables empty;
    EXPECT_EQ(ValueToColor940(7, 0, empty), ColorBlack);
    EXPECT_EQ(ColorLut940(0, empty)(7), ColorBlack);
}

TEST(ColorBar, Bars) {
    const auto& t = renderTables();
    ColorBar bar;
    ASSERT_TRUE(DrawColorBar730(10, t, bar));
    for (int x = 0; x < ColorBarWidth; ++x)
        ASSERT_TRUE(isWhite(px(bar.bar, x, 10))) << "gradation 10 draws nothing";
    EXPECT_EQ(bar.cursor.xbar, qRgb(255, 0, 0));

    ASSERT_TRUE(DrawColorBar730(8, t, bar));
    for (int i = 1; i <= 128; ++i)
        for (int y : {0, 19})
            ASSERT_EQ(px(bar.bar, i, y), greyColor730(levelIndex730(8, 2 * i))) << i;
    EXPECT_TRUE(isWhite(px(bar.bar, 0, 5)));
    EXPECT_TRUE(isWhite(px(bar.bar, 129, 5)));

    ASSERT_TRUE(DrawColorBar730(4, t, bar));
    EXPECT_EQ(px(bar.bar, 1, 3), paletteColor730(levelIndex730(4, 2)));
    EXPECT_EQ(bar.cursor.xbar, qRgb(255, 255, 255));
    EXPECT_EQ(bar.cursor.ybar, qRgb(255, 255, 255));
    EXPECT_EQ(bar.cursor.yabar, qRgb(255, 0, 0));
    ASSERT_TRUE(DrawColorBar730(5, t, bar));
    EXPECT_EQ(bar.cursor.xbar, qRgb(255, 0, 0));

    ASSERT_TRUE(DrawColorBar940(3, t, bar)); // column 6
    EXPECT_EQ(px(bar.bar, 1, 0), color940(6, -32768));
    EXPECT_EQ(px(bar.bar, 64, 0), color940(6, 516 * 64 - 33284));
    EXPECT_EQ(px(bar.bar, 128, 19), color940(6, 32764));
    EXPECT_EQ(bar.cursor.ybar, qRgb(255, 255, 255));
    ASSERT_TRUE(DrawColorBar940(6, t, bar));
    EXPECT_EQ(bar.cursor.ybar, qRgb(255, 0, 0));
}

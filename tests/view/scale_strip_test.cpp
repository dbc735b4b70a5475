#include "view/ScaleStrip.h"

#include "view/RenderFixtures.h"
#include "view/Sprites.h"
#include "view/ViewFonts.h"

#include <QFontMetrics>
#include <algorithm>

#include <gtest/gtest.h>
#include <set>

using namespace rebar;
using namespace rebar::test;

namespace {

// Columns of the bottom strip row that carry a tick.
std::set<int> tickColumns(const QImage& strip) {
    std::set<int> xs;
    for (int x = 0; x < strip.width(); ++x) {
        if (isBlack(px(strip, x, 19))) {
            xs.insert(x);
            EXPECT_TRUE(isBlack(px(strip, x, 12))) << "a tick runs from row 12, x " << x;
        }
    }
    return xs;
}

bool showsPicture(const QImage& strip, int x, const QImage& pic) {
    for (int yy = 0; yy < pic.height(); ++yy)
        for (int xx = 0; xx < pic.width(); ++xx)
            if (px(strip, x + xx, yy) != px(pic, xx, yy))
                return false;
    return true;
}

QImage strip730(const MeasurementRecord& r) {
    QImage s;
    EXPECT_TRUE(DrawScaleStrip730(r, s));
    return s;
}

QImage strip940(const MeasurementRecord& r) {
    QImage s;
    EXPECT_TRUE(DrawScaleStrip940(r, s));
    return s;
}

} // namespace

TEST(ScaleStrip, MetresEveryFortyTraces) {
    MeasurementRecord r;
    make730(r, 200);
    QImage s = strip730(r);
    ASSERT_EQ(s.size(), QSize(200, 20));
    EXPECT_EQ(tickColumns(s), (std::set<int>{0, 39, 79, 119, 159, 199}));
    EXPECT_TRUE(showsText(s, 0, 0, QStringLiteral("0.0"), 15));
    EXPECT_TRUE(showsText(s, 79, 0, QStringLiteral("0.2"), 15));
    EXPECT_FALSE(showsText(s, 79, 0, QStringLiteral("0.3"), 15));

    // Mirrored: distance grows to the left, labels 15 pixels left of their ticks; the origin
    // label (at W - 15, its tick at W lies outside) is moved in to end on the strip's last
    // column the picture shows, so that it is not cut.
    r.Direction = 1;
    s = strip730(r);
    EXPECT_EQ(tickColumns(s), (std::set<int>{1, 41, 81, 121, 161}));
    const int originWidth =
        QFontMetrics(ArialCellFont(15)).horizontalAdvance(QStringLiteral("0.0"));
    EXPECT_TRUE(showsText(s, std::min(185, 199 - originWidth + 1), 0, QStringLiteral("0.0"), 15));
    EXPECT_TRUE(showsText(s, 41 - 15, 0, QStringLiteral("0.4"), 15));

    // Centimetres in a wide range: one column per two traces, smaller labels.
    r.Direction = 0;
    r.XUnit = QStringLiteral("cm");
    r.ViewRange = 4;
    s = strip730(r);
    ASSERT_EQ(s.width(), 100);
    EXPECT_EQ(tickColumns(s), (std::set<int>{0, 19, 39, 59, 79, 99}));
    EXPECT_TRUE(showsText(s, 0, 0, QStringLiteral("0"), 12));
    EXPECT_TRUE(showsText(s, 39, 0, QStringLiteral("20"), 12));
}

TEST(ScaleStrip, AdjustmentTimeAndInches) {
    MeasurementRecord r;
    make730(r, 150);
    r.XUnit = QStringLiteral("mm");
    r.XAdjust = 10; // 36.36 traces a tick: l = 36, 73, 109, 145
    QImage s = strip730(r);
    EXPECT_EQ(tickColumns(s), (std::set<int>{0, 35, 72, 108, 144}));
    EXPECT_TRUE(showsText(s, 72, 0, QStringLiteral("200"), 15));

    // A time scale labels two seconds a tick whatever the unit.
    r.XAdjust = 0;
    r.XScale = 1;
    s = strip730(r);
    EXPECT_TRUE(showsText(s, 0, 0, QStringLiteral("0.0"), 15));
    EXPECT_TRUE(showsText(s, 39, 0, QStringLiteral("2.0"), 15));
    EXPECT_TRUE(showsText(s, 79, 0, QStringLiteral("4.0"), 15));

    // Inches: a tick every 5 inches = round(127 / 2.5) = 51 traces (l = 51, 102).
    r.XScale = 0;
    r.XUnit = QStringLiteral("inch");
    s = strip730(r);
    EXPECT_EQ(tickColumns(s), (std::set<int>{0, 50, 101}));
    EXPECT_TRUE(showsText(s, 101, 0, QStringLiteral("10"), 15));
    r.Direction = 1;
    s = strip730(r);
    EXPECT_EQ(tickColumns(s), (std::set<int>{99, 48}));

    // A distance adjustment of -100 % has no distance scale: only the origin.
    r.Direction = 0;
    r.XUnit = QStringLiteral("m");
    r.XAdjust = -100;
    s = strip730(r);
    EXPECT_EQ(tickColumns(s), (std::set<int>{0}));
}

TEST(ScaleStrip, MarkFlagsAndProcessingLine) {
    MeasurementRecord r;
    make730(r, 200);
    r.Work730(60, 0) = 32;
    r.Work730(120, 0) = 48;
    r.Work730(150, 0) = 16; // the processing-line status, not a mark
    r.ProcessingLine = 100;
    QImage s = strip730(r);
    EXPECT_TRUE(showsPicture(s, 60 - 5, MarkFlagPicture()));
    EXPECT_TRUE(showsPicture(s, 120 - 5, MarkFlagPicture()));
    EXPECT_FALSE(showsPicture(s, 150 - 5, MarkFlagPicture()));
    EXPECT_TRUE(showsPicture(s, 100 - 3, ProcessingLineArrow()));

    r.Direction = 1; // column |199 - t|, arrow at N - ProcessingLine
    s = strip730(r);
    EXPECT_TRUE(showsPicture(s, 139 - 5, MarkFlagPicture()));
    EXPECT_TRUE(showsPicture(s, 79 - 5, MarkFlagPicture()));
    EXPECT_TRUE(showsPicture(s, 100 - 3, ProcessingLineArrow()));

    // Wide ranges take traces in pairs: trace 120 is in pair 60 (119, 120).
    r.Direction = 0;
    r.ViewRange = 3;
    r.ProcessingLine = 101;
    s = strip730(r);
    EXPECT_TRUE(showsPicture(s, 60 - 5, MarkFlagPicture()));
    EXPECT_TRUE(showsPicture(s, 30 - 5, MarkFlagPicture()));
    EXPECT_TRUE(showsPicture(s, 50 - 3, ProcessingLineArrow()));

    MeasurementRecord q;
    make940(q, 100);
    q.Work940(40, 0) = 1;
    q.Work940(50, 0) = 32;
    s = strip940(q);
    EXPECT_TRUE(showsPicture(s, 40 - 5, MarkFlagPicture()));
    EXPECT_FALSE(showsPicture(s, 50 - 5, MarkFlagPicture()));
}

TEST(ScaleStrip, Family940Ticks) {
    MeasurementRecord r;
    make940(r, 200);
    // The origin is the first tick of the loop: l = 1, 41, 81, ...
    QImage s = strip940(r);
    EXPECT_EQ(tickColumns(s), (std::set<int>{0, 40, 80, 120, 160}));
    EXPECT_TRUE(showsText(s, 0, 0, QStringLiteral("0.0"), 15));
    EXPECT_TRUE(showsText(s, 40, 0, QStringLiteral("0.1"), 15));
    r.Direction = 1; // x = N - l + 1, label 11 pixels left
    s = strip940(r);
    EXPECT_EQ(tickColumns(s), (std::set<int>{40, 80, 120, 160}));
    EXPECT_TRUE(showsText(s, 160 - 11, 0, QStringLiteral("0.1"), 15));

    // A file that stored more traces than are held counts the held ones as its last ones:
    // 6050 stored, the first 50 passed over: the 0.2 m tick (file trace 81) on held trace 31.
    r.Direction = 0;
    r.XDataSize = 6050;
    r.SkippedTraces = 50;
    r.TraceCount = 200;
    s = strip940(r);
    EXPECT_EQ(tickColumns(s), (std::set<int>{30, 70, 110, 150, 190}));
    EXPECT_TRUE(showsText(s, 30, 0, QStringLiteral("0.2"), 15));
    EXPECT_TRUE(showsText(s, 70, 0, QStringLiteral("0.3"), 15));

    // Inches: t = 50.8 traces a tick; ticks at (l - 1), l = 0, 51, 102, 152.
    r.XDataSize = 200;
    r.SkippedTraces = 0;
    r.XUnit = QStringLiteral("inch");
    s = strip940(r);
    EXPECT_EQ(tickColumns(s), (std::set<int>{50, 101, 151}));
    EXPECT_TRUE(showsText(s, 101 - 15, 0, QStringLiteral("10"), 15));
}

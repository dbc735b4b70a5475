#include "view/MarkerOverlay.h"

#include "view/BModeRenderer.h"
#include "view/RenderFixtures.h"
#include "view/Sprites.h"

#include <gtest/gtest.h>

using namespace rebar;
using namespace rebar::test;

namespace {

// The pixel of the overlay where a sprite with top-left (left, top) shows its red fill (the
// row-2 centre of the marker shape) and where it shows its black tip.
QRgb fillAt(const QImage& img, int left, int top) {
    return px(img, left + 5, top + 2);
}
QRgb tipAt(const QImage& img, int left, int top) {
    return px(img, left + 5, top + 10);
}
const QRgb Red = qRgb(255, 0, 0);

// True when a marker sprite sits with its top-left corner at (left, top): fill, tip, and the
// composed picture left alone just outside the shape.
bool markerAt(const ViewImages& v, int left, int top) {
    return fillAt(v.OverlayImage, left, top) == Red && isBlack(tipAt(v.OverlayImage, left, top)) &&
           px(v.OverlayImage, left, top + 10) == px(v.ComposedImage, left, top + 10);
}

bool overlayIsComposed(const ViewImages& v) {
    for (int y = 0; y < v.OverlayImage.height(); ++y)
        for (int x = 0; x < v.OverlayImage.width(); ++x)
            if (x < v.ComposedImage.width() ? px(v.OverlayImage, x, y) != px(v.ComposedImage, x, y)
                                            : !isBlack(px(v.OverlayImage, x, y)))
                return false;
    return true;
}

ViewImages rendered730(const MeasurementRecord& r) {
    ViewImages v;
    EXPECT_TRUE(RenderBMode730(r, renderTables(), v));
    EXPECT_TRUE(DrawMarkers730(r, v));
    return v;
}

ViewImages rendered940(const MeasurementRecord& r) {
    ViewImages v;
    EXPECT_TRUE(RenderBMode940(r, renderTables(), v));
    EXPECT_TRUE(DrawMarkers940(r, v));
    return v;
}

} // namespace

TEST(MarkerOverlay, WalkedRows) {
    // s, s + 1 advance the row, s + 2 shares the row of the next group's first sample.
    const std::pair<int, int> cases[] = {{1, 1}, {2, 2},     {3, 3},     {4, 3},   {5, 4}, {6, 5},
                                         {7, 5}, {766, 511}, {767, 512}, {768, 0}, {0, 0}, {-4, 0}};
    for (auto [sample, row] : cases)
        EXPECT_EQ(WalkedRowOfSample(sample, 1024, 512), row) << sample;
    EXPECT_EQ(WalkedRowOfSample(1151, 1536, 768), 768);
    EXPECT_EQ(WalkedRowOfSample(1153, 1536, 768), 0);
}

TEST(MarkerOverlay, Markers730RowsByRange) {
    MeasurementRecord r;
    make730(r, 100);
    r.Markers730 = {{40, 600}, {0, 0}, {-5, 3}, {10, 20}, {60, 0}};
    ViewImages v = rendered730(r);
    ASSERT_EQ(v.OverlayImage.size(), QSize(100, 536));
    // Range 0: Y = 20 sprite top 29; row 0 (Y = 0) is not drawn.
    EXPECT_TRUE(markerAt(v, 11 - 6, 29));
    EXPECT_FALSE(markerAt(v, 61 - 6, 9));
    EXPECT_TRUE(showsText(v.OverlayImage, 11 - 6, 15, QStringLiteral(" 4"), 15));
    // The label is black on an opaque white box.
    EXPECT_TRUE(isWhite(px(v.OverlayImage, 5, 15)));

    // Range 2: c = Y div 2 = 300: sprite top 309, label top 295.
    r.ViewRange = 2;
    v = rendered730(r);
    EXPECT_TRUE(markerAt(v, 41 - 6, 309));
    EXPECT_TRUE(showsText(v.OverlayImage, 41 - 6, 295, QStringLiteral(" 1"), 15));
    EXPECT_TRUE(markerAt(v, 11 - 6, 19));

    // Range 1: Y = 20 walks to row 14; half size row 7.
    r.ViewRange = 1;
    r.Markers730 = {{10, 20}};
    v = rendered730(r);
    EXPECT_TRUE(markerAt(v, 5, 14 + 9));
    r.CoverMagnification = 1;
    v = rendered730(r);
    EXPECT_TRUE(markerAt(v, 5, 7 + 9));

    // Half size range 0: c = Y div 2, drawn only up to 256.
    r.ViewRange = 0;
    r.Markers730 = {{10, 513}, {20, 514}};
    v = rendered730(r);
    EXPECT_TRUE(markerAt(v, 21 - 6, 257 + 9) == false);
    EXPECT_TRUE(markerAt(v, 11 - 6, 256 + 9));
}

TEST(MarkerOverlay, Markers730Columns) {
    MeasurementRecord r;
    make730(r, 100);
    r.Markers730 = {{30, 40}};
    r.Direction = 1;
    ViewImages v = rendered730(r);
    EXPECT_TRUE(markerAt(v, 70 - 6, 49)); // N - X

    // Wide range: the overlay stays N wide, black beyond the W image columns.
    r.ViewRange = 3;
    v = rendered730(r);
    ASSERT_EQ(v.OverlayImage.size(), QSize(100, 536));
    ASSERT_EQ(v.ComposedImage.width(), 50);
    EXPECT_TRUE(markerAt(v, 35 - 6, 49)); // (N - X) div 2
    EXPECT_TRUE(isBlack(px(v.OverlayImage, 50, 200)));
    EXPECT_TRUE(isBlack(px(v.OverlayImage, 99, 5)));
    r.Direction = 0;
    v = rendered730(r);
    EXPECT_TRUE(markerAt(v, 15 - 6, 49)); // (X + 1) div 2

    r.Markers730.clear();
    v = rendered730(r);
    r.TraceCount = 0;
    const qint64 key = v.OverlayImage.cacheKey();
    EXPECT_FALSE(DrawMarkers730(r, v));
    EXPECT_EQ(v.OverlayImage.cacheKey(), key);
}

TEST(MarkerOverlay, Marks940) {
    MeasurementRecord r;
    make940(r, 100);
    auto set = [&](int group, int slot, int x, int y) {
        r.Marks940[group][slot] = Mark940{FlagTrue, x, y};
    };
    set(0, 1, 20, 100);
    set(0, 2, 30, 384); // 2Y = 768 beyond 766: not drawn in ranges 0 and 3
    set(0, 3, 40, 383);
    set(1, 5, 60, 100);
    ViewImages v = rendered940(r);
    ASSERT_EQ(v.OverlayImage.size(), QSize(100, 792));
    // Range 0 full size: d = 2Y + 1, sprite top d + 10 = 2Y + 11, label top d - 5.
    EXPECT_TRUE(markerAt(v, 15, 211));
    EXPECT_TRUE(showsText(v.OverlayImage, 15, 196, QStringLiteral(" 1"), 15));
    EXPECT_FALSE(markerAt(v, 25, 779));
    EXPECT_TRUE(markerAt(v, 35, 777));
    EXPECT_FALSE(markerAt(v, 55, 211)); // group 1 is not the current group

    r.MarkerGroup = 1;
    v = rendered940(r);
    EXPECT_TRUE(markerAt(v, 55, 211));
    EXPECT_TRUE(showsText(v.OverlayImage, 55, 196, QStringLiteral(" 105"), 15));
    EXPECT_FALSE(markerAt(v, 15, 211));

    // Half size: d = (2Y + 1) div 2 = Y; range 2: d = Y; range 1: the walk of sample 2Y + 1.
    r.MarkerGroup = 0;
    r.CoverMagnification = 1;
    v = rendered940(r);
    EXPECT_TRUE(markerAt(v, 15, 110));
    EXPECT_TRUE(markerAt(v, 25, 394)); // d = 384 still drawn at half size
    r.CoverMagnification = 0;
    r.ViewRange = 2;
    v = rendered940(r);
    EXPECT_TRUE(markerAt(v, 15, 110));
    r.ViewRange = 1;
    v = rendered940(r);
    EXPECT_TRUE(markerAt(v, 15, WalkedRowOfSample(201, 1536, 768) + 10));
    EXPECT_EQ(WalkedRowOfSample(201, 1536, 768), 135);

    // Columns: mirrored N - X - 5; wide X div 2 - 4 or (N - X) div 2 - 4.
    r.ViewRange = 0;
    r.Direction = 1;
    v = rendered940(r);
    EXPECT_TRUE(markerAt(v, 75, 211));
    r.ViewRange = 3;
    v = rendered940(r);
    EXPECT_TRUE(markerAt(v, 36, 211));
    r.Direction = 0;
    v = rendered940(r);
    EXPECT_TRUE(markerAt(v, 6, 211));

    // No marks in use: the overlay is the composed picture (black beyond its width).
    EXPECT_FALSE(overlayIsComposed(v));
    r.clearMarks940();
    v = rendered940(r);
    EXPECT_TRUE(overlayIsComposed(v));
    r.ViewRange = 0;
    v = rendered940(r);
    EXPECT_TRUE(overlayIsComposed(v));

    r.MarkerGroup = 3;
    EXPECT_FALSE(DrawMarkers940(r, v));
}

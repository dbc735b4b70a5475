#include "view/BModeRenderer.h"

#include "view/ColorMap.h"
#include "view/RenderFixtures.h"
#include "view/ScaleStrip.h"

#include <gtest/gtest.h>

using namespace rebar;
using namespace rebar::test;

namespace {

constexpr int Top = 21; // first composed row of the B-mode bitmap

// Work940 values differ from Work940x2 values so that a pixel tells the matrix too.
void make940Distinct(MeasurementRecord& r, int N) {
    make940(r, N);
    for (int t = 1; t <= N; ++t)
        for (int s = 1; s <= 768; ++s)
            r.Work940(t, s) = -value940(t, s);
}

ViewImages render940(const MeasurementRecord& r) {
    ViewImages img;
    EXPECT_TRUE(RenderBMode940(r, renderTables(), img));
    return img;
}

// Every bitmap row: the sample it shows (0 = black) of the double-density matrix; column x
// shows trace traceOf(x) (0 = black column).
template <typename RowFn, typename ColFn>
void expect940(const QImage& img, int rows, RowFn sampleOfRow, ColFn traceOf, bool x2 = true) {
    ASSERT_EQ(img.height(), 816);
    for (int x = 0; x < img.width(); ++x) {
        const int t = traceOf(x);
        for (int r = 0; r < rows; ++r) {
            const QRgb c = px(img, x, Top + r);
            const int s = sampleOfRow(r);
            if (t == 0 || s == 0) {
                ASSERT_TRUE(isBlack(c)) << "x " << x << " row " << r;
            } else {
                const int want = x2 ? value940(t, s) : -value940(t, s);
                ASSERT_EQ(amplitudeOf940(c), want) << "x " << x << " row " << r;
            }
        }
    }
}

} // namespace

TEST(BModeRenderer, TenTracesFullRangeBothDirections) {
    MeasurementRecord r;
    make940Distinct(r, 10);
    ViewImages img = render940(r);
    ASSERT_EQ(img.ComposedImage.width(), 10);
    // Direction 0: traces 1..9 in columns 1..9, column 0 black, trace 10 not drawn.
    expect940(
        img.ComposedImage, 795, [](int row) { return row < 768 ? row + 1 : 0; },
        [](int x) { return x; });
    for (int x = 0; x < 10; ++x)
        EXPECT_TRUE(isBlack(px(img.ComposedImage, x, 20))) << "row 20 separates strip and image";

    r.Direction = 1;
    img = render940(r);
    // Direction 1: traces 1..9 in columns 8..0, column 9 black.
    expect940(
        img.ComposedImage, 795, [](int row) { return row < 768 ? row + 1 : 0; },
        [](int x) { return x == 9 ? 0 : 9 - x; });
}

TEST(BModeRenderer, WideRangeTakesEverySecondTrace) {
    MeasurementRecord r;
    make940Distinct(r, 11);
    r.ViewRange = 3;
    ViewImages img = render940(r);
    ASSERT_EQ(img.ComposedImage.width(), 5);
    // Traces 1, 3, 5, 7 in columns 1..4; 9 and 11 fall outside.
    expect940(
        img.ComposedImage, 795, [](int row) { return row < 768 ? row + 1 : 0; },
        [](int x) { return x == 0 ? 0 : 2 * x - 1; });

    // Mirrored with an odd count the origin is (N - 1) div 2 = 5: trace 1 lands in the last
    // column and no column stays black.
    r.Direction = 1;
    img = render940(r);
    expect940(
        img.ComposedImage, 768, [](int row) { return row + 1; },
        [](int x) { return 2 * (4 - x) + 1; });

    // An even count leaves the last column black.
    MeasurementRecord e;
    make940Distinct(e, 10);
    e.ViewRange = 5;
    e.Direction = 1;
    img = render940(e);
    expect940(
        img.ComposedImage, 768, [](int row) { return row + 1; },
        [](int x) { return x == 4 ? 0 : 2 * (3 - x) + 1; }, false);
}

TEST(BModeRenderer, MiddleRangeShowsTwoOfEveryThreeSampleRows) {
    MeasurementRecord r;
    make940Distinct(r, 3);
    r.ViewRange = 1;
    ViewImages img = render940(r);
    // Sample 1 + 3g on rows 2g and 2g + 1, down to rows 768 and 769; black below.
    expect940(
        img.ComposedImage, 795, [](int row) { return row <= 769 ? 1 + 3 * (row / 2) : 0; },
        [](int x) { return x; });

    r.CoverMagnification = 1;
    img = render940(r);
    // Half size: sample 1 + 6g on rows 2g and 2g + 1, down to rows 384 and 385.
    expect940(
        img.ComposedImage, 795, [](int row) { return row <= 385 ? 1 + 6 * (row / 2) : 0; },
        [](int x) { return x; });
}

TEST(BModeRenderer, HalfSizeAndDeepRange) {
    MeasurementRecord r;
    make940Distinct(r, 3);
    r.CoverMagnification = 1;
    ViewImages img = render940(r);
    expect940(
        img.ComposedImage, 795, [](int row) { return row < 384 ? 2 * row + 1 : 0; },
        [](int x) { return x; });

    // The deep ranges read Work940, not the double-density matrix.
    r.ViewRange = 2;
    r.CoverMagnification = 0;
    img = render940(r);
    expect940(
        img.ComposedImage, 795, [](int row) { return row < 768 ? row + 1 : 0; },
        [](int x) { return x; }, false);
    r.CoverMagnification = 1;
    img = render940(r);
    expect940(
        img.ComposedImage, 795, [](int row) { return row < 384 ? 2 * row + 1 : 0; },
        [](int x) { return x; }, false);
}

TEST(BModeRenderer, Family730RowsAndColours) {
    MeasurementRecord r;
    make730(r, 4);
    r.ViewRange = 1;
    r.ColorCode = 2;
    ViewImages img;
    ASSERT_TRUE(RenderBMode730(r, renderTables(), img));
    ASSERT_EQ(img.ComposedImage.size(), QSize(4, 560));
    auto want = [&](int t, int s) { return ValueToColor730(value730(t, s), 2, renderTables()); };
    // Sample 1 on rows 0 and 1, sample 4 on rows 2 and 3, ... 766 on 510 and 511, and 769 on
    // the two rows below the shown 512.
    const std::pair<int, int> rowSample[] = {{0, 1},     {1, 1},     {2, 4},     {3, 4},
                                             {510, 766}, {511, 766}, {512, 769}, {513, 769}};
    for (int x = 1; x < 4; ++x) {
        for (auto [row, s] : rowSample)
            EXPECT_EQ(px(img.ComposedImage, x, Top + row), want(x, s)) << x << " " << row;
        EXPECT_TRUE(isBlack(px(img.ComposedImage, x, Top + 514)));
        EXPECT_TRUE(isBlack(px(img.ComposedImage, 0, Top + 5)));
    }
    // Range 2 at half size: samples 1, 3, 5, ... of Work730 on rows 0..255.
    r.ViewRange = 2;
    r.CoverMagnification = 1;
    r.Work730(2, 9) = 4000;
    ASSERT_TRUE(RenderBMode730(r, renderTables(), img));
    EXPECT_EQ(px(img.ComposedImage, 2, Top + 4), ValueToColor730(4000, 2, renderTables()));
    EXPECT_EQ(px(img.ComposedImage, 2, Top + 255),
              ValueToColor730(value730(2, 511), 2, renderTables()));
    EXPECT_TRUE(isBlack(px(img.ComposedImage, 2, Top + 256)));
}

TEST(BModeRenderer, StripSitsAboveShiftedByDirection) {
    MeasurementRecord r;
    make730(r, 300);
    r.ProcessingLine = 100;
    QImage strip;
    ASSERT_TRUE(DrawScaleStrip730(r, strip));
    ViewImages img;
    ASSERT_TRUE(RenderBMode730(r, renderTables(), img));
    for (int y = 0; y < 20; ++y) {
        EXPECT_TRUE(isBlack(px(img.ComposedImage, 0, y)));
        for (int x = 0; x < 299; ++x)
            ASSERT_EQ(px(img.ComposedImage, x + 1, y), px(strip, x, y)) << x << "," << y;
    }
    r.Direction = 1;
    ASSERT_TRUE(DrawScaleStrip730(r, strip));
    ASSERT_TRUE(RenderBMode730(r, renderTables(), img));
    for (int y = 0; y < 20; ++y) {
        EXPECT_TRUE(isBlack(px(img.ComposedImage, 299, y)));
        for (int x = 1; x < 300; ++x)
            ASSERT_EQ(px(img.ComposedImage, x - 1, y), px(strip, x, y)) << x << "," << y;
    }
}

TEST(BModeRenderer, FailureKeepsThePreviousImage) {
    MeasurementRecord r;
    make730(r, 10);
    ViewImages img;
    ASSERT_TRUE(RenderBMode730(r, renderTables(), img));
    const qint64 key = img.ComposedImage.cacheKey();

    r.ViewRange = 6;
    EXPECT_FALSE(RenderBMode730(r, renderTables(), img));
    r.ViewRange = 0;
    r.Work730x2.reset(); // the matrix range 0 draws from is missing
    EXPECT_FALSE(RenderBMode730(r, renderTables(), img));
    r.ViewRange = 2;   // ... but range 2 draws from Work730
    r.TraceCount = 11; // more traces than the matrix holds
    EXPECT_FALSE(RenderBMode730(r, renderTables(), img));
    r.TraceCount = 0;
    EXPECT_FALSE(RenderBMode730(r, renderTables(), img));
    EXPECT_EQ(img.ComposedImage.cacheKey(), key);

    // One trace in a wide range leaves no image column: success with a null image.
    MeasurementRecord one;
    make940(one, 1);
    one.ViewRange = 4;
    EXPECT_TRUE(RenderBMode940(one, renderTables(), img));
    EXPECT_TRUE(img.ComposedImage.isNull());
}

TEST(BModeRenderer, ProgressOf940Drawing) {
    auto run = [](int N, int range) {
        MeasurementRecord r;
        r.FileKind = KindZvx3;
        r.TraceCount = r.XDataSize = N;
        r.XUnit = QStringLiteral("m");
        r.ViewRange = static_cast<int16_t>(range);
        r.Work940.allocate(1, N, 768);
        r.Work940x2.allocate(1, N, 1536);
        std::vector<int> seen;
        ViewImages img;
        EXPECT_TRUE(RenderBMode940(r, renderTables(), img, [&](int p) { seen.push_back(p); }));
        return seen;
    };
    EXPECT_EQ(run(4600, 0), (std::vector<int>{77, 82, 87, 92, 99}));
    EXPECT_EQ(run(3200, 3), (std::vector<int>{77, 82, 87, 99}));
    EXPECT_EQ(run(100, 1), (std::vector<int>{77, 99}));
}

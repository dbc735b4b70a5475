#include "view/DepthAxis.h"

#include "processing/DepthScale.h"
#include "view/RenderFixtures.h"

#include <gtest/gtest.h>

using namespace rebar;
using namespace rebar::test;

namespace {

enum class Tick { None, Short, Long };

// The tick drawn on row y: short ticks cover columns 45..49, long ones 40..49.
Tick tickAt(const QImage& axis, int y) {
    if (!isBlack(px(axis, 49, y)) || !isBlack(px(axis, 45, y)))
        return Tick::None;
    return isBlack(px(axis, 42, y)) ? Tick::Long : Tick::Short;
}

// Rows (below the header line) that carry a tick.
std::vector<int> tickRows(const QImage& axis) {
    std::vector<int> rows;
    for (int y = 21; y < axis.height(); ++y)
        if (tickAt(axis, y) != Tick::None)
            rows.push_back(y);
    return rows;
}

QImage axis730(const MeasurementRecord& r, std::vector<int32_t>& table) {
    QImage img;
    EXPECT_TRUE(DrawDepthAxis730(r, renderTables(), table, img));
    return img;
}

} // namespace

TEST(DepthAxis, TimeTicks) {
    MeasurementRecord r;
    make730(r, 10);
    r.Permittivity = 0;
    r.YUnit = QStringLiteral("mm");
    std::vector<int32_t> table;
    QImage a = axis730(r, table);
    ASSERT_EQ(a.size(), QSize(50, 536));
    EXPECT_TRUE(table.empty()) << "the time axis builds no depth table";
    EXPECT_EQ(tickRows(a), (std::vector<int>{148, 276, 404, 532}));
    EXPECT_EQ(tickAt(a, 148), Tick::Short);
    EXPECT_EQ(tickAt(a, 276), Tick::Long);
    // Labels sit 15 rows above their tick, at 14 for "mm" and "m", else 20.
    EXPECT_TRUE(showsText(a, 14, 276 - 15, QStringLiteral("2"), 20));
    EXPECT_TRUE(showsText(a, 14, 532 - 15, QStringLiteral("4"), 20));
    EXPECT_TRUE(showsText(a, 10, 20, QStringLiteral("(ns)"), 20));
    EXPECT_TRUE(showsText(a, 10, 0, QStringLiteral("(m)"), 20));
    for (int x = 0; x < 50; ++x)
        ASSERT_TRUE(isBlack(px(a, x, 20)));

    r.CoverMagnification = 1;
    r.ViewRange = 4;
    r.YUnit = QStringLiteral("cm");
    a = axis730(r, table);
    EXPECT_EQ(tickRows(a), (std::vector<int>{63, 105, 148, 191, 233, 276}));
    EXPECT_TRUE(showsText(a, 20, 276 - 15, QStringLiteral("6"), 20));

    // The 940 6 ns range labels its eighth tick "8".
    MeasurementRecord q;
    make940(q, 10);
    q.Permittivity = 0;
    q.ViewRange = 1;
    QImage b;
    ASSERT_TRUE(DrawDepthAxis940(q, renderTables(), table, b));
    ASSERT_EQ(b.size(), QSize(50, 792));
    EXPECT_EQ(tickRows(b), (std::vector<int>{106, 191, 276, 361, 447, 532, 617, 702}));
    EXPECT_TRUE(showsText(b, 20, 702 - 15, QStringLiteral("8"), 20));
}

TEST(DepthAxis, DepthTicksFollowTheRowTable) {
    MeasurementRecord r;
    make730(r, 10);
    r.ViewRange = 2; // about 410 mm deep at er 8
    r.YUnit = QStringLiteral("cm");
    std::vector<int32_t> table;
    QImage a = axis730(r, table);
    ASSERT_EQ(table.size(), 513u);
    std::vector<int> want;
    for (int d = 50; d <= 800; d += 50) {
        const int row = DepthToRow(table, d);
        if (row == DepthBelowRange)
            break;
        want.push_back(row + 19);
    }
    ASSERT_EQ(want.size(), 8u);
    EXPECT_EQ(tickRows(a), want);
    EXPECT_EQ(tickAt(a, want[0]), Tick::Short);
    EXPECT_EQ(tickAt(a, want[1]), Tick::Long);
    EXPECT_TRUE(showsText(a, 20, want[1] - 15, QStringLiteral("10"), 20));
    EXPECT_TRUE(showsText(a, 20, want[7] - 15, QStringLiteral("40"), 20));
    EXPECT_TRUE(showsText(a, 10, 20, QStringLiteral("(cm)"), 20));

    // A shallower range shows only the depths its rows reach (about 199 mm: three ticks).
    r.ViewRange = 0;
    a = axis730(r, table);
    EXPECT_EQ(tickRows(a).size(), 3u);

    // Inches: the first tick stands at 51 mm, labels 4, 8, ... on the 100 mm, 200 mm ticks.
    r.ViewRange = 2;
    r.YUnit = QStringLiteral("inch");
    r.XUnit = QStringLiteral("inch");
    a = axis730(r, table);
    const int first = DepthToRow(table, 51) + 19;
    ASSERT_NE(first, want[0]);
    EXPECT_EQ(tickAt(a, first), Tick::Short);
    EXPECT_EQ(tickAt(a, want[0]), Tick::None);
    EXPECT_TRUE(showsText(a, 20, want[3] - 15, QStringLiteral("8"), 20));
    EXPECT_TRUE(showsText(a, 10, 20, QStringLiteral("(in)"), 20));
    EXPECT_TRUE(showsText(a, 10, 0, QStringLiteral("(in)"), 20));

    // Metres at 14; the time-scale corner label.
    r.YUnit = QStringLiteral("m");
    r.XScale = 1;
    a = axis730(r, table);
    EXPECT_TRUE(showsText(a, 14, want[1] - 15, QStringLiteral("0.1"), 20));
    EXPECT_TRUE(showsText(a, 10, 0, QStringLiteral("(s)"), 20));
}

TEST(DepthAxis, Family940AndFailure) {
    MeasurementRecord q;
    make940(q, 10);
    q.ViewRange = 2;
    q.YUnit = QStringLiteral("mm");
    std::vector<int32_t> table;
    QImage b;
    ASSERT_TRUE(DrawDepthAxis940(q, renderTables(), table, b));
    ASSERT_EQ(table.size(), 769u);
    std::vector<int> want;
    for (int d = 50; want.size() < 16; d += 50) {
        const int row = DepthToRow(table, d);
        if (row == DepthBelowRange)
            break;
        want.push_back(row + 20);
    }
    ASSERT_GE(want.size(), 4u);
    EXPECT_EQ(tickRows(b), want);
    // The label touches its long tick; compare it left of the tick.
    EXPECT_TRUE(showsText(b, 14, want[3] - 15, QStringLiteral("200"), 20, 40));

    // A permittivity outside 2.0..20.0 fails: the bitmap is cleared, the table kept.
    const std::vector<int32_t> before = table;
    q.Permittivity = 25;
    EXPECT_FALSE(DrawDepthAxis940(q, renderTables(), table, b));
    EXPECT_TRUE(b.isNull());
    EXPECT_EQ(table, before);
}

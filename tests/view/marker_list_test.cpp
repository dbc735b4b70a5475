// The marker list lines and statistics of both families.

#include "view/MarkerList.h"

#include "view/DepthFixtures.h"

#include <gtest/gtest.h>

using namespace rebar;
using rebar::test::identityDepths;

namespace {

MeasurementRecord record(int kind) {
    MeasurementRecord r;
    r.FileKind = kind;
    r.TraceCount = 2000;
    r.Permittivity = 8.0;
    r.XUnit = "m";
    r.YUnit = "cm";
    return r;
}

} // namespace

TEST(MarkerList, EmptyListShowsZeros) {
    const MeasurementRecord r = record(KindRdd);
    const MarkerListContent c = BuildMarkerList(r, identityDepths(), LanguageTables{}, 0);
    EXPECT_TRUE(c.ok);
    EXPECT_TRUE(c.lines.isEmpty());
    EXPECT_EQ(c.labels[10], "0");
    EXPECT_EQ(c.labels[4], "0.0cm"); // average over at least one
    EXPECT_EQ(c.labels[5], "0.0cm"); // a minimum never set shows 0
    EXPECT_EQ(c.labels[8], "0.0000m");
}

TEST(MarkerList, LinesPitchesAndTruncatedAverageOf730) {
    MeasurementRecord r = record(KindRdd);
    // Traces 400, 200, 600 (out of distance order) at samples 121, 123, 127.
    r.Markers730 = {{399, 121}, {0, 0}, {199, 123}, {599, 127}};
    const MarkerListContent c = BuildMarkerList(r, identityDepths(), LanguageTables{}, 3);
    ASSERT_EQ(c.lines.size(), 3);
    // The depth field is the figure alone: the header names its unit.
    EXPECT_EQ(c.lines[0].text, " 001   1.0000m      12.1   0.0000m");
    EXPECT_EQ(c.lines[1].text, " 003   0.5000m      12.3   0.5000m"); // pitch in list order
    EXPECT_EQ(c.lines[2].text, " 004   1.5000m      12.7   1.0000m");
    EXPECT_EQ(c.lines[1].itemData, 3);
    EXPECT_EQ(c.selected, 2); // marker 3 is the second used slot
    EXPECT_EQ(c.labels[10], "3");
    EXPECT_EQ(c.labels[4], "12.3cm"); // 12.3667 truncated
    EXPECT_EQ(c.labels[5], "12.1cm");
    EXPECT_EQ(c.labels[6], "12.7cm");
    EXPECT_EQ(c.labels[7], "0.7500m");
    EXPECT_EQ(c.labels[8], "0.5000m");
    EXPECT_EQ(c.labels[9], "1.0000m");
}

TEST(MarkerList, OneMarkerHasNoPitch) {
    MeasurementRecord r = record(KindRdd);
    r.Markers730 = {{99, 200}};
    const MarkerListContent c = BuildMarkerList(r, identityDepths(), LanguageTables{}, 0);
    ASSERT_EQ(c.lines.size(), 1);
    EXPECT_TRUE(c.lines[0].text.endsWith("0.0000m"));
    EXPECT_EQ(c.labels[8], "0.0000m");
    EXPECT_EQ(c.selected, 0);
}

TEST(MarkerList, The940ListsTheCurrentGroupWithRoundedAverages) {
    MeasurementRecord r = record(KindZvx4);
    r.MarkerGroup = 1;
    // Samples 2Y + 1 = 121, 123, 127 as in the 730 case; a mark of group 0 is not listed.
    r.Marks940[1][2] = {FlagTrue, 399, 60};
    r.Marks940[1][5] = {FlagTrue, 199, 61};
    r.Marks940[1][9] = {FlagTrue, 599, 63};
    r.Marks940[0][1] = {FlagTrue, 10, 10};
    const MarkerListContent c = BuildMarkerList(r, identityDepths(), LanguageTables{}, 0);
    ASSERT_EQ(c.lines.size(), 3);
    EXPECT_TRUE(c.lines[0].text.startsWith(" 102"));
    EXPECT_TRUE(c.lines[2].text.startsWith(" 109"));
    EXPECT_EQ(c.lines[0].itemData, 3);
    EXPECT_EQ(c.labels[4], "12.4cm"); // not truncated in this family
    EXPECT_EQ(c.selected, 3);         // the last line
}

TEST(MarkerList, AveragesOfBothFamiliesAreTruncatedOnlyIn730) {
    // Echo times 1.2, 1.6, 1.6 ns (samples 154, 205, 205 of 128 a ns, truncated to 0.1 ns).
    MeasurementRecord a = record(KindRdd);
    a.Permittivity = 0;
    a.Markers730 = {{99, 154}, {119, 205}, {120, 205}};
    MeasurementRecord b = record(KindZvx4);
    b.Permittivity = 0;
    b.Marks940[0][1] = {FlagTrue, 100, 77}; // sample 2Y + 1 = 155
    b.Marks940[0][2] = {FlagTrue, 120, 102};
    b.Marks940[0][3] = {FlagTrue, 121, 102};
    EXPECT_EQ(BuildMarkerList(a, identityDepths(), LanguageTables{}, 0).labels[4], "1.46ns");
    EXPECT_EQ(BuildMarkerList(b, identityDepths(), LanguageTables{}, 0).labels[4], "1.47ns");

    // Pitches 0.0525, 0.0025, 0.0025 m: the average 0.019166.. m.
    a = record(KindRdd);
    a.Markers730 = {{99, 121}, {120, 121}, {121, 121}, {122, 121}};
    b = record(KindZvx4);
    for (int i = 0; i < 4; ++i)
        b.Marks940[0][static_cast<size_t>(i + 1)] = {FlagTrue, a.Markers730[i].Position + 1, 60};
    EXPECT_EQ(BuildMarkerList(a, identityDepths(), LanguageTables{}, 0).labels[7], "0.0191m");
    EXPECT_EQ(BuildMarkerList(b, identityDepths(), LanguageTables{}, 0).labels[7], "0.0192m");
}

TEST(MarkerList, FieldsKeepTheirWidths) {
    // A distance too long for its field shows as "#" rather than pushing the columns on.
    MeasurementRecord r = record(KindRdd);
    r.XUnit = "mm";
    r.TraceCount = 2000000;
    r.Markers730 = {{1999999, 121}};
    const MarkerListContent c = BuildMarkerList(r, identityDepths(), LanguageTables{}, 0);
    ASSERT_EQ(c.lines.size(), 1);
    EXPECT_EQ(c.lines[0].text, " 001##########      12.1     0.0mm");
}

TEST(MarkerList, TimeAxisAndOtherUnits) {
    MeasurementRecord r = record(KindRdd);
    r.Permittivity = 0;
    r.Markers730 = {{99, 256}};
    MarkerListContent c = BuildMarkerList(r, identityDepths(), LanguageTables{}, 0);
    EXPECT_TRUE(c.lines[0].text.contains("2.00ns"));
    EXPECT_EQ(c.labels[4], "2.00ns");
    r.Permittivity = 8;
    r.XUnit = "inch";
    r.YUnit = "mm";
    c = BuildMarkerList(r, identityDepths(), LanguageTables{}, 0);
    EXPECT_TRUE(c.lines[0].text.contains("9.84in")) << c.lines[0].text.toStdString();
    EXPECT_TRUE(c.lines[0].text.contains("       256")) << c.lines[0].text.toStdString();
    EXPECT_FALSE(c.lines[0].text.contains("mm"));
    // A depth outside the tables fails the rebuild with the lines written so far.
    r.Permittivity = 30;
    c = BuildMarkerList(r, identityDepths(), LanguageTables{}, 0);
    EXPECT_FALSE(c.ok);
}

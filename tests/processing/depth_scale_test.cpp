#include "processing/DepthScale.h"

#include <gtest/gtest.h>

using namespace rebar;

namespace {

// Depth tables whose values tell sample and permittivity apart and end in exact halves:
// D(e, s) = 3 s + 0.5 + 1000 (e - 80), so rounding half to even matters.
double depthOf(int e, int s) {
    return 3.0 * s + 0.5 + 1000.0 * (e - 80);
}
int32_t rounded(int s) { // D(80, s) rounded half to even
    const int v = 3 * s;
    return v % 2 == 0 ? v : v + 1;
}

const CalibrationTables& tables() {
    static const CalibrationTables t = [] {
        CalibrationTables c;
        c.DepthTable730.assign(181 * 1025, 0.0f);
        c.DepthTable940.assign(181 * 1537, 0.0);
        for (int e = 20; e <= 200; ++e) {
            for (int s = 1; s <= 1024; ++s)
                c.DepthTable730[(e - 20) * 1025 + s] = static_cast<float>(depthOf(e, s));
            for (int s = 1; s <= 1536; ++s)
                c.DepthTable940[(e - 20) * 1537 + s] = depthOf(e, s);
        }
        return c;
    }();
    return t;
}

MeasurementRecord record(int range, int half, double er = 8.0) {
    MeasurementRecord r;
    r.ViewRange = static_cast<int16_t>(range);
    r.CoverMagnification = static_cast<int16_t>(half);
    r.Permittivity = er;
    return r;
}

} // namespace

TEST(DepthScale, PermittivityIndex) {
    EXPECT_EQ(PermittivityIndex(7.25), 72); // 72.5 rounds to the even 72
    EXPECT_EQ(PermittivityIndex(7.75), 78);
    EXPECT_EQ(PermittivityIndex(10.7), 107);
    EXPECT_EQ(PermittivityIndex(2.0), 20);
    EXPECT_EQ(PermittivityIndex(20.0), 200);
    EXPECT_EQ(PermittivityIndex(20.05), 200);
    EXPECT_EQ(PermittivityIndex(1.94), 0);
    EXPECT_EQ(PermittivityIndex(20.1), 0);
    EXPECT_EQ(PermittivityIndex(0), 0);
    EXPECT_EQ(PermittivityIndex(std::nan("")), 0);
    EXPECT_EQ(PermittivityIndex(1e300), 0);
}

TEST(DepthScale, RowDepthTable730) {
    std::vector<int32_t> t;
    // Range 1 full size: rows 1, 2, 3, 4 = samples 1, 2, 4, 5; rows 511, 512 = 766, 767.
    ASSERT_TRUE(BuildRowDepthTable730(record(1, 0), tables(), t));
    ASSERT_EQ(t.size(), 513u);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ((std::vector<int32_t>(t.begin() + 1, t.begin() + 5)),
              (std::vector<int32_t>{rounded(1), rounded(2), rounded(4), rounded(5)}));
    EXPECT_EQ(t[511], rounded(766));
    EXPECT_EQ(t[512], rounded(767));

    // Range 0 half size: entry k = sample 2k - 1.
    ASSERT_TRUE(BuildRowDepthTable730(record(0, 1), tables(), t));
    ASSERT_EQ(t.size(), 257u);
    for (int k = 1; k <= 256; ++k)
        ASSERT_EQ(t[k], rounded(2 * k - 1)) << k;

    // Range 5: full size row r = sample 2r - 1; half size entry k = row 2k - 1 = sample 4k - 3.
    ASSERT_TRUE(BuildRowDepthTable730(record(5, 0), tables(), t));
    EXPECT_EQ(t[512], rounded(1023));
    ASSERT_TRUE(BuildRowDepthTable730(record(5, 1), tables(), t));
    EXPECT_EQ(t[256], rounded(1021));
    // Range 4 half size: row 2k - 1 of the walk = sample 3(k - 1) + 1.
    ASSERT_TRUE(BuildRowDepthTable730(record(4, 1), tables(), t));
    EXPECT_EQ(t[3], rounded(7));

    // The permittivity index picks the table: 7.25 reads e = 72.
    ASSERT_TRUE(BuildRowDepthTable730(record(3, 0, 7.25), tables(), t));
    EXPECT_EQ(t[1], -7996); // 3 + 0.5 - 8000 rounds to the even -7996

    // An unknown range has no rows; entries stay 0.
    ASSERT_TRUE(BuildRowDepthTable730(record(9, 0), tables(), t));
    EXPECT_EQ(t, std::vector<int32_t>(513, 0));
}

TEST(DepthScale, RowDepthTable940AndFailures) {
    std::vector<int32_t> t;
    ASSERT_TRUE(BuildRowDepthTable940(record(1, 0), tables(), t));
    ASSERT_EQ(t.size(), 769u);
    EXPECT_EQ(t[3], rounded(4));
    EXPECT_EQ(t[767], rounded(1150));
    EXPECT_EQ(t[768], rounded(1151));
    ASSERT_TRUE(BuildRowDepthTable940(record(2, 1), tables(), t));
    ASSERT_EQ(t.size(), 385u);
    EXPECT_EQ(t[384], rounded(1533));

    // Time axis: nothing to build, the table keeps its content. Out of range: failure, same.
    const std::vector<int32_t> before = t;
    EXPECT_TRUE(BuildRowDepthTable940(record(0, 0, 0.0), tables(), t));
    EXPECT_FALSE(BuildRowDepthTable940(record(0, 0, 25.0), tables(), t));
    EXPECT_FALSE(BuildRowDepthTable730(record(0, 0, 1.5), tables(), t));
    EXPECT_FALSE(BuildRowDepthTable730(record(0, 0), CalibrationTables{}, t));
    EXPECT_EQ(t, before);
}

TEST(DepthScale, DepthToRow) {
    const std::vector<int32_t> t = {0, 10, 20, 20, 30};
    EXPECT_EQ(DepthToRow(t, 20), 2); // the first equal row
    EXPECT_EQ(DepthToRow(t, 15), 1); // the row before the first deeper one
    EXPECT_EQ(DepthToRow(t, 5), 0);
    EXPECT_EQ(DepthToRow(t, 30), 4);
    EXPECT_EQ(DepthToRow(t, 31), DepthBelowRange);
    EXPECT_EQ(DepthToRow({0}, 0), DepthBelowRange);
}

TEST(DepthScale, PresetItemFromFormattedPermittivity) {
    for (size_t i = 0; i < PermittivityPresets.size(); ++i)
        EXPECT_EQ(PresetItemForPermittivity(PermittivityPresets[i]), static_cast<int>(i));
    EXPECT_EQ(PresetItemForPermittivity(7.40), 4);
    EXPECT_EQ(PresetItemForPermittivity(7.44), 4); // "7.4"
    EXPECT_EQ(PresetItemForPermittivity(7.46), 8); // "7.5"
    EXPECT_EQ(PresetItemForPermittivity(8), 3);
    EXPECT_EQ(PresetItemForPermittivity(0), 7);
    EXPECT_EQ(PresetItemForPermittivity(0.04), 7); // ".0"
    EXPECT_EQ(PresetItemForPermittivity(0.06), 8); // ".1"
    EXPECT_EQ(PresetItemForPermittivity(-8.0), 8);
    EXPECT_EQ(PresetItemForPermittivity(107), 8);
    EXPECT_EQ(PresetItemForPermittivity(std::nan("")), 8);
}

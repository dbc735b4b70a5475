// Permittivity back-calculation: reading the entered depth, the search over the generated depth
// tables of both families, and what the command writes into the record.

#include "processing/BackCalculation.h"
#include "processing/DepthScale.h"
#include "processing/DetectionScenes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rebar {
namespace {

TEST(DepthEntry, TakesCentimetresOrInchesAndRefusesTheRest) {
    const QString cm = QStringLiteral("cm");
    EXPECT_EQ(ReadDepthEntry(QString(), cm).kind, DepthEntry::Empty);
    for (const char* bad : {"abc", "0", "-3", "   ", "4,5", "1e999"})
        EXPECT_EQ(ReadDepthEntry(QString::fromLatin1(bad), cm).kind, DepthEntry::Invalid) << bad;
    DepthEntry e = ReadDepthEntry(QStringLiteral(" 4.5 "), cm);
    ASSERT_EQ(e.kind, DepthEntry::Depth);
    EXPECT_DOUBLE_EQ(e.mm, 45.0);
    e = ReadDepthEntry(QStringLiteral("1"), QStringLiteral("inch"));
    ASSERT_EQ(e.kind, DepthEntry::Depth);
    EXPECT_DOUBLE_EQ(e.mm, 25.4);
    EXPECT_DOUBLE_EQ(ReadDepthEntry(QStringLiteral("1"), QStringLiteral("mm")).mm, 10.0);
}

// A record of the family with permittivity 6.5 whose cursor row stands for double-density
// sample `rowSample`; T(e) is the table depth at the sample the search reads.
struct Case {
    MeasurementRecord rec;
    int rowSample = 401;
    int s = 400;
    double T(int e) const {
        const CalibrationTables& t = test::generatedTables();
        return rec.is940() ? t.depth940(e, s) : t.depth730(e, s);
    }
    BackCalculation run(double depthMm) const {
        return BackCalculatePermittivity(rec, test::generatedTables(), depthMm, rowSample);
    }
};
Case makeCase(bool f940) {
    Case c;
    c.rec.FileKind = f940 ? KindZvx4 : KindRdd;
    c.rec.Permittivity = 6.5;
    return c;
}

TEST(BackCalculatePermittivity, FindsThePermittivityOfTheLargestDepthNotAboveTheEntry) {
    for (bool f940 : {false, true}) {
        const Case c = makeCase(f940);
        auto fits = [&](double depth, float er) {
            const BackCalculation b = c.run(depth);
            EXPECT_EQ(b.outcome, BackCalculation::Fits) << f940 << " " << depth;
            EXPECT_EQ(b.permittivity, er) << f940 << " " << depth;
            EXPECT_EQ(b.messageKey, 0);
        };
        fits(c.T(200), 20.0f);
        fits(c.T(20), 2.0f);
        fits(c.T(80), 8.0f);
        fits((c.T(80) + c.T(81)) / 2, 8.1f);
        fits((c.T(21) + c.T(20)) / 2, 2.1f);
        for (double depth : {c.T(20) + 0.5, c.T(200) - 0.5}) {
            const BackCalculation b = c.run(depth);
            EXPECT_EQ(b.outcome, BackCalculation::NoFit) << f940 << " " << depth;
            EXPECT_EQ(b.messageKey, 22);
            EXPECT_EQ(b.permittivity, 6.5f);
        }
    }
}

TEST(BackCalculatePermittivity, The730FamilyComparesInSinglePrecision) {
    // Just below the table's depth at 8.0: the same single-precision number for the 730
    // family (8.0), a shallower depth for the 940 family (8.1).
    const Case a = makeCase(false), b = makeCase(true);
    const double below730 = std::nextafter(a.T(80), 0.0);
    ASSERT_EQ(static_cast<float>(below730), static_cast<float>(a.T(80)));
    EXPECT_EQ(a.run(below730).permittivity, 8.0f);
    EXPECT_EQ(b.run(std::nextafter(b.T(80), 0.0)).permittivity, 8.1f);
}

TEST(BackCalculatePermittivity, ReadsTheTableAtTheRowsSingleDensitySample) {
    Case c = makeCase(false);
    c.rowSample = 402; // sample 201 on the single-density grid: the table's sample 402
    c.s = 402;
    EXPECT_EQ(c.run(c.T(80)).permittivity, 8.0f);
    c.rowSample = 403; // 403 div 2 = 201 as well
    EXPECT_EQ(c.run(c.T(80)).permittivity, 8.0f);
}

TEST(BackCalculatePermittivity, ASampleOutsideTheTablesIsAnErrorThatChangesNothing) {
    for (bool f940 : {false, true}) {
        const Case c = makeCase(f940);
        const int last = f940 ? 1536 : 1024;
        for (int rowSample : {0, 1, last + 2}) {
            const BackCalculation b =
                BackCalculatePermittivity(c.rec, test::generatedTables(), 50, rowSample);
            EXPECT_EQ(b.outcome, BackCalculation::Error) << rowSample;
            EXPECT_EQ(b.messageKey, 18);
            EXPECT_FALSE(b.error.isEmpty());
        }
        EXPECT_NE(BackCalculatePermittivity(c.rec, test::generatedTables(), 50, last + 1).outcome,
                  BackCalculation::Error);
    }
    const Case c = makeCase(false);
    EXPECT_EQ(c.run(1e300).outcome, BackCalculation::Error); // no single-precision depth
    EXPECT_EQ(BackCalculatePermittivity(c.rec, CalibrationTables{}, 50, 401).outcome,
              BackCalculation::Error);
}

TEST(ApplyBackCalculation, SetsThePermittivityAsAnyOtherPermittivityAndMarksTheRecord) {
    MeasurementRecord r;
    r.PermittivityPreset = 3;
    EXPECT_EQ(ApplyBackCalculation(r, 8.1f), PresetItemOther);
    EXPECT_EQ(r.Permittivity, static_cast<double>(8.1f));
    EXPECT_EQ(r.PermittivityPreset, PresetItemOther);
    EXPECT_EQ(r.Saved.Permittivity, 8.1f);
    EXPECT_EQ(r.Modified, FlagTrue);
    // A time-axis scan that no permittivity fitted stays on the time axis.
    MeasurementRecord t;
    t.PermittivityPreset = 7;
    EXPECT_EQ(ApplyBackCalculation(t, 0.0f), PresetItemTime);
    EXPECT_EQ(t.PermittivityPreset, PresetItemTime);
    EXPECT_EQ(t.Modified, FlagTrue);
}

} // namespace
} // namespace rebar

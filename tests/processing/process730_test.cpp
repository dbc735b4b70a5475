// Process730: the mode, peak and half-wave stages of the 730 family on small hand-made records.

#include "processing/Process730.h"
#include "processing/ProcessRecords.h"

#include <gtest/gtest.h>

namespace rebar {
namespace {

using test::makeRecord;
using test::makeTables;
using F = Family730;

// Every sample 1..last of traces 1..n of m equals v.
::testing::AssertionResult allEqual(const Matrix<int16_t>& m, int n, int last, int v) {
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= last; ++j)
            if (m(i, j) != v)
                return ::testing::AssertionFailure()
                       << "(" << i << ", " << j << ") is " << m(i, j) << ", not " << v;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult untouched(const MeasurementRecord& r) {
    for (const auto* m : {&r.Work730, &r.Work730x2})
        for (int i = 1; i <= r.TraceCount; ++i)
            for (int j = 0; j <= m->lastSample(); ++j)
                if ((*m)(i, j) != 7)
                    return ::testing::AssertionFailure() << "(" << i << ", " << j << ") written";
    return ::testing::AssertionSuccess();
}

TEST(Process730, PlainModeScalesByGainAndCopiesStatusWords) {
    auto r = makeRecord<F>(3);
    auto t = makeTables();
    r->Raw730(2, 0) = 16;
    r->Raw730(2, 10) = 1234;
    r->Raw730(3, 512) = 4000;
    r->Samples730(1, 0) = 48;
    r->Samples730(3, 1024) = 4095;
    ASSERT_TRUE(Process730(*r, *t));
    for (int i = 1; i <= 3; ++i) {
        for (int j = 0; j <= 512; ++j)
            ASSERT_EQ(r->Work730(i, j), r->Raw730(i, j)) << i << "," << j;
        for (int j = 0; j <= 1024; ++j)
            ASSERT_EQ(r->Work730x2(i, j), r->Samples730(i, j)) << i << "," << j;
    }

    r->Gain = 5; // factor 4
    r->Raw730(1, 5) = 2048 + 3;
    r->Raw730(1, 6) = 2048 - 3;
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 5), 2060);
    EXPECT_EQ(r->Work730(1, 6), 2036);
    EXPECT_EQ(r->Work730(2, 0), 16); // the status word is never scaled
}

TEST(Process730, SurfaceWaveModesSubtractTheSpecialTracesOfTheSameMatrix) {
    auto r = makeRecord<F>(2);
    auto t = makeTables();
    for (int j = 1; j <= 512; ++j) {
        r->Raw730(0, j) = 2048 + 3;
        r->Raw730(-1, j) = 2048 + 1;
        r->Raw730(1, j) = 2048 + 10;
    }
    for (int j = 1; j <= 1024; ++j) {
        r->Samples730(0, j) = 2048 + 4;
        r->Samples730(1, j) = 2048 + 10;
    }
    r->ProcCode = 1;
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 300), 2055);
    EXPECT_EQ(r->Work730x2(1, 1000), 2054);
    EXPECT_EQ(r->Work730(2, 300), 2045); // 2048 - 3
    r->ProcCode = 5;
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 1), 2057);
    EXPECT_EQ(r->Work730x2(1, 1), 2058); // trace -1 of Samples730 is at the zero level
}

TEST(Process730, RoundsHalvesToEvenAndAppliesStcOnlyInTheDeepBand) {
    auto r = makeRecord<F>(1);
    auto t = makeTables();
    t->StcGain730Half[9] = 2.5f; // raw sample 10
    t->StcGain730Half[10] = 3.5f;
    t->StcGain730Half[11] = 2.5f;
    t->StcGain730[9] = 3.5f; // double-density sample 10 reads the full table
    r->Raw730(1, 10) = 2049;
    r->Raw730(1, 11) = 2049;
    r->Raw730(1, 12) = 2047;
    r->Samples730(1, 10) = 2049;
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 10), 2049); // shallow: no STC
    EXPECT_EQ(r->Work730x2(1, 10), 2049);

    r->GainMode = 1;
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 10), 2050);   // 2050.5
    EXPECT_EQ(r->Work730(1, 11), 2052);   // 2051.5
    EXPECT_EQ(r->Work730(1, 12), 2046);   // 2045.5
    EXPECT_EQ(r->Work730x2(1, 10), 2052); // 2051.5
}

// Whole gains and STC factors take an integer path; it must give what the general one gives.
TEST(Process730, WholeFactorsGiveTheSameResultsAsTheGeneralFormula) {
    auto r = makeRecord<F>(4);
    auto t = makeTables();
    uint32_t seed = 12345;
    for (int i = -1; i <= 4; ++i)
        for (int j = 1; j <= 512; ++j) {
            seed = seed * 1103515245u + 12345u;
            r->Raw730(i, j) = static_cast<int16_t>((seed >> 16) % 4096);
        }
    t->StcGain730Half.fill(3.0f);
    r->ProcCode = 1;
    r->Gain = 3; // 2.0
    r->GainMode = 1;
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 1), (r->Raw730(1, 1) - r->Raw730(0, 1)) * 6 + 2048);
    Matrix<int16_t> whole;
    whole.allocate(1, 4, 512);
    for (int i = 1; i <= 4; ++i)
        std::copy(r->Work730.trace(i), r->Work730.trace(i) + 513, whole.trace(i));
    t->StcGain730Half[511] = 3.5f; // one fraction anywhere takes the general path
    ASSERT_TRUE(Process730(*r, *t));
    for (int i = 1; i <= 4; ++i)
        for (int j = 0; j <= 511; ++j)
            ASSERT_EQ(r->Work730(i, j), whole(i, j)) << i << "," << j;
}

TEST(Process730, ArithmeticFailureFailsTheRunAndLeavesTheWorkMatricesAlone) {
    auto t = makeTables();
    {
        auto r = makeRecord<F>(3);
        r->Gain = 5;
        r->Raw730(2, 100) = 2048 + 10000; // 42048 does not fit
        EXPECT_FALSE(Process730(*r, *t));
        EXPECT_TRUE(untouched(*r));
        r->Raw730(2, 100) = 2048 + 7000; // 30048 fits
        EXPECT_TRUE(Process730(*r, *t));
        EXPECT_EQ(r->Work730(2, 100), 30048);
    }
    {
        // The 16-bit difference overflows although the scaled result would fit.
        auto r = makeRecord<F>(2);
        t->StcGain730[4] = 0.1f;
        r->ProcCode = 3;
        r->ProcessingLine = -1;
        r->GainMode = 1;
        r->Samples730(-1, 5) = -30000;
        r->Samples730(2, 5) = 5000;
        EXPECT_FALSE(Process730(*r, *t));
        EXPECT_TRUE(untouched(*r));
    }
    {
        // A rounded result just above the range: 8777 * 3.5 + 2048 = 32767.5 rounds to 32768.
        auto r = makeRecord<F>(1);
        t->StcGain730Half[0] = 3.5f;
        r->GainMode = 1;
        r->Raw730(1, 1) = 2048 + 8777;
        EXPECT_FALSE(Process730(*r, *t));
        r->Raw730(1, 1) = 2048 + 8776;
        EXPECT_TRUE(Process730(*r, *t));
        EXPECT_EQ(r->Work730(1, 1), 32764);
    }
}

TEST(Process730, AverageModeTruncatesTheMeanOfEachMatrixTowardZero) {
    auto r = makeRecord<F>(3);
    auto t = makeTables();
    r->ProcCode = 4;
    const int16_t raw[] = {1, 2, 2};   // mean 5 / 3 -> 1
    const int16_t dd[] = {-1, -2, -2}; // mean -5 / 3 -> -1, not -2
    for (int i = 1; i <= 3; ++i) {
        r->Raw730(i, 20) = raw[i - 1];
        r->Samples730(i, 20) = dd[i - 1];
    }
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 20), 2048);
    EXPECT_EQ(r->Work730(2, 20), 2049);
    EXPECT_EQ(r->Work730x2(1, 20), 2048);
    EXPECT_EQ(r->Work730x2(3, 20), 2047);
    EXPECT_EQ(r->Work730(3, 21), 2048); // equal traces cancel

    auto empty = makeRecord<F>(0);
    empty->ProcCode = 4;
    EXPECT_FALSE(Process730(*empty, *t));
    empty->ProcCode = 0;
    EXPECT_TRUE(Process730(*empty, *t));
}

TEST(Process730, ManualModeSubtractsUpToTheFirstZeroCrossingAfterTheLeadingSamples) {
    auto r = makeRecord<F>(4);
    auto t = makeTables();
    r->ProcCode = 2;
    r->ProcessingLine = 2;
    for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 512; ++j)
            r->Raw730(i, j) = i == 2 ? 2048 + 5 : 2048 + 10;
        for (int j = 1; j <= 1024; ++j)
            r->Samples730(i, j) = i == 2 ? 2048 - 5 : 2048 + 10;
    }
    r->Raw730(2, 100) = 2048; // a zero inside the leading samples does not count
    r->Raw730(2, 192) = 2048; // the crossing: (5) * (0) <= 0
    r->Samples730(2, 200) = 2048 + 5;
    for (int j = 384; j <= 1024; ++j)
        r->Samples730(2, j) = 2048 + 5; // sign change at 384
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 1), 2053);
    EXPECT_EQ(r->Work730(1, 100), 2058);
    EXPECT_EQ(r->Work730(1, 191), 2053);
    EXPECT_EQ(r->Work730(1, 192), 2058);
    EXPECT_EQ(r->Work730(1, 193), 2058); // the zero level from here on
    EXPECT_EQ(r->Work730(3, 512), 2058);
    EXPECT_EQ(r->Work730x2(1, 383), 2063);
    EXPECT_EQ(r->Work730x2(1, 200), 2053);
    EXPECT_EQ(r->Work730x2(1, 384), 2053); // the crossing sample still subtracts
    EXPECT_EQ(r->Work730x2(1, 385), 2058);
    EXPECT_EQ(r->Work730x2(4, 1024), 2058);

    r->ProcessingLine = 5; // outside -1..N
    EXPECT_FALSE(Process730(*r, *t));
    r->ProcCode = 3;
    r->ProcessingLine = -2;
    EXPECT_FALSE(Process730(*r, *t));
    r->ProcessingLine = -1;
    EXPECT_TRUE(Process730(*r, *t));
}

// All n traces carry the same values: the peak window then sees them unchanged.
void setAllTraces(MeasurementRecord& r, int j, int16_t v) {
    for (int i = 1; i <= r.TraceCount; ++i)
        r.Raw730(i, j) = v;
}

TEST(Process730, PeakKeepsOnlyTheLobeAroundTheFirstValueAboveTheThreshold) {
    auto r = makeRecord<F>(5);
    auto t = makeTables();
    r->PeakFlag = 1;
    setAllTraces(*r, 10, 2048 + 100);
    setAllTraces(*r, 11, 2048 + 192); // exactly the threshold starts nothing
    setAllTraces(*r, 20, 2048 + 50);
    setAllTraces(*r, 21, 2048 + 193); // the first above it
    setAllTraces(*r, 22, 2048 + 300);
    setAllTraces(*r, 23, 2048 + 1);
    setAllTraces(*r, 24, 2048 - 5);
    setAllTraces(*r, 25, 2048 + 500); // a later lobe is dropped
    for (int i = 1; i <= 5; ++i)
        r->Samples730(i, 7) = 2048 + 192; // the x2 matrix never exceeds the threshold
    ASSERT_TRUE(Process730(*r, *t));
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 512; ++j) {
            const int expected = j == 20   ? 2098
                                 : j == 21 ? 2241
                                 : j == 22 ? 2348
                                 : j == 23 ? 2049
                                           : 2048;
            ASSERT_EQ(r->Work730(i, j), expected) << i << "," << j;
        }
    }
    EXPECT_TRUE(allEqual(r->Work730x2, 5, 1024, 2048));

    r->AModeSet = 2; // the peak keeps only positive values: nothing survives
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_TRUE(allEqual(r->Work730, 5, 512, 2048));
}

TEST(Process730, PeakWindowIsClampedAtBothEndsAndReadsTheUnpeakedTraces) {
    auto r = makeRecord<F>(6);
    auto t = makeTables();
    r->PeakFlag = 1;
    r->Raw730(1, 30) = 2048 + 1001;
    r->Raw730(6, 30) = 2048 + 1500;
    ASSERT_TRUE(Process730(*r, *t));
    // windows (1,1,1,2,3) (1,1,2,3,4) (1,2,3,4,5) (2,3,4,5,6) (3,4,5,6,6) (4,5,6,6,6)
    const int expected[] = {2048 + 600, 2048 + 400, 2048 + 200, 2048 + 300, 2048 + 600, 2048 + 900};
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(r->Work730(i, 30), expected[i - 1]) << "trace " << i;
}

TEST(Process730, PeakWindowSumsPastSixteenBitsAreFormedInThirtyTwo) {
    auto t = makeTables();
    // Three strong neighbours: the window of trace 5 sums 3 * 12000 + 2 * 2048 = 40096, which
    // 16 bits cannot hold; its mean 8019 is kept.
    auto r = makeRecord<F>(10);
    r->PeakFlag = 1;
    for (int i : {4, 5, 6})
        r->Raw730(i, 40) = 12000;
    ASSERT_TRUE(Process730(*r, *t));
    // Windows holding none, one, two or three of the strong traces.
    const int expected[] = {2048, 4038, 6028, 8019, 8019, 8019, 6028, 4038, 2048, 2048};
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(r->Work730(i, 40), expected[i - 1]) << "trace " << i;

    // Every value at the top of the range: the means stay inside 16 bits.
    auto top = makeRecord<F>(5);
    top->PeakFlag = 1;
    for (int i = 1; i <= 5; ++i)
        top->Raw730(i, 7) = 32767;
    ASSERT_TRUE(Process730(*top, *t));
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(top->Work730(i, 7), 32767) << "trace " << i;
}

TEST(Process730, HalfWaveKeepsOneHalfAndTheStatusWord) {
    auto r = makeRecord<F>(2);
    auto t = makeTables();
    r->Raw730(1, 0) = 16;
    r->Raw730(1, 1) = 2000;
    r->Raw730(1, 2) = 2100;
    r->Samples730(2, 3) = 1000;
    r->AModeSet = 1;
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 0), 16);
    EXPECT_EQ(r->Work730(1, 1), 2048);
    EXPECT_EQ(r->Work730(1, 2), 2100);
    EXPECT_EQ(r->Work730x2(2, 3), 2048);
    r->AModeSet = 2;
    ASSERT_TRUE(Process730(*r, *t));
    EXPECT_EQ(r->Work730(1, 0), 16);
    EXPECT_EQ(r->Work730(1, 1), 2000);
    EXPECT_EQ(r->Work730(1, 2), 2048);
    EXPECT_EQ(r->Work730x2(2, 3), 1000);
}

TEST(Process730, UnknownModeAndMismatchedMatricesFailWithoutWriting) {
    auto t = makeTables();
    auto r = makeRecord<F>(3);
    r->ProcCode = 6; // automatic sensitivity is a 940 mode
    EXPECT_FALSE(Process730(*r, *t));
    EXPECT_TRUE(untouched(*r));
    r->ProcCode = 0;
    r->TraceCount = 4; // the matrices hold three traces
    EXPECT_FALSE(Process730(*r, *t));
    r->TraceCount = 3;
    r->Work730x2.reset();
    EXPECT_FALSE(Process730(*r, *t));
}

} // namespace
} // namespace rebar

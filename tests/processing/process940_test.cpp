// Process940: the 940 family's stages, its automatic sensitivity and its tolerance of a failing
// mode stage, on small hand-made records.

#include "processing/AutoSensitivity.h"
#include "processing/Process940.h"
#include "processing/ProcessRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace rebar {
namespace {

using test::makeRecord;
using test::makeTables;
using F = Family940;

void fillWork(MeasurementRecord& r, int32_t v) {
    test::fill<F>(r.Work940, v);
    test::fill<F>(r.Work940x2, v);
}

TEST(Process940, PlainModeScalesByTheSevenStepGain) {
    auto r = makeRecord<F>(2);
    auto t = makeTables();
    r->Raw940(1, 0) = -3;
    r->Raw940(1, 5) = -1000;
    r->Samples940(2, 1536) = 1000;
    r->Gain = 7;
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->Work940(1, 0), -3);
    EXPECT_EQ(r->Work940(1, 5), -8000);
    EXPECT_EQ(r->Work940x2(2, 1536), 8000);
    EXPECT_EQ(r->Work940(2, 5), 0);
    r->Gain = 8; // outside the table: factor 0
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->Work940(1, 5), 0);
    EXPECT_EQ(r->Work940x2(2, 1536), 0);
}

TEST(Process940, RoundsHalvesToEvenWithEachMatrixsStcTable) {
    auto r = makeRecord<F>(1);
    auto t = makeTables();
    t->StcGain940[0] = 2.5;
    t->StcGain940[1] = 3.5;
    t->StcGain940x2[0] = 3.5;
    r->GainMode = 1;
    r->Raw940(1, 1) = -1;
    r->Raw940(1, 2) = 1;
    r->Samples940(1, 1) = -1;
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->Work940(1, 1), -2);
    EXPECT_EQ(r->Work940(1, 2), 4);
    EXPECT_EQ(r->Work940x2(1, 1), -4);
}

TEST(Process940, ManualModeSearchesEachMatrixForItsOwnCrossing) {
    auto r = makeRecord<F>(2);
    auto t = makeTables();
    r->ProcCode = 2;
    r->ProcessingLine = -3; // the stored processing-line trace
    for (int j = 1; j <= 768; ++j) {
        r->Raw940(-3, j) = 5;
        r->Raw940(1, j) = 10;
    }
    for (int j = 1; j <= 1536; ++j) {
        r->Samples940(-3, j) = 5;
        r->Samples940(1, j) = 10;
    }
    r->Raw940(-3, 287) = -5; // negative at 287, positive at 288
    r->Samples940(-3, 700) = -5;
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->Work940(1, 286), 5);
    EXPECT_EQ(r->Work940(1, 287), 15);
    EXPECT_EQ(r->Work940(1, 288), 5); // the crossing still subtracts
    EXPECT_EQ(r->Work940(1, 289), 10);
    EXPECT_EQ(r->Work940(1, 768), 10);
    EXPECT_EQ(r->Work940x2(1, 576), 5);
    EXPECT_EQ(r->Work940x2(1, 700), 15);
    EXPECT_EQ(r->Work940x2(1, 701), 10);
}

TEST(Process940, AverageModeFailsOnARunningSumBeyond32Bits) {
    auto r = makeRecord<F>(3);
    auto t = makeTables();
    r->ProcCode = 4;
    const int32_t big = 1 << 30;
    const int32_t order[][3] = {{-big, big, big}, {big, big, -big}};
    // First the sum never leaves 32 bits; then it does after two traces though the total fits.
    r->Raw940(1, 50) = order[0][0];
    r->Raw940(2, 50) = order[0][1];
    r->Raw940(3, 50) = order[0][2];
    r->Samples940(1, 9) = -1;
    r->Samples940(2, 9) = -2;
    r->Samples940(3, 9) = -2;
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->Work940(2, 50), big - big / 3);
    EXPECT_EQ(r->Work940x2(1, 9), 0); // mean -5 / 3 truncates to -1
    EXPECT_EQ(r->Work940x2(2, 9), -1);

    fillWork(*r, 7);
    for (int i = 1; i <= 3; ++i)
        r->Raw940(i, 50) = order[1][i - 1];
    EXPECT_TRUE(Process940(*r, *t)); // a failed mode stage does not fail the run
    EXPECT_EQ(r->Work940(2, 50), 7);
    EXPECT_EQ(r->Work940x2(1, 9), 7);
}

TEST(Process940, FailedModeStageKeepsTheOutputsAndTheLaterStagesStillRun) {
    auto r = makeRecord<F>(3);
    auto t = makeTables();
    fillWork(*r, -7);
    r->Work940(2, 10) = 20000;
    r->Work940(2, 11) = 30;
    r->ProcCode = 3;
    r->ProcessingLine = 4; // outside -3..N
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->Work940(1, 1), -7);
    EXPECT_EQ(r->Work940(2, 10), 20000);

    r->AModeSet = 1;
    r->PeakFlag = 1;
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->Work940(1, 1), 0);
    EXPECT_EQ(r->Work940(2, 10), 20000);
    EXPECT_EQ(r->Work940(2, 11), 30);
    EXPECT_EQ(r->Work940(2, 12), 0);

    r->TraceCount = 4; // matrices that do not match fail the whole run
    EXPECT_FALSE(Process940(*r, *t));
}

TEST(Process940, PeakThresholdAndNoSmoothingAcrossTraces) {
    auto r = makeRecord<F>(3);
    auto t = makeTables();
    r->PeakFlag = 1;
    r->Raw940(1, 10) = 11776; // exactly the threshold starts nothing
    r->Raw940(1, 19) = 100;
    r->Raw940(1, 20) = 11777;
    r->Raw940(1, 21) = -1;
    r->Raw940(2, 10) = 11776;
    r->Raw940(3, 30) = 11777;
    r->Raw940(3, 31) = 5;
    ASSERT_TRUE(Process940(*r, *t));
    for (int j = 1; j <= 768; ++j) {
        EXPECT_EQ(r->Work940(1, j), j == 19 ? 100 : j == 20 ? 11777 : 0) << j;
        EXPECT_EQ(r->Work940(2, j), 0) << j;
        EXPECT_EQ(r->Work940(3, j), j == 30 ? 11777 : j == 31 ? 5 : 0) << j;
    }
}

TEST(Process940, AutoGainTarget) {
    EXPECT_NEAR(AutoSensitivity::target(1), 70.0137, 0.5e-4);
    EXPECT_NEAR(AutoSensitivity::target(575), 75.0, 1e-5);
    EXPECT_LT(AutoSensitivity::target(574), AutoSensitivity::target(575));
    EXPECT_EQ(AutoSensitivity::target(576), 75.0);
    EXPECT_EQ(AutoSensitivity::target(768), 75.0);
}

TEST(Process940, AutoGainOnEqualTracesFailsAndShowsThePreviousOutputs) {
    auto r = makeRecord<F>(4);
    auto t = makeTables();
    for (int i = 1; i <= 4; ++i)
        for (int j = 1; j <= 768; ++j)
            r->Raw940(i, j) = 100 + j;
    r->Raw940A(2, 5) = 33;
    r->ProcCode = 6;
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->AutoGainReady, 0);
    EXPECT_EQ(r->Work940(1, 1), 7);
    EXPECT_EQ(r->Work940x2(4, 1536), 7);
    EXPECT_EQ(r->Raw940A(2, 5), 33);
}

// Traces alternate +a(j) and -a(j) around an offset: the residual level of sample j is
// 20 log10 a(j), which the gain brings to the target level.
TEST(Process940, AutoGainBringsEverySampleToTheTargetLevelOnce) {
    const int n = 4;
    auto r = makeRecord<F>(n);
    auto t = makeTables();
    for (int i = 1; i <= n; ++i) {
        r->Raw940(i, 0) = i;
        r->Samples940(i, 0) = 10 + i;
        for (int j = 1; j <= 768; ++j) {
            const int a = j <= 400 ? 100 : 1000;
            r->Raw940(i, j) = 500 + (i % 2 ? a : -a);
        }
    }
    r->ProcCode = 6;
    r->Gain = 7; // neither gain nor STC applies in this mode
    r->GainMode = 1;
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->AutoGainReady, 1);
    auto level = [](int j) { return std::round(std::pow(10.0, AutoSensitivity::target(j) / 20)); };
    for (const int j : {100, 300, 700}) {
        EXPECT_NEAR(r->Raw940A(1, j), level(j), 1) << j;
        EXPECT_NEAR(r->Raw940A(2, j), -level(j), 1) << j;
    }
    EXPECT_EQ(r->Raw940A(1, 700), 5623);
    for (int i = 1; i <= n; ++i) {
        EXPECT_EQ(r->Work940(i, 0), i);
        EXPECT_EQ(r->Work940x2(i, 0), 10 + i);
        for (int j = 1; j <= 768; ++j) {
            ASSERT_EQ(r->Work940(i, j), r->Raw940A(i, j));
            ASSERT_EQ(r->Samples940A(i, 2 * j - 1), r->Raw940A(i, j));
            ASSERT_EQ(r->Samples940A(i, 2 * j), r->Raw940A(i, j));
            ASSERT_EQ(r->Work940x2(i, 2 * j), r->Raw940A(i, j));
        }
    }

    // Once computed, later runs show the gained matrices without recomputing them.
    test::fill<F>(r->Raw940, 0);
    fillWork(*r, 7);
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->Work940(1, 700), 5623);
    EXPECT_EQ(r->Work940(1, 0), 0);
}

TEST(Process940, AutoGainLimitsTheGainedValuesTo16Bits) {
    // One outlier among many quiet traces: the gain meant for the quiet ones lifts it far
    // beyond 16 bits.
    const int n = 100;
    auto r = makeRecord<F>(n);
    auto t = makeTables();
    for (int j = 1; j <= 768; ++j)
        r->Raw940(7, j) = 10000;
    r->ProcCode = 6;
    ASSERT_TRUE(Process940(*r, *t));
    EXPECT_EQ(r->Work940(7, 700), 32767);
    EXPECT_EQ(r->Work940(1, 700), -565); // -100 * 5623.4 / sqrt(990000)
}

TEST(Process940, ModeStageReportsProgressAtTrace3000) {
    auto t = makeTables();
    for (const int n : {2999, 3000}) {
        auto r = makeRecord<F>(n);
        std::vector<int> reports;
        ASSERT_TRUE(Process940(*r, *t, [&](int p) { reports.push_back(p); }));
        EXPECT_EQ(reports, n == 3000 ? std::vector<int>{70} : std::vector<int>{}) << n;
        ASSERT_TRUE(Process940(*r, *t)); // no callback, no report
    }
}

} // namespace
} // namespace rebar

// The automatic marker detection: the background estimate, the peak-row profile and its
// continuity filter, the apex search on hand-made profiles, whole runs on scangen scenes of
// both families, and how a run is written into the record.

#include "processing/AutoMarker.h"
#include "processing/Detection.h"
#include "processing/DetectionScenes.h"
#include "processing/ProcessRecords.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace rebar {
namespace {

using F730 = Family730;

// A profile P[1..n] of zeros.
std::vector<int32_t> profile(int n) {
    return std::vector<int32_t>(static_cast<size_t>(n) + 1, 0);
}
// Lays a symmetric V of apex row `row` at trace `apex` over traces apex - w .. apex + w,
// `slope` rows deeper per trace.
void addV(std::vector<int32_t>& P, int apex, int row, int w = 15, int slope = 1) {
    for (int i = apex - w; i <= apex + w; ++i)
        if (i >= 1 && i < static_cast<int>(P.size()))
            P[static_cast<size_t>(i)] = row + slope * std::abs(i - apex);
}
AutoMarkerGrid grid(int S) {
    AutoMarkerGrid g;
    g.S = S;
    return g;
}

TEST(AutoMarkerGrid, ConstantsFollowTheRowCount) {
    EXPECT_EQ(grid(1024).jumpLimit(), 26);
    EXPECT_EQ(grid(768).jumpLimit(), 19);
    EXPECT_DOUBLE_EQ(grid(1024).scale(), 11.71875);
    EXPECT_DOUBLE_EQ(grid(768).largestStep(), 639.936);
    EXPECT_DOUBLE_EQ(grid(1024).minimumRise(), 2.56);
}

TEST(EstimateBackground, AveragesTheTwoSmallestNonNegativeDeviationsOfWholeBlocks) {
    auto r = test::makeRecord<F730>(250);
    Matrix<int16_t>& D = r->Samples730;
    // Row 10: every deviation negative except a few; row 2 and row 1024 likewise.
    for (int t = 1; t <= 250; ++t)
        for (int k : {2, 10, 1024})
            D(t, k) = 2040;
    D(3, 10) = 2048 + 10; // block 0: 10 and 14 -> 12
    D(7, 10) = 2048 + 14;
    D(9, 10) = 2048 + 30;
    D(150, 10) = 2048 + 9; // block 1: only 9 -> round(4.5) = 4
    D(220, 10) = 2048;     // after the last whole block: no part
    for (int t : {5, 6, 105, 106})
        D(t, 2) = 2048 + 9; // A(2) = 9
    for (int t : {5, 6, 105, 106})
        D(t, 1024) = 2048 + 6; // A(1024) = 6
    D(0, 10) = 2048;

    std::vector<int32_t> bg;
    DetectionProgress progress{{}, 1};
    ASSERT_TRUE(EstimateBackground(D, 250, 1024, bg, progress));
    EXPECT_EQ(progress.value, 85);
    // A(10) = round((12 + 4) / 2) = 8, spread over rows 8..12 with divisor 4.
    for (int k = 8; k <= 12; ++k)
        EXPECT_EQ(bg[static_cast<size_t>(k)], 2048 + 2) << k;
    EXPECT_EQ(bg[7], 2048);
    EXPECT_EQ(bg[13], 2048);
    // Edge rows divide by the number of terms minus one: row 1 sums A(0..3) over 3.
    EXPECT_EQ(bg[1], 2048 + 3);
    EXPECT_EQ(bg[2], 2048 + 2); // 9 / 4
    EXPECT_EQ(bg[4], 2048 + 2);
    EXPECT_EQ(bg[5], 2048);
    EXPECT_EQ(bg[1024], 2048 + 3); // A(1022..1024) / 2
    EXPECT_EQ(bg[1023], 2048 + 2); // 6 / 3
    EXPECT_EQ(bg[1022], 2048 + 2); // 6 / 4 = 1.5 -> 2
}

TEST(EstimateBackground, FewerThanOneBlockLeavesTheReferenceTrace) {
    auto r = test::makeRecord<F730>(99);
    Matrix<int16_t>& D = r->Samples730;
    for (int k = 1; k <= 1024; ++k) {
        D(0, k) = static_cast<int16_t>(2000 + k % 97);
        for (int t = 1; t <= 99; ++t)
            D(t, k) = static_cast<int16_t>(2100 + (t * k) % 13);
    }
    std::vector<int32_t> bg;
    DetectionProgress progress{{}, 1};
    ASSERT_TRUE(EstimateBackground(D, 99, 1024, bg, progress));
    for (int k = 1; k <= 1024; ++k)
        ASSERT_EQ(bg[static_cast<size_t>(k)], D(0, k)) << k;
    EXPECT_EQ(progress.value, 85);
}

TEST(PeakRowOf, TakesTheMiddleOfTheFirstRunOfEqualMaxima) {
    std::vector<int32_t> v(21, 0);
    EXPECT_EQ(PeakRowOf(v.data(), 20), 0);
    v[5] = 54; // below the minimum peak
    EXPECT_EQ(PeakRowOf(v.data(), 20), 0);
    v[5] = 55;
    EXPECT_EQ(PeakRowOf(v.data(), 20), 5);
    v[6] = v[7] = 55; // rows 5..7: the middle
    EXPECT_EQ(PeakRowOf(v.data(), 20), 6);
    v[8] = 55; // rows 5..8: the upper of the two middle rows
    EXPECT_EQ(PeakRowOf(v.data(), 20), 6);
    v[12] = v[13] = v[14] = 55; // a second run does not count
    EXPECT_EQ(PeakRowOf(v.data(), 20), 6);
    v[20] = 56; // a new maximum at the last row
    EXPECT_EQ(PeakRowOf(v.data(), 20), 20);
}

TEST(ContinuityFilter, ClearsRunsShorterThan25TracesWhereverTheyLie) {
    // Runs: 1..30 at row 100, 31..54 at row 300 (24 traces), 55..79 at row 100 (25), then
    // 80..103 at row 500 (24, at the end of the profile).
    std::vector<int32_t> P = profile(103);
    for (int i = 1; i <= 103; ++i)
        P[static_cast<size_t>(i)] = i <= 30 ? 100 + i % 3 : i <= 54 ? 300 : i <= 79 ? 100 : 500;
    std::vector<int32_t> kept = P;
    ApplyContinuityFilter(P, 26);
    for (int i = 1; i <= 103; ++i) {
        const bool cleared = (i >= 31 && i <= 54) || i >= 80;
        EXPECT_EQ(P[static_cast<size_t>(i)], cleared ? 0 : kept[static_cast<size_t>(i)]) << i;
    }
    // A change of exactly the jump limit continues a run; one more breaks it.
    std::vector<int32_t> Q = profile(50);
    for (int i = 1; i <= 50; ++i)
        Q[static_cast<size_t>(i)] = i <= 25 ? 200 : 226;
    ApplyContinuityFilter(Q, 26);
    EXPECT_EQ(Q[1], 200);
    for (int i = 26; i <= 50; ++i)
        Q[static_cast<size_t>(i)] = 227;
    ApplyContinuityFilter(Q, 26);
    EXPECT_EQ(Q[1], 200);
    EXPECT_EQ(Q[50], 227);
    Q[25] = 200;
    for (int i = 26; i <= 49; ++i)
        Q[static_cast<size_t>(i)] = 227; // a run of 24 after a jump of 27
    Q[50] = 0;
    ApplyContinuityFilter(Q, 26);
    EXPECT_EQ(Q[26], 0);
}

TEST(FindApexes, AcceptsAnApexBelowRow30Only) {
    // Flanks steep enough that no window beside the apex scores below the limit.
    for (int row : {30, 31}) {
        std::vector<int32_t> P = profile(100);
        addV(P, 50, row, 40, 3);
        const auto found = FindApexes(P, grid(1024));
        if (row == 30) {
            EXPECT_TRUE(found.empty());
        } else {
            ASSERT_EQ(found.size(), 1u);
            EXPECT_EQ(found[0], (DetectedApex{50, 31}));
        }
    }
}

TEST(FindApexes, TakesAShallowApexsNeighbourWhenItsWindowScoresWell) {
    // Gentle flanks: the apex at row 30 is refused, and a later trigger's best window is the
    // one beside it, whose middle lies at row 31.
    std::vector<int32_t> P = profile(100);
    addV(P, 50, 30, 40);
    const auto found = FindApexes(P, grid(1024));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], (DetectedApex{51, 31}));
}

TEST(FindApexes, NeedsAFullWindowOfPeaksAndDeeperEnds) {
    std::vector<int32_t> P = profile(100);
    addV(P, 50, 100, 40);
    P[40] = 0; // a trace without peak inside every window around 50
    EXPECT_TRUE(FindApexes(P, grid(1024)).empty());

    // Ends only 2 rows deeper than the middle: below the minimum rise of 2.56 rows (1024
    // rows) but above the 1.92 rows of the 768-row grid.
    std::vector<int32_t> flat = profile(100);
    for (int i = 35; i <= 65; ++i)
        flat[static_cast<size_t>(i)] = 100 + (std::abs(i - 50) >= 12 ? 2 : std::abs(i - 50) >= 1);
    EXPECT_TRUE(FindApexes(flat, grid(1024)).empty());
    EXPECT_EQ(FindApexes(flat, grid(768)).size(), 1u);
}

TEST(FindApexes, ExaminesNothingOnShortProfilesAndStopsAt99Markers) {
    std::vector<int32_t> shortP = profile(26);
    addV(shortP, 13, 100, 13);
    EXPECT_TRUE(FindApexes(shortP, grid(1024)).empty());

    std::vector<int32_t> P = profile(120 * 40 + 40);
    for (int k = 0; k < 120; ++k)
        addV(P, 30 + 40 * k, 100 + k % 7, 19);
    const auto found = FindApexes(P, grid(1024));
    ASSERT_EQ(found.size(), 99u);
    for (int k = 0; k < 99; ++k)
        EXPECT_EQ(found[static_cast<size_t>(k)], (DetectedApex{30 + 40 * k, 100 + k % 7}));
}

TEST(AutoMarker, FindsTheBarsOfBothFamilies) {
    const scangen::Scene s = test::barScene(8.0, 200, 6, {40, 60, 80, 100}, 0.01);
    for (bool f940 : {false, true}) {
        auto rec = test::readScene(s, f940);
        ASSERT_TRUE(rec);
        const AutoMarkerResult r = ComputeAutoMarker(*rec, false);
        ASSERT_TRUE(r.ok) << r.reason.toStdString();
        EXPECT_EQ(r.stepOk, (std::array<bool, 4>{true, true, true, true}));
        ASSERT_EQ(r.apexes.size(), s.bars.size()) << f940;
        for (size_t i = 0; i < s.bars.size(); ++i) {
            EXPECT_NEAR(r.apexes[i].x, test::apexTrace(s.bars[i], s), 2) << f940 << " bar " << i;
            // The apex row on the family's grid: double-density sample, or raw row.
            const double dd = s.apexSample(s.bars[i].coverMm);
            const double row = f940 ? (dd + 1) / 2 : dd;
            EXPECT_NEAR(r.apexes[i].y, row, f940 ? 2 : 3) << f940 << " bar " << i;
        }
    }
}

TEST(AutoMarker, FromTheEndOnASymmetricLineNumbersTheSameApexesFromTheEnd) {
    // Bars mirrored about the middle of a 600-trace line, no noise and a steady surface wave:
    // the profile reads the same both ways.
    scangen::Scene s;
    s.traces = 600;
    s.er = 7.4;
    s.surfaceDrift = 0;
    s.markBars = false;
    const double length = (s.traces - 1) * s.pitchMm;
    for (double x : {200.0, 450.0, 700.0})
        for (double at : {x, length - x})
            s.bars.push_back({at, 50});
    auto rec = test::readScene(s, false);
    ASSERT_TRUE(rec);
    const AutoMarkerResult start = ComputeAutoMarker(*rec, false);
    const AutoMarkerResult end = ComputeAutoMarker(*rec, true);
    ASSERT_EQ(start.apexes.size(), 6u);
    ASSERT_EQ(end.apexes.size(), 6u);
    EXPECT_GT(end.apexes.front().x, end.apexes.back().x); // marker 1 nearest trace N
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(end.apexes[i].x, start.apexes[5 - i].x);
        EXPECT_EQ(end.apexes[i].y, start.apexes[5 - i].y);
    }
}

TEST(AutoMarker, ReportsProgressInItsFixedSteps) {
    auto rec = test::readScene(test::barScene(8.0, 200, 2, {50}), true);
    ASSERT_TRUE(rec);
    std::vector<int> seen;
    ComputeAutoMarker(*rec, false, [&](int p) { seen.push_back(p); });
    std::vector<int> expected;
    for (int v = 8; v <= 85; v += 7)
        expected.push_back(v);
    expected.insert(expected.end(), {90, 95, 100});
    EXPECT_EQ(seen, expected);
}

TEST(AutoMarker, AFailingStepDoesNotStopTheRun) {
    // A 940 reference sample so far from a measured one that their deviation leaves 32 bits:
    // the background fails and stays 0, and the later steps still run.
    auto rec = test::readScene(test::barScene(8.0, 200, 2, {50}), true);
    ASSERT_TRUE(rec);
    rec->Raw940(0, 700) = -2100000000;
    rec->Raw940(50, 700) = 50000000;
    const AutoMarkerResult r = ComputeAutoMarker(*rec, false);
    EXPECT_FALSE(r.stepOk[0]);
    EXPECT_TRUE(r.stepOk[1] && r.stepOk[2] && r.stepOk[3]);
    EXPECT_TRUE(r.ok);
}

TEST(DetectionRun, WritesTheMarkersOfEachFamilyTheirWay) {
    const scangen::Scene s = test::barScene(8.0, 200, 3, {50});
    auto r730 = test::readScene(s, false);
    auto r940 = test::readScene(s, true);
    ASSERT_TRUE(r730 && r940);

    // 730: the list becomes exactly the apexes, trace counted from 0.
    r730->Markers730 = {{5, 5}};
    const DetectionRun a = RunAutoMarker(*r730, false, 0);
    ASSERT_TRUE(ApplyDetection(*r730, a));
    ASSERT_EQ(r730->Markers730.size(), 3u);
    EXPECT_EQ(r730->Markers730[0].Position, a.markers[0].x - 1);
    EXPECT_EQ(r730->Markers730[0].Sample, a.markers[0].y);
    EXPECT_EQ(r730->Modified, FlagTrue);

    // 940: only the chosen group, slots from 1 in order.
    r940->Marks940[0][7] = {FlagTrue, 1, 1};
    r940->Marks940[2][50] = {FlagTrue, 9, 9};
    const DetectionRun b = RunAutoMarker(*r940, false, 2);
    ASSERT_TRUE(ApplyDetection(*r940, b));
    EXPECT_EQ(r940->Marks940[0][7].InUse, FlagTrue);
    EXPECT_EQ(r940->Marks940[2][50].InUse, 0);
    ASSERT_EQ(b.markers.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        const Mark940& m = r940->Marks940[2][static_cast<size_t>(k + 1)];
        EXPECT_EQ(m.InUse, FlagTrue);
        EXPECT_EQ(m.X, b.markers[static_cast<size_t>(k)].x - 1); // the trace counted from 0
        EXPECT_EQ(m.Y, b.markers[static_cast<size_t>(k)].y);
    }
    EXPECT_EQ(r940->Marks940[2][4].InUse, 0);
}

TEST(DetectionRun, ShortScansFindNothing730FailsAnd940EmptiesTheGroup) {
    scangen::Scene s = test::barScene(8.0, 200, 1, {50});
    s.traces = 26;
    s.bars = {{30, 50}};
    auto r730 = test::readScene(s, false);
    auto r940 = test::readScene(s, true);
    ASSERT_TRUE(r730 && r940);
    r730->Markers730 = {{3, 100}, {9, 200}};
    const DetectionRun a = RunAutoMarker(*r730, false, 0);
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.messageKey, 0); // nothing found is not reported
    EXPECT_FALSE(ApplyDetection(*r730, a));
    ASSERT_EQ(r730->Markers730.size(), static_cast<size_t>(FreeMarkers730));
    for (const Marker730& m : r730->Markers730)
        EXPECT_TRUE(m.isFree());
    EXPECT_EQ(r730->Modified, 0);

    r940->Marks940[1][3] = {FlagTrue, 4, 4};
    const DetectionRun b = RunAutoMarker(*r940, false, 1);
    EXPECT_TRUE(ApplyDetection(*r940, b));
    EXPECT_EQ(r940->Marks940[1][3].InUse, 0);
    EXPECT_EQ(r940->Modified, FlagTrue);
}

TEST(DetectionRun, ARecordWithoutSamplesOrABadGroupIsRefusedAndKeepsItsMarkers) {
    MeasurementRecord empty;
    empty.FileKind = KindRdd;
    empty.Markers730 = {{3, 100}};
    const DetectionRun a = RunAutoMarker(empty, false, 0);
    EXPECT_TRUE(a.refused);
    EXPECT_EQ(a.messageKey, 18);
    EXPECT_FALSE(ApplyDetection(empty, a));
    EXPECT_EQ(empty.Markers730.size(), 1u);

    auto r940 = test::readScene(test::barScene(8.0, 200, 1, {50}), true);
    ASSERT_TRUE(r940);
    EXPECT_TRUE(RunAutoMarker(*r940, false, 3).refused);
}

TEST(AutoMarkerTexts, QuestionCaptionAndMessageInBothLanguages) {
    const DetectionTexts en = AutoMarkerTexts(false, false, 0);
    EXPECT_EQ(en.confirmation,
              QStringLiteral("Group0Is an automatic marker performed?\r\n"
                             "If it performs, the present marker will eliminate."));
    EXPECT_EQ(en.caption, QStringLiteral("Auto Marker"));
    EXPECT_EQ(en.label,
              QStringLiteral("Is the marker position detection processing. Please wait."));
    EXPECT_EQ(AutoMarkerTexts(true, false, 2).confirmation,
              QStringLiteral("自動マーカを実行しますか？\r\n実行すると現在のマーカは消去します"));
    const DetectionTexts jp = AutoMarkerTexts(true, true, 2);
    EXPECT_EQ(jp.confirmation,
              QStringLiteral(
                  "グループ2自動マーカを実行しますか？\r\n実行すると現在のマーカは消去します"));
    EXPECT_EQ(jp.caption, QStringLiteral("自動マーカ"));
    EXPECT_EQ(jp.label, QStringLiteral("マーカ位置検出処理中です、しばらくお待ちください"));
}

} // namespace
} // namespace rebar

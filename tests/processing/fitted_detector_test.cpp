// The fitted detector: the hyperbola fit on its own, whole runs on scangen scenes of both
// families (positions, covers and the permittivity against the scene's truth), the records it
// refuses, and the scene model's echoes it relies on.

#include "processing/Detection.h"
#include "processing/DetectionScenes.h"
#include "processing/FittedDetector.h"
#include "processing/HyperbolaFit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace rebar {
namespace {

std::vector<EchoPoint> curvePoints(double x0, double tau, double C, double t0) {
    std::vector<EchoPoint> pts;
    for (double x = -60; x <= 60; x += 2.5)
        pts.push_back({x, t0 + std::sqrt(tau * tau + C * (x - x0) * (x - x0))});
    return pts;
}

TEST(HyperbolaFit, RecoversTheCurveAndLeavesOutFarPoints) {
    const double t0 = 0.25;
    std::vector<EchoPoint> pts = curvePoints(7.3, 0.8, 3.5e-4, t0);
    Hyperbola h = FitHyperbola(pts, t0, 0.01);
    ASSERT_TRUE(h.ok);
    EXPECT_NEAR(h.x0, 7.3, 1e-6);
    EXPECT_NEAR(h.tau, 0.8, 1e-9);
    EXPECT_NEAR(h.C, 3.5e-4, 1e-12);
    EXPECT_EQ(h.used, static_cast<int>(pts.size()));

    pts[3].t += 0.3; // two echoes of something else
    pts[30].t -= 0.2;
    h = FitHyperbola(pts, t0, 0.01);
    ASSERT_TRUE(h.ok);
    EXPECT_EQ(h.used, static_cast<int>(pts.size()) - 2);
    EXPECT_NEAR(h.C, 3.5e-4, 1e-10);
    EXPECT_NEAR(h.at(7.3, t0), t0 + 0.8, 1e-9);

    pts.resize(3);
    EXPECT_FALSE(FitHyperbola(pts, t0, 0.01).ok);
    EXPECT_FALSE(FitHyperbola({{0, 0.1}, {1, 0.2}, {2, 0.3}, {3, 0.4}}, 0.25, 0.01).ok);
}

TEST(FittedDetector, FindsEveryBarWithItsCoverAndThePermittivity) {
    for (bool f940 : {false, true})
        for (double er : {5.0, 10.0}) {
            const scangen::Scene s = test::barScene(er, 150, 6, {35, 70, 110, 55}, 0.05);
            auto rec = test::readScene(s, f940);
            ASSERT_TRUE(rec);
            const FittedDetection fit = DetectFitted(*rec, test::generatedTables());
            ASSERT_TRUE(fit.ok) << fit.reason.toStdString();
            ASSERT_EQ(fit.bars.size(), s.bars.size()) << f940 << " er " << er;
            for (size_t i = 0; i < s.bars.size(); ++i) {
                const FittedBar& b = fit.bars[i];
                EXPECT_NEAR(b.positionMm, s.bars[i].distanceMm, 2.5) << f940 << " bar " << i;
                EXPECT_NEAR(b.apex.x, test::apexTrace(s.bars[i], s), 1) << f940 << " bar " << i;
                EXPECT_NEAR(b.depthMm, s.bars[i].coverMm, 2.0) << f940 << " bar " << i;
                EXPECT_NEAR(b.permittivity, er, 0.1 * er);
                EXPECT_GT(b.permittivitySigma, 0);
                EXPECT_GT(b.confidence, FittedConfidentFrom);
                EXPECT_LE(b.confidence, 1.0);
            }
            EXPECT_EQ(fit.confidentBars, 6);
            EXPECT_NEAR(fit.permittivity, er, 0.03 * er) << f940;
            EXPECT_NEAR(fit.permittivitySetting, er, 0.03 * er + 0.05);
            EXPECT_DOUBLE_EQ(fit.permittivitySetting * 10,
                             std::round(fit.permittivitySetting * 10));
        }
}

TEST(FittedDetector, MarkersOfAFittedRunAreTheBarsApexes) {
    const scangen::Scene s = test::barScene(8.0, 200, 3, {50});
    auto rec = test::readScene(s, true);
    ASSERT_TRUE(rec);
    const DetectionRun run = RunDetection(*rec, test::generatedTables(), DetectionMode::Fitted, 1);
    ASSERT_TRUE(run.ok);
    ASSERT_EQ(run.markers.size(), 3u);
    ASSERT_TRUE(ApplyDetection(*rec, run));
    for (int k = 0; k < 3; ++k) {
        const Mark940& m = rec->Marks940[1][static_cast<size_t>(k + 1)];
        EXPECT_EQ(m.InUse, FlagTrue);
        EXPECT_EQ(m.X, run.fit.bars[static_cast<size_t>(k)].apex.x - 1);
        EXPECT_EQ(m.Y, run.fit.bars[static_cast<size_t>(k)].apex.y);
    }
}

TEST(FittedDetector, AGroupTakesTheFirst99Bars) {
    const scangen::Scene s = test::barScene(8.0, 100, 110, {45, 60});
    auto rec = test::readScene(s, true);
    ASSERT_TRUE(rec);
    const DetectionRun run = RunDetection(*rec, test::generatedTables(), DetectionMode::Fitted, 0);
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.fit.bars.size(), 110u);
    ASSERT_EQ(run.markers.size(), 99u);
    EXPECT_EQ(run.markers.back().x, run.fit.bars[98].apex.x);
}

TEST(FittedDetector, AScanWithoutBarsGivesNoMarkersAndSaysSo) {
    scangen::Scene s = test::barScene(8.0, 200, 1, {50}, 0.05);
    s.bars.clear();
    for (bool f940 : {false, true}) {
        auto rec = test::readScene(s, f940);
        ASSERT_TRUE(rec);
        rec->Markers730 = {{10, 100}};
        const DetectionRun run =
            RunDetection(*rec, test::generatedTables(), DetectionMode::Fitted, 0);
        EXPECT_TRUE(run.fit.bars.empty());
        EXPECT_EQ(run.messageKey, 23);
        EXPECT_EQ(run.ok, f940); // an empty 730 list is a failed run
        ApplyDetection(*rec, run);
        if (!f940) {
            EXPECT_EQ(rec->Markers730.size(), static_cast<size_t>(FreeMarkers730));
        }
    }
}

TEST(FittedDetector, RefusesScansItCannotMeasureBeforeAnythingChanges) {
    auto rec = test::readScene(test::barScene(8.0, 200, 2, {50}), false);
    ASSERT_TRUE(rec);
    rec->Markers730 = {{10, 100}};
    rec->XScale = 1; // recorded by time: no trace pitch
    DetectionRun run = CheckDetection(*rec, test::generatedTables(), DetectionMode::Fitted, 0);
    EXPECT_TRUE(run.refused);
    EXPECT_EQ(run.messageKey, 26);
    run = RunDetection(*rec, test::generatedTables(), DetectionMode::Fitted, 0);
    EXPECT_TRUE(run.refused);
    EXPECT_FALSE(ApplyDetection(*rec, run));
    EXPECT_EQ(rec->Markers730.size(), 1u);
    // The standard detection needs no distance.
    EXPECT_FALSE(
        CheckDetection(*rec, test::generatedTables(), DetectionMode::FromStart, 0).refused);

    rec->XScale = 0;
    const CalibrationTables none;
    EXPECT_EQ(CheckDetection(*rec, none, DetectionMode::Fitted, 0).messageKey, 18);
    EXPECT_FALSE(CheckDetection(*rec, test::generatedTables(), DetectionMode::Fitted, 0).refused);
}

TEST(SceneEchoes, ABarsStrongestLobeIsPositiveUnlessTurnedOver) {
    scangen::Scene s = test::barScene(8.0, 200, 1, {60});
    s.surfaceDrift = 0;
    const int apexTrace = static_cast<int>(test::apexTrace(s.bars[0], s));
    const double raw = (s.apexSample(60) + 1) / 2; // raw sample of the apex
    const int j = static_cast<int>(std::lround(raw));
    std::vector<double> bar(769), surface(769);
    for (int polarity : {1, -1}) {
        s.barPolarity = polarity;
        s.renderTrace(apexTrace, 768, bar.data());
        s.renderTrace(0, 768, surface.data());
        const double echo = bar[static_cast<size_t>(j)] - surface[static_cast<size_t>(j)];
        EXPECT_GT(echo * polarity, 0.2);
        // The lobes beside it are weaker and of the other sign.
        const double side = bar[static_cast<size_t>(j + 10)] - surface[static_cast<size_t>(j + 10)];
        EXPECT_LT(side * polarity, 0);
        EXPECT_LT(std::fabs(side), std::fabs(echo));
    }
}

TEST(SceneEchoes, TheSurfaceWaveChangesAlongTheLine) {
    scangen::Scene s;
    s.traces = 400;
    s.surfaceDrift = 0.1;
    s.surfaceShiftNs = 0.02;
    std::vector<double> a(769), b(769);
    // The surface wave's peak moves and changes height between two places on the line.
    auto peak = [&](int trace, std::vector<double>& v) {
        s.renderTrace(trace, 768, v.data());
        size_t at = 1;
        for (size_t k = 1; k < v.size(); ++k)
            if (std::fabs(v[k]) > std::fabs(v[at]))
                at = k;
        return std::make_pair(at, std::fabs(v[at]));
    };
    // At 0 mm, at 175 mm (the height's crest) and at 670 mm (the earliest arrival).
    const auto p1 = peak(1, a), p2 = peak(71, b), p3 = peak(269, b);
    EXPECT_GT(std::fabs(p1.second - p2.second), 0.05);
    EXPECT_LE(p3.first + 2, p1.first);
}

} // namespace
} // namespace rebar

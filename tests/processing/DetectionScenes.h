#pragma once
// Records for the detection tests: scenes written by scangen and read back with the program's
// own reader (so the 730 double density is the reader's), and the generated calibration
// tables.

#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"
#include "scangen/Scene.h"
#include "scangen/SceneFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace rebar::test {

// The scene as an RDD (730) or ZVX (940) file, read back; null when either step fails.
inline std::unique_ptr<MeasurementRecord> readScene(const scangen::Scene& s, bool family940) {
    Scratch dir;
    return scangen::readSceneBack(
        s, family940, dir.path(family940 ? QStringLiteral("S.ZVX") : QStringLiteral("S.RDD")));
}

// A slab line with bars every `spacing` mm from 150 mm on at the given covers in turn.
inline scangen::Scene barScene(double er, double spacing, int bars,
                               std::initializer_list<double> covers, double noise = 0) {
    scangen::Scene s;
    s.er = er;
    s.noise = noise;
    s.seed = 17;
    s.markBars = false;
    const std::vector<double> c(covers);
    for (int i = 0; i < bars; ++i)
        s.bars.push_back({150.0 + spacing * i, c[static_cast<size_t>(i) % c.size()]});
    s.traces = static_cast<int>((300.0 + spacing * (bars - 1)) / s.pitchMm) + 1;
    return s;
}

// The trace of a bar's apex (traces are 2.5 mm apart, trace 1 at 0 mm).
inline double apexTrace(const scangen::SceneBar& b, const scangen::Scene& s) {
    return b.distanceMm / s.pitchMm + 1;
}

inline const CalibrationTables& generatedTables() {
    static const auto t = [] {
        auto t = std::make_unique<CalibrationTables>();
        QString error;
        EXPECT_TRUE(LoadCalibrationTables(*t, systemData(), &error)) << error.toStdString();
        return t;
    }();
    return *t;
}

} // namespace rebar::test

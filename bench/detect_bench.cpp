// Marker detection on long scans: the automatic marker detection (from the start and from the
// end) and the fitted detector on an 8 000-trace ZVX file and a 20 000-trace RDD file, each
// read once with the program's reader; and the bare read of every input sample of the
// detection grid as the floor.
#include "config/CalibrationTables.h"
#include "config/SystemPaths.h"
#include "processing/Detection.h"
#include "scangen/Scene.h"
#include "scangen/SceneFile.h"

#include "BenchSupport.h"
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace rebar;

namespace {

// A long line over a deck: bars every 150 mm at changing covers, light noise and a surface
// wave that wanders.
scangen::Scene longScene(int traces) {
    scangen::Scene s;
    s.traces = traces;
    s.er = 8.0;
    s.noise = 0.02;
    s.slabMm = 250;
    s.surfaceDrift = 0.08;
    s.surfaceShiftNs = 0.008;
    s.markBars = false;
    for (double x = 150; x < traces * 2.5 - 150; x += 150)
        s.bars.push_back({x, 35.0 + static_cast<int>(x / 150) % 6 * 15.0});
    return s;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "detect_bench: %s\n", what);
    std::abort();
}

std::unique_ptr<MeasurementRecord> readScene(const scangen::Scene& s, const QString& name) {
    static QTemporaryDir dir;
    auto rec = scangen::readSceneBack(s, name.endsWith(QLatin1String(".ZVX")), dir.filePath(name));
    if (!rec)
        fail("cannot write or read the bench file");
    return rec;
}

const MeasurementRecord& zvx8000() {
    static const auto rec = readScene(longScene(8000), QStringLiteral("DECK.ZVX"));
    return *rec;
}
const MeasurementRecord& rdd20000() {
    static const auto rec = readScene(longScene(20000), QStringLiteral("DECK.RDD"));
    return *rec;
}
const CalibrationTables& tables() {
    static const auto t = [] {
        auto t = std::make_unique<CalibrationTables>();
        if (!LoadCalibrationTables(*t, systemDataDir()))
            fail("cannot read the calibration tables");
        return t;
    }();
    return *t;
}

void detect(benchmark::State& state, const MeasurementRecord& rec, DetectionMode mode) {
    size_t markers = 0;
    for (auto _ : state) {
        const DetectionRun run = RunDetection(rec, tables(), mode, 0);
        if (!run.ok)
            state.SkipWithError(qPrintable(run.reason));
        markers = run.markers.size();
        benchmark::DoNotOptimize(run.markers.data());
    }
    state.counters["markers"] = static_cast<double>(markers);
    state.counters["traces"] = rec.TraceCount;
}

template <class F> void floorRead(benchmark::State& state, const MeasurementRecord& rec) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            bench::sumMatrix<F, F::DetectionRows>(F::detectionInput(rec), rec.TraceCount));
}

void BM_Zvx8000_ReadDetectionSamples(benchmark::State& s) {
    floorRead<Family940>(s, zvx8000());
}
void BM_Zvx8000_AutoMarkerFromStart(benchmark::State& s) {
    detect(s, zvx8000(), DetectionMode::FromStart);
}
void BM_Zvx8000_AutoMarkerFromEnd(benchmark::State& s) {
    detect(s, zvx8000(), DetectionMode::FromEnd);
}
void BM_Zvx8000_Fitted(benchmark::State& s) {
    detect(s, zvx8000(), DetectionMode::Fitted);
}
void BM_Rdd20000_ReadDetectionSamples(benchmark::State& s) {
    floorRead<Family730>(s, rdd20000());
}
void BM_Rdd20000_AutoMarkerFromStart(benchmark::State& s) {
    detect(s, rdd20000(), DetectionMode::FromStart);
}
void BM_Rdd20000_AutoMarkerFromEnd(benchmark::State& s) {
    detect(s, rdd20000(), DetectionMode::FromEnd);
}
void BM_Rdd20000_Fitted(benchmark::State& s) {
    detect(s, rdd20000(), DetectionMode::Fitted);
}

} // namespace

BENCHMARK(BM_Zvx8000_ReadDetectionSamples)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zvx8000_AutoMarkerFromStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zvx8000_AutoMarkerFromEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zvx8000_Fitted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rdd20000_ReadDetectionSamples)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rdd20000_AutoMarkerFromStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rdd20000_AutoMarkerFromEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rdd20000_Fitted)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return rebar::bench::runBenchmarks(argc, argv);
}

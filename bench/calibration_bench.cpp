// Start-up load of the calibration and colour tables from the generated SystemData: the whole
// load, and the share of it spent on the ten 940 colour CSVs (655 370 lines).
//
//   build-calib/bin/calibration_bench [--benchmark_repetitions=5]
//
// SystemData is the folder beside the executable, or REBAR_SYSTEMDATA.

#include "config/CalibrationTables.h"
#include "config/SystemPaths.h"

#include "BenchSupport.h"
#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace rebar;

void BM_LoadCalibrationTables(benchmark::State& state) {
    const QString dir = systemDataDir();
    for (auto _ : state) {
        CalibrationTables t;
        QString error;
        if (!LoadCalibrationTables(t, dir, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(t.ColorTable940.data());
    }
}
BENCHMARK(BM_LoadCalibrationTables)->Unit(benchmark::kMillisecond);

void BM_LoadColorTable940(benchmark::State& state) {
    const QString dir = systemDataDir();
    for (auto _ : state) {
        CalibrationTables t;
        QString error;
        if (!LoadColorTable940(t, dir, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(t.ColorTable940.data());
    }
    state.counters["lines/s"] =
        benchmark::Counter(10.0 * 65537, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadColorTable940)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return rebar::bench::runBenchmarks(argc, argv);
}

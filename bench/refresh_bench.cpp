// A full view refresh (process, render with strip and markers, depth axis) of the largest
// files a view holds, written by scangen and read by the program's readers: 20 000 traces of
// the 730 family in every view range, and 8 000 traces of the 940 family in mode 1 and in
// mode 6 (automatic sensitivity, first run). The floor is one pass that only reads every sample
// of both input matrices. ShowImage is one scroll step of a 1 200-pixel-wide picture.
//
//   build/bin/refresh_bench [--benchmark_repetitions=5]

#include "config/CalibrationTables.h"
#include "config/SystemPaths.h"
#include "data/Family.h"
#include "data/FileOpen.h"
#include "scangen/Writers.h"
#include "view/ViewLayout.h"
#include "view/ViewRefresh.h"

#include "BenchSupport.h"
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <memory>

using namespace rebar;

namespace {

const CalibrationTables& tables() {
    static const std::unique_ptr<CalibrationTables> t = [] {
        auto c = std::make_unique<CalibrationTables>();
        QString error;
        if (!LoadCalibrationTables(*c, systemDataDir(), &error))
            std::fprintf(stderr, "tables: %s\n", error.toUtf8().constData());
        return c;
    }();
    return *t;
}

scangen::Scene scene(int traces) {
    scangen::Scene s;
    s.traces = traces;
    s.er = 8.0;
    s.noise = 0.01;
    s.seed = 3;
    for (double x = 120; x < traces * s.pitchMm; x += 180)
        s.bars.push_back({x, 30 + std::fmod(x * 0.37, 90.0)});
    return s;
}

// The record of a file written by scangen and read back by the program's reader.
std::unique_ptr<MeasurementRecord> readScene(scangen::Format format, int traces,
                                             const QString& name) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QString error;
    auto r = std::make_unique<MeasurementRecord>();
    if (!scangen::writeScene(scene(traces), format, path, &error)) {
        std::fprintf(stderr, "scangen: %s\n", error.toUtf8().constData());
        return r;
    }
    int16_t maxTraces = 6000;
    ReadContext ctx;
    ctx.MaxTraces = &maxTraces;
    if (!ReadMeasurementPath(*r, path, ctx))
        std::fprintf(stderr, "cannot read %s\n", path.toUtf8().constData());
    r->Permittivity = 8.0;
    r->Gain = 3;
    r->GainMode = 0;
    r->PeakFlag = 0;
    return r;
}

MeasurementRecord& record730() {
    static auto r = readScene(scangen::Format::Rdd, 20000, "BENCH.RDD");
    return *r;
}

MeasurementRecord& record940() {
    static auto r = readScene(scangen::Format::Zvx, 8000, "BENCH.ZVX");
    return *r;
}

template <class F> void floorOf(benchmark::State& state, const MeasurementRecord& r) {
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::sumInputs<F>(r));
}

void refresh(benchmark::State& state, MeasurementRecord& r, bool firstAutoRun) {
    if (r.TraceCount == 0) {
        state.SkipWithError("no record");
        return;
    }
    ViewImages images;
    std::vector<int32_t> rows;
    QImage axis;
    for (auto _ : state) {
        if (firstAutoRun)
            r.AutoGainReady = 0;
        if (!ProcessView(r, tables(), {}) || !RenderView(r, tables(), images, {}) ||
            !DrawViewDepthAxis(r, tables(), rows, axis)) {
            state.SkipWithError("refresh failed");
            break;
        }
    }
}

void BM_Floor730(benchmark::State& state) {
    floorOf<Family730>(state, record730());
}
BENCHMARK(BM_Floor730)->Unit(benchmark::kMillisecond);

void BM_Refresh730(benchmark::State& state) {
    MeasurementRecord& r = record730();
    r.ViewRange = static_cast<int16_t>(state.range(0));
    r.ProcCode = 1;
    refresh(state, r, false);
}
BENCHMARK(BM_Refresh730)->ArgName("range")->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_Floor940(benchmark::State& state) {
    floorOf<Family940>(state, record940());
}
BENCHMARK(BM_Floor940)->Unit(benchmark::kMillisecond);

// Argument: the processing mode, 1 (fixed surface-wave removal) or 6 (automatic sensitivity,
// computed afresh in every run as after loading).
void BM_Refresh940(benchmark::State& state) {
    MeasurementRecord& r = record940();
    r.ViewRange = 1;
    r.ProcCode = static_cast<int16_t>(state.range(0));
    refresh(state, r, state.range(0) == 6);
}
BENCHMARK(BM_Refresh940)->ArgName("mode")->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);

// One scroll step of a 1 200-pixel-wide picture over the 20 000-trace overlay.
void BM_ShowImageStep(benchmark::State& state) {
    MeasurementRecord& r = record730();
    r.ViewRange = 1;
    ViewImages images;
    if (!ProcessView(r, tables(), {}) || !RenderView(r, tables(), images, {})) {
        state.SkipWithError("render failed");
        return;
    }
    QImage picture(1200, 537, QImage::Format_RGB32);
    int v = 1;
    for (auto _ : state) {
        v = v + 10 > 20000 - 1200 ? 1 : v + 10;
        ShowImageInto(images.OverlayImage, picture, v, 20000, 0, 1, 536);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_ShowImageStep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return rebar::bench::runBenchmarks(argc, argv);
}

// Processing runs of both families on synthetic scan lines of the largest sizes a view holds:
// 20 000 traces of the 730 family, 8 000 of the 940 family (scenes from scangen, double density
// by the readers' own pass). The floor is one pass that only reads every sample of both input
// matrices; a processing run touches every sample at least once per stage.
//
//   build-proc/bin/process_bench [--benchmark_repetitions=5]

#include "config/CalibrationTables.h"
#include "data/DoubleDensity.h"
#include "data/Family.h"
#include "processing/Process730.h"
#include "processing/Process940.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace rebar;

constexpr int Traces730 = 20000;
constexpr int Traces940 = 8000;
constexpr double Scale940 = 8000.0; // 940 amplitude counts per surface-wave height

scangen::Scene scene(int traces) {
    scangen::Scene s;
    s.traces = traces;
    s.noise = 0.01;
    s.seed = 7;
    for (double x = 100; x < traces * s.pitchMm; x += 150)
        s.bars.push_back({x, 30 + std::fmod(x, 90.0)});
    return s;
}

template <class F> void makeRecord(MeasurementRecord& r, int traces) {
    const scangen::Scene sc = scene(traces);
    r.FileKind = F::Number == 730 ? KindRdd : KindZvx4;
    r.TraceCount = traces;
    F::raw(r).allocate(F::FirstTrace, traces, F::RawLast);
    F::samples(r).allocate(F::FirstTrace, traces, F::DDLast);
    F::work(r).allocate(1, traces, F::RawLast);
    F::workX2(r).allocate(1, traces, F::DDLast);
    if constexpr (F::HasAutoSensitivity) {
        r.Raw940A.allocate(F::FirstTrace, traces, F::RawLast);
        r.Samples940A.allocate(F::FirstTrace, traces, F::DDLast);
    }
    std::vector<double> amp(F::RawLast + 1);
    for (int t = -1; t <= traces; ++t) {
        sc.renderTrace(t, F::RawLast, amp.data());
        typename F::Sample* row = F::raw(r).trace(t);
        for (int j = 1; j <= F::RawLast; ++j) {
            if constexpr (F::Number == 730)
                row[j] = scangen::sample730(amp[j]);
            else
                row[j] = static_cast<int32_t>(std::lround(amp[j] * Scale940));
        }
        DoubleDensityTrace<F>(row, F::samples(r).trace(t));
    }
}

// STC gains rising from 1 to 3 over the trace.
std::unique_ptr<CalibrationTables> makeTables() {
    auto t = std::make_unique<CalibrationTables>();
    auto ramp = [](auto& a) {
        for (std::size_t k = 0; k < a.size(); ++k)
            a[k] = static_cast<std::remove_reference_t<decltype(a[0])>>(1.0 + 2.0 * k / a.size());
    };
    ramp(t->StcGain730);
    ramp(t->StcGain730Half);
    ramp(t->StcGain940);
    ramp(t->StcGain940x2);
    return t;
}

MeasurementRecord& record730() {
    static MeasurementRecord* r = [] {
        auto* rec = new MeasurementRecord;
        makeRecord<Family730>(*rec, Traces730);
        return rec;
    }();
    return *r;
}

MeasurementRecord& record940() {
    static MeasurementRecord* r = [] {
        auto* rec = new MeasurementRecord;
        makeRecord<Family940>(*rec, Traces940);
        return rec;
    }();
    return *r;
}

const CalibrationTables& tables() {
    static const auto t = makeTables();
    return *t;
}

void BM_Floor730(benchmark::State& state) {
    const MeasurementRecord& r = record730();
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::sumInputs<Family730>(r));
}
BENCHMARK(BM_Floor730)->Unit(benchmark::kMillisecond);

void BM_Floor940(benchmark::State& state) {
    const MeasurementRecord& r = record940();
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::sumInputs<Family940>(r));
}
BENCHMARK(BM_Floor940)->Unit(benchmark::kMillisecond);

// Arguments: mode; 0 shallow band, 1 deep band (STC), 2 deep band with the peak stage. Gain
// step 3 (factor 2): in the shallow band every factor is whole and the loop runs on integers.
void BM_Process730(benchmark::State& state) {
    MeasurementRecord& r = record730();
    r.ProcCode = static_cast<int16_t>(state.range(0));
    r.Gain = 3;
    r.GainMode = state.range(1) >= 1 ? 1 : 0;
    r.PeakFlag = state.range(1) == 2 ? 1 : 0;
    r.AModeSet = 0;
    for (auto _ : state) {
        if (!Process730(r, tables())) {
            state.SkipWithError("Process730 failed");
            break;
        }
    }
}
BENCHMARK(BM_Process730)
    ->ArgNames({"mode", "stcPeak"})
    ->ArgsProduct({{0, 1, 4}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

// Argument: 0 shallow band, 1 deep band (STC).
void BM_Process940Mode1(benchmark::State& state) {
    MeasurementRecord& r = record940();
    r.ProcCode = 1;
    r.Gain = 3;
    r.GainMode = static_cast<int16_t>(state.range(0));
    r.PeakFlag = 0;
    for (auto _ : state) {
        if (!Process940(r, tables())) {
            state.SkipWithError("Process940 failed");
            break;
        }
    }
}
BENCHMARK(BM_Process940Mode1)->ArgName("stc")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Argument: 1 = the first run after loading (the gain is computed), 0 = a later run.
void BM_Process940Mode6(benchmark::State& state) {
    MeasurementRecord& r = record940();
    r.ProcCode = 6;
    r.PeakFlag = 0;
    r.AutoGainReady = 0;
    for (auto _ : state) {
        if (state.range(0))
            r.AutoGainReady = 0;
        if (!Process940(r, tables()) || r.AutoGainReady != 1) {
            state.SkipWithError("automatic sensitivity failed");
            break;
        }
    }
}
BENCHMARK(BM_Process940Mode6)->ArgName("first")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return rebar::bench::runBenchmarks(argc, argv);
}

// Rendering share of a view refresh: the B-mode picture with its strip, the marker overlay and
// the depth axis of a 20 000-trace 730 record in every view range, and the B-mode picture of an
// 8 000-trace 940 record.

#include "config/CalibrationTables.h"
#include "data/MeasurementRecord.h"
#include "view/BModeRenderer.h"
#include "view/DepthAxis.h"
#include "view/MarkerOverlay.h"

#include "BenchSupport.h"
#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <cmath>

using namespace rebar;

namespace {

const CalibrationTables& tables() {
    static const CalibrationTables t = [] {
        CalibrationTables c;
        for (int k = 0; k <= 128; ++k) {
            c.ColorPalette730[k] = qRgb(2 * k, 255 - 2 * k, k);
            c.GreyPalette730[k] = qRgb(2 * k, 2 * k, 2 * k);
        }
        for (int g = 0; g < 12; ++g)
            for (int L = 1; L <= 256; ++L)
                c.LevelTable730[g][L] = (L + 1) / 2;
        c.ColorTable940.resize(12 * 65536);
        for (int col = 0; col < 12; ++col)
            for (int a = 0; a < 65536; ++a)
                c.ColorTable940[col * 65536 + a] = qRgb(a >> 8, (a >> 4) & 0xff, col * 20);
        c.DepthTable730.assign(181 * 1025, 0.0f);
        c.DepthTable940.assign(181 * 1537, 0.0);
        for (int e = 20; e <= 200; ++e) {
            const double mmPerSample = 299.792458 / 128.0 / 2.0 / std::sqrt(e / 10.0);
            for (int s = 1; s <= 1024; ++s)
                c.DepthTable730[(e - 20) * 1025 + s] =
                    static_cast<float>(std::max(0, s - 32) * mmPerSample);
            for (int s = 1; s <= 1536; ++s)
                c.DepthTable940[(e - 20) * 1537 + s] = std::max(0, s - 32) * mmPerSample;
        }
        return c;
    }();
    return t;
}

// A radargram-like pattern: horizontal bands with a hyperbola every 200 traces.
double pattern(int t, int s) {
    const int dx = t % 200 - 100;
    const double apex = 300.0 + std::sqrt(200.0 * 200.0 + 40.0 * dx * dx);
    return std::sin(s * 0.11) * 0.2 + std::exp(-std::fabs(s - apex) / 12.0) * std::cos(s * 0.4);
}

MeasurementRecord& record730() {
    static MeasurementRecord& r = *[] {
        auto* r = new MeasurementRecord;
        const int N = 20000;
        r->FileKind = KindRdd;
        r->TraceCount = N;
        r->XUnit = QStringLiteral("m");
        r->YUnit = QStringLiteral("cm");
        r->Permittivity = 8.0;
        r->ProcessingLine = 500;
        r->Work730.allocate(1, N, 512);
        r->Work730x2.allocate(1, N, 1024);
        for (int t = 1; t <= N; ++t) {
            for (int s = 1; s <= 1024; ++s)
                r->Work730x2(t, s) = static_cast<int16_t>(2048 + 1800 * pattern(t, s));
            for (int s = 1; s <= 512; ++s)
                r->Work730(t, s) = r->Work730x2(t, 2 * s - 1);
            if (t % 997 == 0)
                r->Work730(t, 0) = 32;
        }
        for (int i = 0; i < 100; ++i)
            r->Markers730.push_back({i * 200 + 100, 300 + (i % 7) * 50});
        return r;
    }();
    return r;
}

MeasurementRecord& record940() {
    static MeasurementRecord& r = *[] {
        auto* r = new MeasurementRecord;
        const int N = 8000;
        r->FileKind = KindZvx3;
        r->TraceCount = r->XDataSize = N;
        r->XUnit = QStringLiteral("m");
        r->YUnit = QStringLiteral("cm");
        r->Permittivity = 8.0;
        r->Work940.allocate(1, N, 768);
        r->Work940x2.allocate(1, N, 1536);
        for (int t = 1; t <= N; ++t) {
            for (int s = 1; s <= 1536; ++s)
                r->Work940x2(t, s) = static_cast<int32_t>(30000 * pattern(t, s));
            for (int s = 1; s <= 768; ++s)
                r->Work940(t, s) = r->Work940x2(t, 2 * s - 1);
        }
        return r;
    }();
    return r;
}

void BM_Refresh730(benchmark::State& state) {
    MeasurementRecord& r = record730();
    r.ViewRange = static_cast<int16_t>(state.range(0));
    {
        ViewImages img;
        std::vector<int32_t> table;
        QImage axis;
        for (auto _ : state) {
            if (!RenderBMode730(r, tables(), img) || !DrawMarkers730(r, img) ||
                !DrawDepthAxis730(r, tables(), table, axis))
                state.SkipWithError("render failed");
            benchmark::DoNotOptimize(img.OverlayImage.constBits());
        }
    }
}
BENCHMARK(BM_Refresh730)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_RenderBMode730(benchmark::State& state) {
    MeasurementRecord& r = record730();
    r.ViewRange = static_cast<int16_t>(state.range(0));
    {
        ViewImages img;
        for (auto _ : state)
            if (!RenderBMode730(r, tables(), img))
                state.SkipWithError("render failed");
    }
}
BENCHMARK(BM_RenderBMode730)->Arg(0)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_DrawMarkers730(benchmark::State& state) {
    MeasurementRecord& r = record730();
    r.ViewRange = 0;
    {
        ViewImages img;
        RenderBMode730(r, tables(), img);
        for (auto _ : state)
            if (!DrawMarkers730(r, img))
                state.SkipWithError("overlay failed");
    }
}
BENCHMARK(BM_DrawMarkers730)->Unit(benchmark::kMillisecond);

void BM_RenderBMode940(benchmark::State& state) {
    MeasurementRecord& r = record940();
    r.ViewRange = static_cast<int16_t>(state.range(0));
    {
        ViewImages img;
        for (auto _ : state)
            if (!RenderBMode940(r, tables(), img))
                state.SkipWithError("render failed");
    }
}
BENCHMARK(BM_RenderBMode940)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return rebar::bench::runBenchmarks(argc, argv);
}

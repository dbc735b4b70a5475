// Importing a large DZT file: 20 000 scans of 512 16-bit samples into a 730-family record
// (reading, distance and time resampling, the gain, double density), against the bare cost of
// reading the file's bytes once. A denser line (1000 scans per metre, box averages onto 8 000
// traces) shows the other distance path.
#include "data/DztImport.h"
#include "data/FileOpen.h"
#include "scangen/DztWriter.h"
#include "scangen/Scene.h"

#include "BenchSupport.h"
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

using namespace rebar;

namespace {

constexpr int Scans = 20000;

// A 20 000-scan line written once per run at the given pitch.
QString benchFile(double pitchMm) {
    static QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("BENCH_%1.DZT").arg(pitchMm));
    if (QFile::exists(p))
        return p;
    scangen::Scene scene;
    scene.traces = Scans;
    scene.pitchMm = pitchMm;
    scene.er = 7.4;
    scene.noise = 0.01;
    scene.slabMm = 200;
    for (int i = 0; i < 250; ++i)
        scene.bars.push_back({100.0 + 200.0 * i, 35.0 + (i % 5) * 8.0});
    scangen::DztOutput o; // 16 bits, 512 samples in 12 ns, the surface at 1 ns
    QString error;
    if (!scangen::writeDzt(scene, o, p, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(p), qPrintable(error));
        std::abort();
    }
    return p;
}

void BM_ReadFileBytes(benchmark::State& state) {
    bench::readFileBytes(state, benchFile(2.5));
}

void importLoop(benchmark::State& state, const QString& path) {
    const qint64 size = QFile(path).size();
    for (auto _ : state) {
        MeasurementRecord r;
        SetRecordPath(r, path);
        DetectFileKind(r);
        const ReadResult res = ReadMeasurementFile(r, ReadContext{});
        if (!res.ok)
            state.SkipWithError(qPrintable(res.reason));
        benchmark::DoNotOptimize(r.Samples730.trace(1));
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void BM_ImportDzt(benchmark::State& state) {
    importLoop(state, benchFile(2.5));
}

void BM_ImportDztDenser(benchmark::State& state) {
    importLoop(state, benchFile(1.0));
}

} // namespace

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportDzt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportDztDenser)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return rebar::bench::runBenchmarks(argc, argv);
}

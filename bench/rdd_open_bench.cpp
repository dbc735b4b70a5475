// Opening a large RDD file: the reader (header, one block read, double density) against the
// bare cost of reading the file's bytes once.
#include "data/FileOpen.h"
#include "data/RddReader.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include "BenchSupport.h"
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <memory>

using namespace rebar;

namespace {

constexpr int Traces = 20000;

// A 20 000-trace slab written once per run.
const QString& benchFile() {
    static QTemporaryDir dir;
    static const QString path = [] {
        scangen::Scene scene;
        scene.traces = Traces;
        scene.er = 7.4;
        scene.noise = 0.01;
        scene.slabMm = 200;
        for (int i = 0; i < 250; ++i)
            scene.bars.push_back({100.0 + 200.0 * i, 35.0 + (i % 5) * 8.0});
        const QString p = dir.filePath(QStringLiteral("BENCH.RDD"));
        QString error;
        if (!scangen::writeRdd(scene, p, &error)) {
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(p), qPrintable(error));
            std::abort();
        }
        return p;
    }();
    return path;
}

void BM_ReadFileBytes(benchmark::State& state) {
    bench::readFileBytes(state, benchFile());
}

void BM_ReadRdd(benchmark::State& state) {
    const QString& path = benchFile();
    const qint64 size = QFile(path).size();
    for (auto _ : state) {
        MeasurementRecord r;
        SetRecordPath(r, path);
        r.FileKind = KindRdd;
        const ReadResult res = ReadRdd(r, ReadContext{});
        if (!res.ok)
            state.SkipWithError(qPrintable(res.reason));
        benchmark::DoNotOptimize(r.Samples730.trace(1));
    }
    state.SetBytesProcessed(state.iterations() * size);
}

// The memory side of the reader alone: its four matrices allocated and the block read into
// Raw730, with no header parsing and no double density. The floor under BM_ReadRdd.
void BM_AllocateAndReadBlock(benchmark::State& state) {
    const QString& path = benchFile();
    const qint64 size = QFile(path).size();
    const qint64 block = (Traces + 2) * qint64(1026);
    for (auto _ : state) {
        MeasurementRecord r;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ||
            !r.Raw730.allocate(-1, Traces, 512) || !r.Samples730.allocate(-1, Traces, 1024) ||
            !r.Work730.allocate(1, Traces, 512) || !r.Work730x2.allocate(1, Traces, 1024))
            state.SkipWithError("cannot open or allocate");
        if (!f.seek(size - block) ||
            f.read(reinterpret_cast<char*>(r.Raw730.trace(-1)), block) != block)
            state.SkipWithError("short read");
        // The reader writes all of Samples730; touch it the cheapest way.
        std::memset(r.Samples730.trace(-1), 0, size_t(Traces + 2) * 1025 * 2);
        benchmark::DoNotOptimize(r.Samples730.trace(1));
    }
    state.SetBytesProcessed(state.iterations() * size);
}

} // namespace

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllocateAndReadBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRdd)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return rebar::bench::runBenchmarks(argc, argv);
}
